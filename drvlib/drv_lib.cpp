#include "drvlib/drv_lib.h"

#include <string>
#include <utility>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/value_text.h"
#include "catalogue/internal/xml_catalogue.h"
#include "drvlib/internal/category_table.h"
#include "host/zarvlib/internal/zarv_result.h"
#include "meta/internal/prop_element.h"

using Report = zarvqen::CZARVCatalogueReport;
using zarvqen::CZARVXmlWriter;
using zarvqen::ReadDecimal;
using zarvqen::ReadLow16;
using zarvqen::XmlLevel;

namespace {

constexpr const char* kRoot = "driverlib";
constexpr const char* kDrvTag = "metadrv";
constexpr const char* kSrvTag = "metasrv";
constexpr const char* kTskTag = "metatask";
constexpr const char* kParTag = "par";
constexpr const char* kPropTag = "prop";

enum class NodeKind { kDriver, kTask };

const char* CategoryTag(int selector, NodeKind kind) {
    const zarvqen::CategoryInfo* cat = zarvqen::FindCategory(selector);
    return kind == NodeKind::kDriver ? cat->drv_tag : cat->tsk_tag;
}

// The selector whose tag is `tag` for that kind of node, or 0.
int SelectorOfTag(const _zarv_str& tag, NodeKind kind) {
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel)
        if (tag == CategoryTag(sel, kind)) return sel;
    return 0;
}

// Writes the properties of `props` inside the current child element. The
// document is left at the level it was found.
void WriteProps(CZARVXmlWriter& writer, const CZARVDataSet<CZARVMetaProp>& props) {
    if (props.empty() || !writer.IntoElem()) return;
    for (CZARVMetaProp* prop : props)
        zarvqen::WritePropElem(writer, XmlLevel::kChild, *prop, zarvqen::ValidAttr::kOmit);
    writer.OutOfElem();
}

// The eleven category elements of a driver or task node, each with its
// properties, as children of the main element.
template <class Node>
void WriteCategories(CZARVXmlWriter& writer, Node& node, NodeKind kind) {
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel) {
        if (!writer.Add(XmlLevel::kChild, CategoryTag(sel, kind))) continue;
        CZARVDataSet<CZARVMetaProp> props;
        node.QueryIOSet(static_cast<typename Node::CFGTYPE>(sel), props);
        WriteProps(writer, props);
    }
}

// The first line of each meta number, by category selector (0 for service
// parameters).
using SeenProps = zarvqen::CZARVFirstLines<std::pair<int, uint16_t>>;

// Where properties of a node go: their owner's words, the meta numbers the
// node takes and the selector they are counted under.
struct PropPlace {
    const std::string& owner;  // "category 'ai' of driver "m"" (reporting only)
    uint16_t low;
    uint16_t high;
    int selector;
};

// Calls `insert` with each property element read from the "prop" children
// of the current child element; the loader's reference goes afterwards, so
// a refused property is destroyed.
template <class Insert>
void ReadProps(CMarkup& doc, const Report& report, const PropPlace& place, SeenProps& seen,
               Insert insert) {
    if (!doc.IntoElem()) return;
    // Without a reporter only the "prop" elements are visited.
    while (doc.FindChildElem(report.On() ? nullptr : kPropTag)) {
        int line = report.ChildLine(doc);
        if (report.On() && doc.GetChildTagName() != kPropTag) {
            report.PassedOver(line, doc.GetChildTagName().str(),
                              [&] { return "only <prop> elements are read in " + place.owner; });
            continue;
        }
        CZARVPtr<CZARVMetaProp> prop =
            zarvqen::ReadPropElem(doc, XmlLevel::kChild, zarvqen::ValidAttr::kOmit, report);
        if (!prop) continue;
        uint16_t id = prop->GetID();
        bool taken = insert(prop.get());
        auto what = [&] { return "prop " + std::to_string(id) + " of " + place.owner; };
        if (!taken && (id < place.low || id > place.high)) {
            report.Problem(line, [&] {
                return what() + " dropped: its meta numbers are " + std::to_string(place.low) +
                       " to " + std::to_string(place.high);
            });
            continue;
        }
        seen.Taken(taken, {place.selector, id}, line, what, "meta number");
    }
    doc.OutOfElem();
}

// The category tags of a kind of node, for a person: "ai, ao, ...".
std::string CategoryList(NodeKind kind) {
    std::string out;
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel) {
        if (!out.empty()) out += ", ";
        out += CategoryTag(sel, kind);
    }
    return out;
}

