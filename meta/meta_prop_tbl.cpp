#include "meta/meta_prop_tbl.h"

#include <map>
#include <string>
#include <utility>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/xml_catalogue.h"
#include "host/zarvkernel/mp_info.h"
#include "meta/internal/prop_element.h"

namespace {

// Meta numbers handed out: the configuration database keeps a property
// number in 14 bits, and 0x3FFF is taken by its end-of-record mark.
constexpr unsigned short kFirstFreeMetaNo = 1;
// Free numbers are those a configuration database can store.
constexpr unsigned short kLastFreeMetaNo = CZARVMPInfo::kMaxStoredPropNumber;

constexpr const char* kRootTag = "meta";
constexpr const char* kPropTag = "prop";

}  // namespace

CZARVMetaPropTbl::CZARVMetaPropTbl(const char* path) {
    if (path) LoadFromFile(path);
}

CZARVMetaPropTbl::~CZARVMetaPropTbl() = default;

bool CZARVMetaPropTbl::InsertMetaProp(CZARVMetaProp* prop) { return InsertItem(prop); }

bool CZARVMetaPropTbl::DeleteMetaProp(unsigned short id) { return DeleteItem(id); }

CZARVMetaProp* CZARVMetaPropTbl::GetMetaProp(unsigned short id) const { return GetItem(id); }

bool CZARVMetaPropTbl::GetMetaProp(std::vector<unsigned short> ids,
                                   CZARVDataSet<CZARVMetaProp>& out) const {
    if (IsEmpty()) return false;
    for (unsigned short id : ids) out.Add(GetItem(id));  // Add refuses null
    return !out.empty();
}

int CZARVMetaPropTbl::GetFreeMetaNo() const {
    return FirstFreeId(kFirstFreeMetaNo, kLastFreeMetaNo);
}

bool CZARVMetaPropTbl::LoadFromFile(const char* path) { return LoadFromFile(path, nullptr); }

bool CZARVMetaPropTbl::LoadFromFile(const char* path, CZARVLoadReporter* reporter) {
    const zarvqen::CZARVCatalogueReport report(reporter);
    return zarvqen::LoadXmlCatalogue(
        path, {kRootTag, true}, [this] { Clear(); },
        [this, &report](CMarkup& doc) {
            zarvqen::CZARVFirstLines<unsigned short> ids(report);
            // Meta names are looked up by people and tools, not by the table:
            // one shared by two properties is kept, and worth a note.
            std::map<std::string, std::pair<unsigned short, int>> names;
            // Without a reporter only the "prop" elements are visited.
            while (doc.FindElem(report.On() ? nullptr : kPropTag)) {
                if (report.On() && doc.GetTagName() != kPropTag) {
                    report.PassedOver(doc.GetLine(), doc.GetTagName().str(),
                                      [] { return "the table reads only <prop> elements"; });
                    continue;
                }
                CZARVPtr<CZARVMetaProp> prop = zarvqen::ReadPropElem(
                    doc, zarvqen::XmlLevel::kMain, zarvqen::ValidAttr::kInclude, report);
                if (!prop) continue;
                unsigned short id = prop->GetID();
                const int line = report.Line(doc);
                const bool taken = InsertItem(prop.get());
                ids.Taken(
                    taken, id, line, [id] { return "prop " + std::to_string(id); }, "ID");
                if (!taken || !report.On() || !*prop->GetMetaName()) continue;
                const auto emplaced = names.emplace(prop->GetMetaName(), std::make_pair(id, line));
                if (emplaced.second) continue;
                const auto first = emplaced.first;
                report.Note(line, [&] {
                    return "prop " + std::to_string(id) + ": its meta name \"" +
                           prop->GetMetaName() + "\" is also that of prop " +
                           std::to_string(first->second.first) + " on line " +
                           std::to_string(first->second.second) +
                           "; a lookup by name cannot tell them apart";
                });
            }
        },
        reporter);
}

bool CZARVMetaPropTbl::SaveToFile(const char* path, const char* version, const char* encoding) {
    const zarvqen::XmlCatalogueFrame frame{kRootTag, !IsEmpty(), false};
    return zarvqen::SaveXmlCatalogue(
        path, version, encoding, frame, [this](zarvqen::CZARVXmlWriter& writer) {
            iterator it = GetFirst();
            while (const CZARVMetaProp* prop = GetNext(it))
                zarvqen::WritePropElem(writer, zarvqen::XmlLevel::kChild, *prop,
                                       zarvqen::ValidAttr::kInclude);
        });
}
