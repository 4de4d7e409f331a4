#include "meta/typed_obj_tbl.h"

#include <string>
#include <vector>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/value_text.h"
#include "catalogue/internal/xml_catalogue.h"

namespace {

constexpr const char* kRootTag = "typeobj";
constexpr const char* kObjTag = "prop";
constexpr const char* kMetaSep = "|";

constexpr unsigned short kLowRangeFirst = 0x0000;
constexpr unsigned short kLowRangeLast = 0x7FFF;
constexpr unsigned short kHighRangeFirst = 0x8000;
constexpr unsigned short kHighRangeLast = 0xFFFE;

}  // namespace

CZARVTypedObjTbl::CZARVTypedObjTbl(const char* path) {
    if (path) LoadFromFile(path);
}

CZARVTypedObjTbl::~CZARVTypedObjTbl() = default;

bool CZARVTypedObjTbl::InsertTypedObj(CZARVTypedObj* obj) { return InsertItem(obj); }

bool CZARVTypedObjTbl::DeleteTypedObj(unsigned short id) { return DeleteItem(id); }

CZARVTypedObj* CZARVTypedObjTbl::GetTypedObj(unsigned short id) const { return GetItem(id); }

int CZARVTypedObjTbl::GetFreeTypedObjID(bool low_range) const {
    return low_range ? FirstFreeId(kLowRangeFirst, kLowRangeLast)
                     : FirstFreeId(kHighRangeFirst, kHighRangeLast);
}

bool CZARVTypedObjTbl::LoadFromFile(const char* path) { return LoadFromFile(path, nullptr); }

namespace {

// Tells what the typed object element on `line` reads otherwise than written.
void ReportTypedObj(const zarvqen::CZARVCatalogueReport& report, int line,
                    const std::vector<_zarv_str>& pieces) {
    report.ProblemIfAny(
        line, [&] { return zarvqen::DecimalReadsAs("typed object ID", pieces[0].c_str(), true); });
    std::string owner = "typed object " + std::to_string(zarvqen::ReadLow16(pieces[0]));
    std::vector<_zarv_str> metas;
    SplitStrByStr(pieces[1], kMetaSep, metas);
    for (const _zarv_str& meta : metas)
        report.ProblemIfAny(line, [&] {
            return zarvqen::DecimalReadsAs(owner + ": meta number", meta.c_str(), true);
        });
}

}  // namespace

bool CZARVTypedObjTbl::LoadFromFile(const char* path, CZARVLoadReporter* reporter) {
    const zarvqen::CZARVCatalogueReport report(reporter);
    return zarvqen::LoadXmlCatalogue(
        path, {kRootTag, true}, [this] { Clear(); },
        [this, &report](CMarkup& doc) {
            zarvqen::CZARVFirstLines<unsigned short> ids(report);
            std::vector<_zarv_str> pieces;
            // Without a reporter only the typed object elements are visited.
            while (doc.FindElem(report.On() ? nullptr : kObjTag)) {
                if (report.On() && doc.GetTagName() != kObjTag) {
                    report.PassedOver(doc.GetLine(), doc.GetTagName().str(),
                                      [] { return "the table reads only <prop> elements"; });
                    continue;
                }
                if (!zarvqen::SplitCommaPieces(doc.GetData(), 2, pieces)) {
                    report.Problem(doc.GetLine(), [&] {
                        std::vector<_zarv_str> all;
                        return "prop skipped: " +
                               zarvqen::PieceCountText(SplitStrByComma(doc.GetData(), all)) +
                               ", a typed object needs 2 (ID,meta numbers joined by |)";
                    });
                    continue;
                }
                if (report.On()) ReportTypedObj(report, doc.GetLine(), pieces);
                unsigned short id = zarvqen::ReadLow16(pieces[0]);
                auto obj = CZARVPtr<CZARVTypedObj>::Adopt(
                    new CZARVTypedObj(id, pieces[1], kMetaSep, doc.GetAttrib("desc")));
                ids.Taken(
                    InsertItem(obj.get()), id, report.Line(doc),
                    [id] { return "typed object " + std::to_string(id); }, "ID");
            }
        },
        reporter);
}

bool CZARVTypedObjTbl::SaveToFile(const char* path, const char* version, const char* encoding) {
    const zarvqen::XmlCatalogueFrame frame{kRootTag, !IsEmpty(), false};
    return zarvqen::SaveXmlCatalogue(
        path, version, encoding, frame, [this](zarvqen::CZARVXmlWriter& writer) {
            constexpr zarvqen::XmlLevel kLevel = zarvqen::XmlLevel::kChild;
            iterator it = GetFirst();
            while (CZARVTypedObj* obj = GetNext(it)) {
                std::string text = std::to_string(obj->GetID());
                text += ',';
                text += obj->MetaListToString(kMetaSep).str();
                if (writer.Add(kLevel, kObjTag, text))
                    writer.SetAttrib(kLevel, "desc", obj->GetDesc());
            }
        });
}