// Reads every category element among the main element's children into
// `node`; children with other tags are passed over.
template <class Node>
void ReadCategories(CMarkup& doc, Node& node, NodeKind kind, const Report& report,
                    const std::string& owner) {
    SeenProps seen(report);
    while (doc.FindChildElem()) {
        _zarv_str tag = doc.GetChildTagName();
        int sel = SelectorOfTag(tag, kind);
        if (sel == 0) {
            report.PassedOver(doc.GetChildLine(), tag.str(), [&] {
                return "not a category of " + owner + " (" + CategoryList(kind) + ")";
            });
            continue;
        }
        const zarvqen::CategoryInfo* info = zarvqen::FindCategory(sel);
        const std::string place_owner =
            report.On() ? "category '" + tag.str() + "' of " + owner : std::string();
        ReadProps(doc, report, {place_owner, info->low, info->high, sel}, seen,
                  [&](CZARVMetaProp* prop) {
                      return node.InsertMetaProp(prop, static_cast<typename Node::CFGTYPE>(sel));
                  });
    }
}

// Tells what the attributes of the current main element read as, and
// whether the element is dropped as a second one of its module (its
// properties go with it). True when it is.
bool ReportNode(CMarkup& doc, const Report& report, const std::string& owner, bool has_type,
                bool taken_before, zarvqen::CZARVFirstLines<std::string>& modules) {
    int line = doc.GetLine();
    if (doc.HasAttrib("io"))
        report.ProblemIfAny(line, [&] {
            return zarvqen::DecimalReadsAs(owner + ": io mask", doc.AttribText("io"), true);
        });
    if (has_type && doc.HasAttrib("type"))
        report.ProblemIfAny(line, [&] {
            return zarvqen::DecimalReadsAs(owner + ": type", doc.AttribText("type"), false);
        });
    modules.Taken(
        !taken_before, doc.AttribText("module"), line, [&] { return owner; }, "module",
        " with its properties");
    return taken_before;
}

// "driver "m"": a node's words for a person, built only when reporting.
std::string NodeWords(const Report& report, const char* what, CMarkup& doc) {
    return report.On() ? std::string(what) + " " + zarvqen::QuotedText(doc.AttribText("module"))
                       : std::string();
}

}  // namespace

CZARVDrvLib::CZARVDrvLib(const char* path) {
    if (path) LoadFromFile(path);
}

CZARVDrvLib::~CZARVDrvLib() { Clear(); }

// --- maps ---

template <class Node>
bool CZARVDrvLib::InsertNode(NodeMap<Node>& map, Node* node) {
    if (!node) return false;
    CZARVPtr<Node> held(node);
    if (!map.emplace(node->module.str(), node).second) return false;
    held.release();  // the map keeps the reference
    return true;
}

template <class Node>
Node* CZARVDrvLib::FindNode(const NodeMap<Node>& map, const char* module) {
    auto it = map.find(module ? module : "");
    return it == map.end() ? nullptr : it->second;
}

template <class Node>
void CZARVDrvLib::ClearMap(NodeMap<Node>& map) {
    NodeMap<Node> nodes;
    nodes.swap(map);
    for (auto& entry : nodes) entry.second->Release();
}

bool CZARVDrvLib::InsertDrvNode(CZARVDrvNode* node) { return InsertNode(m_drivers, node); }
bool CZARVDrvLib::InsertSrvNode(CZARVSrvNode* node) { return InsertNode(m_services, node); }
bool CZARVDrvLib::InsertTskNode(CZARVTskNode* node) { return InsertNode(m_tasks, node); }

CZARVDrvNode* CZARVDrvLib::GetDrvNode(const char* module) const {
    return FindNode(m_drivers, module);
}
CZARVSrvNode* CZARVDrvLib::GetSrvNode(const char* module) const {
    return FindNode(m_services, module);
}
CZARVTskNode* CZARVDrvLib::GetTskNode(const char* module) const {
    return FindNode(m_tasks, module);
}

namespace {

template <class Map>
bool EraseKey(Map& map, const char* module) {
    auto it = map.find(module ? module : "");
    if (it == map.end()) return false;
    auto* node = it->second;
    map.erase(it);
    node->Release();
    return true;
}

template <class Map, class List>
void AppendKeys(const Map& map, List& list) {
    for (const auto& entry : map) list.emplace_back(entry.first);
}

}  // namespace

bool CZARVDrvLib::DeleteNode(const char* module, NODETYPE type) {
    switch (type) {
        case NODE_DRV:
            return EraseKey(m_drivers, module);
        case NODE_SRV:
            return EraseKey(m_services, module);
        case NODE_TSK:
            return EraseKey(m_tasks, module);
        default:
            return false;
    }
}

