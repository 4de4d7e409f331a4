#include "pseudo/pseudos.h"

#include <vector>

#include "catalogue/value_text.h"
#include "catalogue/xml_catalogue.h"

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

// Reads the "dat" children of the current "pseudo" element into `pseudo`.
void ReadValues(CMarkup& doc, CZARVPseudo& pseudo) {
    while (doc.FindChildElem(kValueTag)) {
        _zarvVAR value;
        if (!zarvqen::ValueFromText(zarvqen::ReadDecimal(doc.GetChildAttrib("vt")),
                                    doc.GetChildAttrib("val"), value))
            continue;
        pseudo.InsertPSDProp(zarvqen::ReadLow16(doc.GetChildAttrib("mtno")), value);
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

bool CZARVPseudos::LoadFromFile(const char* path) {
    return zarvqen::LoadXmlCatalogue(
        path, nullptr, [this] { Clear(); },
        [this](CMarkup& doc) {
            while (doc.FindElem(kPseudoTag)) {
                auto pseudo = CZARVPtr<CZARVPseudo>::Adopt(
                    new CZARVPseudo(zarvqen::ReadLow16(doc.GetAttrib("id"))));
                ReadValues(doc, *pseudo);
                InsertItem(pseudo.get());
            }
        });
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
