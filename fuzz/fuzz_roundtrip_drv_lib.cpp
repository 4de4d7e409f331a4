// Round trip of the driver library file: driver, service and task nodes
// built from the input (texts of any bytes, NUL included, type codes, io
// masks, properties of every value kind in every category, modules changed
// after insertion) are saved, loaded into a new library and compared field
// by field. A text holding a NUL byte cannot be written: the save must then
// refuse and leave the old file whole.
#include <algorithm>
#include <map>

#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;
using fuzzrt::Quote;

constexpr int kCategories = 11;  // selectors 1 to 11

std::string Texts(const std::vector<std::pair<const char*, const _zarv_str*>>& fields) {
    std::string line;
    for (const auto& [name, text] : fields)
        line += std::string(" ") + name + "=" + Quote(text->view());
    return line;
}

bool AnyNul(const std::vector<std::pair<const char*, const _zarv_str*>>& fields) {
    for (const auto& field : fields)
        if (fuzzrt::HasNul(field.second->view())) return true;
    return false;
}

std::vector<std::pair<const char*, const _zarv_str*>> TextFields(const CZARVDrvNode& n) {
    return {{"family", &n.family},      {"name", &n.name},
            {"module", &n.module},      {"ver", &n.ver},
            {"desc", &n.desc},          {"pseudodrv", &n.pseudodrv},
            {"pseudoied", &n.pseudoied}};
}
std::vector<std::pair<const char*, const _zarv_str*>> TextFields(const CZARVSrvNode& n) {
    return {{"name", &n.name},
            {"module", &n.module},
            {"ver", &n.ver},
            {"desc", &n.desc},
            {"pseudosrv", &n.pseudosrv}};
}
std::vector<std::pair<const char*, const _zarv_str*>> TextFields(const CZARVTskNode& n) {
    return {{"name", &n.name}, {"module", &n.module},         {"ver", &n.ver},
            {"desc", &n.desc}, {"pseudotask", &n.pseudotask}, {"pseudoied", &n.pseudoied}};
}

// The properties of one set, as lines; as the file brings them back when
// `reloaded`: valid type 0, elements that split at a comma left out.
void PropLines(const CZARVDataSet<CZARVMetaProp>& props, const std::string& head, bool reloaded,
               Lines& lines) {
    for (const CZARVMetaProp* prop : props)
        if (!reloaded || fuzzrt::PropElemReadsBack(*prop))
            lines.push_back(head + fuzzrt::PropLine(*prop, reloaded, 0));
}

std::string NodeHead(const CZARVDrvNode& n) { return " type=" + std::to_string(n.type); }
std::string NodeHead(const CZARVSrvNode&) { return ""; }
std::string NodeHead(const CZARVTskNode& n) { return " type=" + std::to_string(n.type); }

template <class Node>
void SetLines(Node& node, bool reloaded, Lines& lines) {
    for (int sel = 1; sel <= kCategories; ++sel) {
        CZARVDataSet<CZARVMetaProp> props;
        node.QueryIOSet(static_cast<typename Node::CFGTYPE>(sel), props);
        PropLines(props, "  cat " + std::to_string(sel) + " ", reloaded, lines);
    }
}
void SetLines(CZARVSrvNode& node, bool reloaded, Lines& lines) {
    CZARVDataSet<CZARVMetaProp> props;
    node.QueryParameters(props);
    PropLines(props, "  par ", reloaded, lines);
}

// Nodes of one kind by key, in key order; the library holds them.
template <class Node>
using Keyed = std::map<std::string, Node*>;

struct Nodes {
    Keyed<CZARVDrvNode> drivers;
    Keyed<CZARVSrvNode> services;
    Keyed<CZARVTskNode> tasks;
};

// The nodes of one map. A node is written with its current module, which
// is its key once loaded: when `reloaded`, nodes are keyed by their module,
// the first in the saved (old key) order winning.
template <class Node>
void NodeLines(const Keyed<Node>& nodes, const char* kind, bool reloaded, Lines& lines) {
    std::map<std::string, Lines> by_module;
    for (const auto& [key, node] : nodes) {
        if (!reloaded) FUZZ_CHECK(node->module.str() == key);
        auto [entry, fresh] = by_module.try_emplace(node->module.str());
        if (!fresh) continue;
        entry->second.push_back(std::string(kind) + NodeHead(*node) +
                                " io=" + std::to_string(node->io) + Texts(TextFields(*node)));
        SetLines(*node, reloaded, entry->second);
    }
    for (auto& [module, node_lines] : by_module)
        lines.insert(lines.end(), node_lines.begin(), node_lines.end());
}