int CZARVDrvLib::GetNodeNameList(std::vector<_zarv_str>& list, NODETYPE type) const {
    return AppendNodeNames(list, type);
}

int CZARVDrvLib::GetNodeNameList(std::vector<std::string>& list, NODETYPE type) const {
    return AppendNodeNames(list, type);
}

template <class List>
int CZARVDrvLib::AppendNodeNames(List& list, NODETYPE type) const {
    switch (type) {
        case NODE_DRV:
            AppendKeys(m_drivers, list);
            break;
        case NODE_SRV:
            AppendKeys(m_services, list);
            break;
        case NODE_TSK:
            AppendKeys(m_tasks, list);
            break;
        default:
            break;
    }
    return static_cast<int>(list.size());
}

void CZARVDrvLib::Clear() {
    ClearMap(m_drivers);
    ClearMap(m_services);
    ClearMap(m_tasks);
}

// --- file ---

bool CZARVDrvLib::SaveToFile(const char* path, const char* version, const char* encoding) {
    // The root is written even for an empty library.
    const zarvqen::XmlCatalogueFrame frame{kRoot, true, true};
    return zarvqen::SaveXmlCatalogue(path, version, encoding, frame,
                                     [this](CZARVXmlWriter& writer) {
                                         WriteDrivers(writer);
                                         WriteServices(writer);
                                         WriteTasks(writer);
                                     });
}

// Node texts are given whole (view()): one holding a NUL byte then spoils
// the save instead of being written cut.
void CZARVDrvLib::WriteDrivers(CZARVXmlWriter& writer) {
    for (auto& [key, node] : m_drivers) {
        if (!writer.Add(XmlLevel::kMain, kDrvTag)) continue;
        writer.SetAttrib(XmlLevel::kMain, "family", node->family.view());
        writer.SetAttrib(XmlLevel::kMain, "name", node->name.view());
        writer.SetAttrib(XmlLevel::kMain, "module", node->module.view());
        writer.SetAttrib(XmlLevel::kMain, "type", static_cast<int>(node->type));
        writer.SetAttrib(XmlLevel::kMain, "io", node->io);
        writer.SetAttrib(XmlLevel::kMain, "ver", node->ver.view());
        writer.SetAttrib(XmlLevel::kMain, "desc", node->desc.view());
        writer.SetAttrib(XmlLevel::kMain, "pseudodrv", node->pseudodrv.view());
        writer.SetAttrib(XmlLevel::kMain, "pseudoied", node->pseudoied.view());
        WriteCategories(writer, *node, NodeKind::kDriver);
    }
}

void CZARVDrvLib::WriteServices(CZARVXmlWriter& writer) {
    for (auto& [key, node] : m_services) {
        if (!writer.Add(XmlLevel::kMain, kSrvTag)) continue;
        writer.SetAttrib(XmlLevel::kMain, "name", node->name.view());
        writer.SetAttrib(XmlLevel::kMain, "module", node->module.view());
        writer.SetAttrib(XmlLevel::kMain, "io", node->io);
        writer.SetAttrib(XmlLevel::kMain, "ver", node->ver.view());
        writer.SetAttrib(XmlLevel::kMain, "desc", node->desc.view());
        writer.SetAttrib(XmlLevel::kMain, "pseudosrv", node->pseudosrv.view());
        if (!writer.Add(XmlLevel::kChild, kParTag)) continue;
        CZARVDataSet<CZARVMetaProp> pars;
        node->QueryParameters(pars);
        WriteProps(writer, pars);
    }
}

void CZARVDrvLib::WriteTasks(CZARVXmlWriter& writer) {
    for (auto& [key, node] : m_tasks) {
        if (!writer.Add(XmlLevel::kMain, kTskTag)) continue;
        writer.SetAttrib(XmlLevel::kMain, "name", node->name.view());
        writer.SetAttrib(XmlLevel::kMain, "module", node->module.view());
        writer.SetAttrib(XmlLevel::kMain, "type", static_cast<int>(node->type));
        writer.SetAttrib(XmlLevel::kMain, "io", node->io);
        writer.SetAttrib(XmlLevel::kMain, "ver", node->ver.view());
        writer.SetAttrib(XmlLevel::kMain, "desc", node->desc.view());
        writer.SetAttrib(XmlLevel::kMain, "pseudotask", node->pseudotask.view());
        writer.SetAttrib(XmlLevel::kMain, "pseudoied", node->pseudoied.view());
        WriteCategories(writer, *node, NodeKind::kTask);
    }
}

