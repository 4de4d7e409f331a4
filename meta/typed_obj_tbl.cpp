#include "meta/typed_obj_tbl.h"

#include <string>
#include <vector>

#include "catalogue/value_text.h"
#include "catalogue/xml_catalogue.h"

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

bool CZARVTypedObjTbl::LoadFromFile(const char* path) {
    return zarvqen::LoadXmlCatalogue(
        path, nullptr, [this] { Clear(); },
        [this](CMarkup& doc) {
            std::vector<_zarv_str> pieces;
            while (doc.FindElem(kObjTag)) {
                if (!zarvqen::SplitCommaPieces(doc.GetData(), 2, pieces)) continue;
                auto obj = CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(
                    zarvqen::ReadLow16(pieces[0]), pieces[1], kMetaSep, doc.GetAttrib("desc")));
                InsertItem(obj.get());
            }
        });
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