Lines Describe(const Nodes& nodes, bool reloaded) {
    Lines lines;
    NodeLines(nodes.drivers, "drv", reloaded, lines);
    NodeLines(nodes.services, "srv", reloaded, lines);
    NodeLines(nodes.tasks, "tsk", reloaded, lines);
    return lines;
}

// The nodes of one map of a loaded library, found through its listing and
// lookups (a loaded key holds no NUL byte).
template <class Node, class Get>
Keyed<Node> Listed(CZARVDrvLib& lib, CZARVDrvLib::NODETYPE type, Get get) {
    std::vector<std::string> keys;
    lib.GetNodeNameList(keys, type);
    Keyed<Node> nodes;
    for (const std::string& key : keys) {
        Node* node = (lib.*get)(key.c_str());
        FUZZ_CHECK(node);
        nodes.emplace(key, node);
    }
    return nodes;
}

Lines DescribeLoaded(CZARVDrvLib& lib) {
    Nodes nodes{Listed<CZARVDrvNode>(lib, CZARVDrvLib::NODE_DRV, &CZARVDrvLib::GetDrvNode),
                Listed<CZARVSrvNode>(lib, CZARVDrvLib::NODE_SRV, &CZARVDrvLib::GetSrvNode),
                Listed<CZARVTskNode>(lib, CZARVDrvLib::NODE_TSK, &CZARVDrvLib::GetTskNode)};
    return Describe(nodes, false);
}

// Whether every text of the library can be written: no NUL in a node's
// texts or in a property's value text.
bool PropsCarried(const CZARVDataSet<CZARVMetaProp>& props) {
    return std::all_of(props.begin(), props.end(),
                       [](const CZARVMetaProp* p) { return fuzzrt::PropCarried(*p); });
}
template <class Node>
bool SetsCarried(Node& node) {
    for (int sel = 1; sel <= kCategories; ++sel) {
        CZARVDataSet<CZARVMetaProp> props;
        node.QueryIOSet(static_cast<typename Node::CFGTYPE>(sel), props);
        if (!PropsCarried(props)) return false;
    }
    return true;
}
bool SetsCarried(CZARVSrvNode& node) {
    CZARVDataSet<CZARVMetaProp> props;
    node.QueryParameters(props);
    return PropsCarried(props);
}
template <class Node>
bool NodesCarried(const Keyed<Node>& nodes) {
    for (const auto& [key, node] : nodes)
        if (AnyNul(TextFields(*node)) || !SetsCarried(*node)) return false;
    return true;
}

// Any bytes, NUL included, straight into a node's text.
void SetText(FuzzedDataProvider& in, _zarv_str& field) { field = fuzzrt::Text(in); }

// A property for a category: mostly numbered inside its range.
CZARVPtr<CZARVMetaProp> PropFor(FuzzedDataProvider& in, unsigned short low, unsigned short high) {
    auto id = in.ConsumeBool() ? in.ConsumeIntegralInRange(low, high)
                               : in.ConsumeIntegral<unsigned short>();
    return fuzzrt::Prop(in, id);
}

unsigned short RangeLow(int sel) { return sel <= 9 ? 900 : sel == 10 ? 930 : 960; }

template <class Node>
void FillSets(FuzzedDataProvider& in, Node& node, std::vector<CZARVPtr<CZARVMetaProp>>& shared) {
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        int sel = in.ConsumeIntegralInRange(1, kCategories);
        // Sometimes a property already in another set or node.
        CZARVPtr<CZARVMetaProp> prop =
            !shared.empty() && in.ConsumeBool()
                ? shared[in.ConsumeIntegralInRange<size_t>(0, shared.size() - 1)]
                : PropFor(in, RangeLow(sel), static_cast<unsigned short>(RangeLow(sel) + 29));
        if (node.InsertMetaProp(prop.get(), static_cast<typename Node::CFGTYPE>(sel)))
            shared.push_back(prop);
    }
}
void FillSets(FuzzedDataProvider& in, CZARVSrvNode& node,
              std::vector<CZARVPtr<CZARVMetaProp>>& shared) {
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        CZARVPtr<CZARVMetaProp> prop = PropFor(in, 930, 959);
        if (node.InsertPar(prop.get())) shared.push_back(prop);
    }
}