bool CZARVDrvLib::LoadFromFile(const char* path) { return LoadFromFile(path, nullptr); }

bool CZARVDrvLib::LoadFromFile(const char* path, CZARVLoadReporter* reporter) {
    const Report report(reporter);
    // The first element is the root whatever its tag.
    return zarvqen::LoadXmlCatalogue(
        path, {kRoot, true}, [this] { Clear(); },
        [this, &report](CMarkup& doc) {
            if (report.On()) {
                while (doc.FindElem()) {
                    _zarv_str tag = doc.GetTagName();
                    if (tag != kDrvTag && tag != kSrvTag && tag != kTskTag)
                        report.PassedOver(doc.GetLine(), tag.str(), [] {
                            return "the library reads only <metadrv>, <metasrv> and <metatask>";
                        });
                }
                doc.ResetMainPos();
            }
            ReadDrivers(doc, report);
            doc.ResetMainPos();
            ReadServices(doc, report);
            doc.ResetMainPos();
            ReadTasks(doc, report);
        },
        reporter);
}

void CZARVDrvLib::ReadDrivers(CMarkup& doc, const Report& report) {
    zarvqen::CZARVFirstLines<std::string> modules(report);
    while (doc.FindElem(kDrvTag)) {
        const std::string owner = NodeWords(report, "driver", doc);
        if (report.On() && ReportNode(doc, report, owner, true,
                                      GetDrvNode(doc.AttribText("module")) != nullptr, modules))
            continue;
        auto node = CZARVPtr<CZARVDrvNode>::Adopt(new CZARVDrvNode(
            doc.GetAttrib("family"), doc.GetAttrib("name"), doc.GetAttrib("module"),
            static_cast<DRVTYPE>(ReadDecimal(doc.GetAttrib("type"))), doc.GetAttrib("ver"),
            doc.GetAttrib("pseudodrv"), doc.GetAttrib("pseudoied"), doc.GetAttrib("desc"),
            ReadLow16(doc.GetAttrib("io"))));
        ReadCategories(doc, *node, NodeKind::kDriver, report, owner);
        InsertDrvNode(node.get());
    }
}

void CZARVDrvLib::ReadServices(CMarkup& doc, const Report& report) {
    zarvqen::CZARVFirstLines<std::string> modules(report);
    while (doc.FindElem(kSrvTag)) {
        const std::string owner = NodeWords(report, "service", doc);
        if (report.On() && ReportNode(doc, report, owner, false,
                                      GetSrvNode(doc.AttribText("module")) != nullptr, modules))
            continue;
        auto node = CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode(
            doc.GetAttrib("name"), doc.GetAttrib("module"), doc.GetAttrib("ver"),
            doc.GetAttrib("pseudosrv"), doc.GetAttrib("desc"), ReadLow16(doc.GetAttrib("io"))));
        const std::string place_owner = report.On() ? "the parameters of " + owner : owner;
        SeenProps seen(report);
        // Every "par" child counts, not only the first.
        while (doc.FindChildElem(report.On() ? nullptr : kParTag)) {
            if (report.On() && doc.GetChildTagName() != kParTag) {
                report.PassedOver(doc.GetChildLine(), doc.GetChildTagName().str(),
                                  [&] { return "only <par> elements are read in " + owner; });
                continue;
            }
            ReadProps(doc, report, {place_owner, zarvqen::kParLow, zarvqen::kParHigh, 0}, seen,
                      [&](CZARVMetaProp* prop) { return node->InsertPar(prop); });
        }
        InsertSrvNode(node.get());
    }
}

void CZARVDrvLib::ReadTasks(CMarkup& doc, const Report& report) {
    zarvqen::CZARVFirstLines<std::string> modules(report);
    while (doc.FindElem(kTskTag)) {
        const std::string owner = NodeWords(report, "task", doc);
        if (report.On() && ReportNode(doc, report, owner, true,
                                      GetTskNode(doc.AttribText("module")) != nullptr, modules))
            continue;
        auto node = CZARVPtr<CZARVTskNode>::Adopt(new CZARVTskNode(
            doc.GetAttrib("name"), doc.GetAttrib("module"),
            static_cast<TSKTYPE>(ReadDecimal(doc.GetAttrib("type"))), doc.GetAttrib("ver"),
            doc.GetAttrib("pseudotask"), doc.GetAttrib("pseudoied"), doc.GetAttrib("desc"),
            ReadLow16(doc.GetAttrib("io"))));
        ReadCategories(doc, *node, NodeKind::kTask, report, owner);
        InsertTskNode(node.get());
    }
}
