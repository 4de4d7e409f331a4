#include "pseudo/pseudos.h"

#include <string>
#include <vector>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/value_text.h"
#include "catalogue/internal/xml_catalogue.h"

namespace {

constexpr const char* kRootTag = "pseudos";
constexpr const char* kPseudoTag = "pseudo";
constexpr const char* kValueTag = "dat";

// Writes the "dat" children of the current "pseudo" element.
void WriteValues(zarvqen::CZARVXmlWriter& writer, const CZARVPseudo& pseudo) {
    constexpr zarvqen::XmlLevel kLevel = zarvqen::XmlLevel::kChild;
    std::vector<unsigned short> meta_nos;
    pseudo.GetPSDPropVector(meta_nos);
    for (unsigned short meta_no : meta_nos) {
        if (!writer.Add(kLevel, kValueTag)) continue;
        _zarvVAR value = pseudo.PSDProp(meta_no);
        writer.SetAttrib(kLevel, "mtno", meta_no);
        writer.SetAttrib(kLevel, "vt", value.GetType());
        writer.SetAttrib(kLevel, "val", zarvqen::ValueToText(value));
    }
}

// Tells what the current "dat" child reads otherwise than written.
void ReportValue(CMarkup& doc, const zarvqen::CZARVCatalogueReport& report,
                 const std::string& owner, const std::string& what) {
    int line = doc.GetChildLine();
    if (!doc.HasChildAttrib("mtno"))
        report.Problem(line,
                       [&] { return owner + ": dat without \"mtno\" reads as meta number 0"; });
    else
        report.ProblemIfAny(line, [&] {
            return zarvqen::DecimalReadsAs(owner + ": mtno", doc.ChildAttribText("mtno"), true);
        });
    if (!doc.HasChildAttrib("vt"))
        report.Problem(line, [&] { return what + ": dat without \"vt\" reads as kind 0 (bool)"; });
    else
        report.ProblemIfAny(line, [&] {
            return zarvqen::DecimalReadsAs(what + ": vt", doc.ChildAttribText("vt"), false);
        });
    int32_t kind = zarvqen::ReadDecimal(doc.ChildAttribText("vt"));
    if (zarvqen::IsTextKind(kind))
        report.ProblemIfAny(line, [&] {
            return zarvqen::ValueTextReadsAs(what, kind, doc.ChildAttribText("val"));
        });
    else
        report.Problem(line, [&] {
            std::string why = what + ": dropped, unknown value kind " +
                              zarvqen::QuotedText(doc.ChildAttribText("vt"));
            if (kind == _zarvVAR::VT_EMPTY) why += " (an empty value, which the file cannot carry)";
            return why;
        });
}

// Reads the "dat" children of the current "pseudo" element into `pseudo`.
void ReadValues(CMarkup& doc, CZARVPseudo& pseudo, const zarvqen::CZARVCatalogueReport& report) {
    zarvqen::CZARVFirstLines<unsigned short> metas(report);
    const std::string owner = report.On() ? "pseudo " + std::to_string(pseudo.GetID()) : "";
    // Without a reporter only the "dat" elements are visited.
    while (doc.FindChildElem(report.On() ? nullptr : kValueTag)) {
        if (report.On() && doc.GetChildTagName() != kValueTag) {
            report.PassedOver(doc.GetChildLine(), doc.GetChildTagName().str(),
                              [&] { return "only <dat> elements are read in " + owner; });
            continue;
        }
        unsigned short meta_no = zarvqen::ReadLow16(doc.ChildAttribText("mtno"));
        const std::string what =
            report.On() ? owner + ", meta number " + std::to_string(meta_no) : "";
        if (report.On()) ReportValue(doc, report, owner, what);
        _zarvVAR value;
        if (!zarvqen::ValueFromText(zarvqen::ReadDecimal(doc.GetChildAttrib("vt")),
                                    doc.GetChildAttrib("val"), value))
            continue;
        metas.Taken(
            pseudo.InsertPSDProp(meta_no, value), meta_no, report.ChildLine(doc),
            [&] { return what; }, "meta number");
    }
}

}  // namespace

CZARVPseudos::CZARVPseudos(const char* path) {
    if (path) LoadFromFile(path);
}

CZARVPseudos::~CZARVPseudos() = default;

bool CZARVPseudos::InsertPseudo(CZARVPseudo* pseudo) { return InsertItem(pseudo); }

bool CZARVPseudos::DeletePseudo(unsigned short id) { return DeleteItem(id); }

CZARVPseudo* CZARVPseudos::GetPseudo(unsigned short id) const { return GetItem(id); }

bool CZARVPseudos::LoadFromFile(const char* path) { return LoadFromFile(path, nullptr); }

bool CZARVPseudos::LoadFromFile(const char* path, CZARVLoadReporter* reporter) {
    const zarvqen::CZARVCatalogueReport report(reporter);
    return zarvqen::LoadXmlCatalogue(
        path, {kRootTag, true}, [this] { Clear(); },
        [this, &report](CMarkup& doc) {
            zarvqen::CZARVFirstLines<unsigned short> ids(report);
            // Without a reporter only the "pseudo" elements are visited.
            while (doc.FindElem(report.On() ? nullptr : kPseudoTag)) {
                int line = report.Line(doc);
                if (report.On() && doc.GetTagName() != kPseudoTag) {
                    report.PassedOver(line, doc.GetTagName().str(),
                                      [] { return "the collection reads only <pseudo> elements"; });
                    continue;
                }
                unsigned short id = zarvqen::ReadLow16(doc.AttribText("id"));
                auto what = [id] { return "pseudo " + std::to_string(id); };
                if (report.On()) {
                    if (!doc.HasAttrib("id"))
                        report.Problem(line, [] {
                            return std::string("pseudo without an \"id\" attribute reads as ID 0");
                        });
                    else
                        report.ProblemIfAny(line, [&] {
                            return zarvqen::DecimalReadsAs("pseudo id", doc.AttribText("id"), true);
                        });
                    // Its values go with it: not worth telling one by one.
                    if (GetPseudo(id)) {
                        ids.Taken(false, id, line, what, "ID", " with its values");
                        continue;
                    }
                }
                auto pseudo = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(id));
                ReadValues(doc, *pseudo, report);
                ids.Taken(InsertItem(pseudo.get()), id, line, what, "ID");
            }
        },
        reporter);
}

bool CZARVPseudos::SaveToFile(const char* path, const char* version, const char* encoding) {
    const zarvqen::XmlCatalogueFrame frame{kRootTag, !IsEmpty(), true};
    return zarvqen::SaveXmlCatalogue(
        path, version, encoding, frame, [this](zarvqen::CZARVXmlWriter& writer) {
            iterator it = GetFirst();
            while (const CZARVPseudo* pseudo = GetNext(it)) {
                if (!writer.Add(zarvqen::XmlLevel::kMain, kPseudoTag)) continue;
                writer.SetAttrib(zarvqen::XmlLevel::kMain, "id", pseudo->GetID());
                WriteValues(writer, *pseudo);
            }
        });
}