template <class Node>
void FillTexts(FuzzedDataProvider& in, Node& node) {
    for (auto& [name, text] : TextFields(node))
        if (in.ConsumeBool()) SetText(in, *const_cast<_zarv_str*>(text));
    node.io = in.ConsumeIntegral<unsigned short>();
}

template <class Node>
CZARVPtr<Node> MakeNode(FuzzedDataProvider& in);
template <>
CZARVPtr<CZARVDrvNode> MakeNode(FuzzedDataProvider& in) {
    std::string family = fuzzrt::Text(in), name = fuzzrt::Text(in), module = fuzzrt::Text(in, 6);
    auto node = CZARVPtr<CZARVDrvNode>::Adopt(
        in.ConsumeBool()
            ? new CZARVDrvNode
            : new CZARVDrvNode(family.c_str(), name.c_str(), module.c_str(),
                               DRVTYPE(in.ConsumeIntegral<int32_t>()), "", nullptr, nullptr,
                               nullptr, in.ConsumeIntegral<unsigned short>()));
    FillTexts(in, *node);
    node->type = DRVTYPE(in.ConsumeIntegral<int32_t>());
    return node;
}
template <>
CZARVPtr<CZARVSrvNode> MakeNode(FuzzedDataProvider& in) {
    std::string name = fuzzrt::Text(in), module = fuzzrt::Text(in, 6);
    auto node = CZARVPtr<CZARVSrvNode>::Adopt(
        in.ConsumeBool() ? new CZARVSrvNode
                         : new CZARVSrvNode(name.c_str(), module.c_str(), "1", nullptr, nullptr,
                                            in.ConsumeIntegral<unsigned short>()));
    FillTexts(in, *node);
    return node;
}
template <>
CZARVPtr<CZARVTskNode> MakeNode(FuzzedDataProvider& in) {
    std::string name = fuzzrt::Text(in), module = fuzzrt::Text(in, 6);
    auto node = CZARVPtr<CZARVTskNode>::Adopt(
        in.ConsumeBool()
            ? new CZARVTskNode
            : new CZARVTskNode(name.c_str(), module.c_str(), TSKTYPE(in.ConsumeIntegral<int32_t>()),
                               "", nullptr, nullptr, nullptr,
                               in.ConsumeIntegral<unsigned short>()));
    FillTexts(in, *node);
    node->type = TSKTYPE(in.ConsumeIntegral<int32_t>());
    return node;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto lib = CZARVPtr<CZARVDrvLib>::Adopt(new CZARVDrvLib);
    std::vector<CZARVPtr<CZARVMetaProp>> shared;
    // The nodes inserted, by the key they were inserted under (which may
    // hold NUL bytes, so they are not looked up by a C text).
    Nodes built;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0: {
                auto node = MakeNode<CZARVDrvNode>(in);
                FillSets(in, *node, shared);
                if (lib->InsertDrvNode(node.get()))
                    built.drivers.emplace(node->module.str(), node.get());
                break;
            }
            case 1: {
                auto node = MakeNode<CZARVSrvNode>(in);
                FillSets(in, *node, shared);
                if (lib->InsertSrvNode(node.get()))
                    built.services.emplace(node->module.str(), node.get());
                break;
            }
            default: {
                auto node = MakeNode<CZARVTskNode>(in);
                FillSets(in, *node, shared);
                if (lib->InsertTskNode(node.get()))
                    built.tasks.emplace(node->module.str(), node.get());
                break;
            }
        }
    }
    // A node whose module changes after insertion keeps its key until the
    // file is loaded again.
    if (!built.drivers.empty() && in.ConsumeBool())
        SetText(in, built.drivers.begin()->second->module);
    if (!built.tasks.empty() && in.ConsumeBool()) SetText(in, built.tasks.rbegin()->second->module);

    bool carries =
        NodesCarried(built.drivers) && NodesCarried(built.services) && NodesCarried(built.tasks);
    fuzzrt::Declaration decl(in);
    // Even an empty library has its root element, and loads.
    fuzzrt::CheckRoundTrip(*lib, decl, carries, true, Describe(built, true), DescribeLoaded);
    return 0;
}
