// The driver library: drivers, services and tasks by module text, each with
// the meta properties it defines.
#include <string>
#include <vector>

#include "bindings.h"
#include "drvlib/drv_lib.h"

namespace zarvpy {

namespace {

// A text field of a node as a read-write property.
template <class Node, class Class>
void TextField(Class& cls, const char* name, _zarv_str Node::*field) {
    cls.def_property(
        name, [field](const Node& n) { return std::string((n.*field).str()); },
        [field](Node& n, const std::string& v) { n.*field = v; });
}

py::list PropList(CZARVDataSet<CZARVMetaProp>& set) {
    py::list out;
    for (CZARVMetaProp* p : set) out.append(py::cast(Hold(p)));
    return out;
}

// The category operations drivers and tasks share: their meta properties
// in eleven categories (1 "ai" to 11), each with its own range of numbers.
template <class Node, class Class>
void BindCategories(Class& cls) {
    using Cat = typename Node::CFGTYPE;
    auto category = [](int c) {
        if (c < 1 || c > 11) RaiseValueError("a category is 1 to 11, not " + std::to_string(c));
        return static_cast<Cat>(c);
    };
    cls.def(
           "properties",
           [category](Node& n, int c) {
               CZARVDataSet<CZARVMetaProp> set;
               n.QueryIOSet(category(c), set);
               return PropList(set);
           },
           py::arg("category"), "The meta properties of a category, by number.")
        .def(
            "property",
            [category](Node& n, long long no, int c) {
                CZARVMetaProp* p = n.GetMetaProp(
                    static_cast<unsigned short>(CheckRange(no, 0xFFFF, "number")), category(c));
                if (!p) RaiseKeyError(py::int_(no));
                return Hold(p);
            },
            py::arg("number"), py::arg("category"))
        .def(
            "insert_property",
            [category](Node& n, CZARVMetaProp& p, int c) {
                if (!n.InsertMetaProp(&p, category(c))) {
                    RaiseValueError("property " + std::to_string(p.GetID()) +
                                    " is taken or outside the numbers of category " +
                                    std::to_string(c));
                }
            },
            py::arg("prop"), py::arg("category"))
        .def(
            "delete_property",
            [category](Node& n, long long no, int c) {
                if (!n.DeleteMetaProp(static_cast<unsigned short>(CheckRange(no, 0xFFFF, "number")),
                                      category(c))) {
                    RaiseKeyError(py::int_(no));
                }
            },
            py::arg("number"), py::arg("category"))
        .def(
            "free_property_number",
            [category](Node& n, int c) -> py::object {
                int no = n.GetFreeMetaNo(category(c));
                return IntOrNone(no);
            },
            py::arg("category"));
    const char* names[] = {"AI", "DI", "COUNT", "AO", "DO", "EVE", "SG", "CAL", "MSG"};
    for (int c = 1; c <= 9; ++c) cls.attr(names[c - 1]) = c;
}

void BindNodes(py::module_& m) {
    py::class_<CZARVDrvNode, CZARVPtr<CZARVDrvNode>> drv(m, "DriverNode",
                                                         "A driver of the driver library.");
    drv.def(py::init([](const std::string& module, const std::string& name,
                        const std::string& family, int type, const std::string& version,
                        const std::string& pseudo_driver, const std::string& pseudo_ied,
                        const std::string& description, int io) {
                return Make<CZARVDrvNode>(
                    family.c_str(), name.c_str(), module.c_str(), static_cast<DRVTYPE>(type),
                    version.c_str(), pseudo_driver.c_str(), pseudo_ied.c_str(), description.c_str(),
                    static_cast<unsigned short>(CheckRange(io, 0xFFFF, "io")));
            }),
            py::arg("module"), py::arg("name") = "", py::arg("family") = "", py::arg("type") = 0,
            py::arg("version") = "1.0.0", py::arg("pseudo_driver") = "", py::arg("pseudo_ied") = "",
            py::arg("description") = "", py::arg("io") = 0)
        .def_property(
            "type", [](const CZARVDrvNode& n) { return static_cast<int>(n.type); },
            [](CZARVDrvNode& n, int v) { n.type = static_cast<DRVTYPE>(v); })
        .def_readwrite("io", &CZARVDrvNode::io)
        .def("__repr__",
             [](const CZARVDrvNode& n) { return "<DriverNode " + n.module.str() + ">"; });
    TextField(drv, "module", &CZARVDrvNode::module);
    TextField(drv, "name", &CZARVDrvNode::name);
    TextField(drv, "family", &CZARVDrvNode::family);
    TextField(drv, "version", &CZARVDrvNode::ver);
    TextField(drv, "description", &CZARVDrvNode::desc);
    TextField(drv, "pseudo_driver", &CZARVDrvNode::pseudodrv);
    TextField(drv, "pseudo_ied", &CZARVDrvNode::pseudoied);
    BindCategories<CZARVDrvNode>(drv);
    drv.attr("PROTOCOL") = 10;
    drv.attr("IED") = 11;

    py::class_<CZARVTskNode, CZARVPtr<CZARVTskNode>> tsk(m, "TaskNode",
                                                         "A task of the driver library.");
    tsk.def(py::init([](const std::string& module, const std::string& name, int type,
                        const std::string& version, const std::string& pseudo_task,
                        const std::string& pseudo_ied, const std::string& description, int io) {
                return Make<CZARVTskNode>(
                    name.c_str(), module.c_str(), static_cast<TSKTYPE>(type), version.c_str(),
                    pseudo_task.c_str(), pseudo_ied.c_str(), description.c_str(),
                    static_cast<unsigned short>(CheckRange(io, 0xFFFF, "io")));
            }),
            py::arg("module"), py::arg("name") = "", py::arg("type") = 0,
            py::arg("version") = "1.0.0", py::arg("pseudo_task") = "", py::arg("pseudo_ied") = "",
            py::arg("description") = "", py::arg("io") = 0)
        .def_property(
            "type", [](const CZARVTskNode& n) { return static_cast<int>(n.type); },
            [](CZARVTskNode& n, int v) { n.type = static_cast<TSKTYPE>(v); })
        .def_readwrite("io", &CZARVTskNode::io)
        .def("__repr__", [](const CZARVTskNode& n) { return "<TaskNode " + n.module.str() + ">"; });
    TextField(tsk, "module", &CZARVTskNode::module);
    TextField(tsk, "name", &CZARVTskNode::name);
    TextField(tsk, "version", &CZARVTskNode::ver);
    TextField(tsk, "description", &CZARVTskNode::desc);
    TextField(tsk, "pseudo_task", &CZARVTskNode::pseudotask);
    TextField(tsk, "pseudo_ied", &CZARVTskNode::pseudoied);
    BindCategories<CZARVTskNode>(tsk);
    tsk.attr("TASKPAR") = 10;
    tsk.attr("ITEM") = 11;

    py::class_<CZARVSrvNode, CZARVPtr<CZARVSrvNode>> srv(m, "ServiceNode",
                                                         "A service of the driver library.");
    srv.def(py::init([](const std::string& module, const std::string& name,
                        const std::string& version, const std::string& pseudo_service,
                        const std::string& description, int io) {
                return Make<CZARVSrvNode>(
                    name.c_str(), module.c_str(), version.c_str(), pseudo_service.c_str(),
                    description.c_str(), static_cast<unsigned short>(CheckRange(io, 0xFFFF, "io")));
            }),
            py::arg("module"), py::arg("name") = "", py::arg("version") = "1.0.0",
            py::arg("pseudo_service") = "", py::arg("description") = "", py::arg("io") = 0)
        .def_readwrite("io", &CZARVSrvNode::io)
        .def("parameters",
             [](CZARVSrvNode& n) {
                 CZARVDataSet<CZARVMetaProp> set;
                 n.QueryParameters(set);
                 return PropList(set);
             })
        .def(
            "parameter",
            [](CZARVSrvNode& n, long long no) {
                CZARVMetaProp* p =
                    n.GetPar(static_cast<unsigned short>(CheckRange(no, 0xFFFF, "number")));
                if (!p) RaiseKeyError(py::int_(no));
                return Hold(p);
            },
            py::arg("number"))
        .def(
            "insert_parameter",
            [](CZARVSrvNode& n, CZARVMetaProp& p) {
                if (!n.InsertPar(&p)) {
                    RaiseValueError("parameter " + std::to_string(p.GetID()) +
                                    " is taken or outside 930 to 959");
                }
            },
            py::arg("prop"))
        .def(
            "delete_parameter",
            [](CZARVSrvNode& n, long long no) {
                if (!n.DeletePar(static_cast<unsigned short>(CheckRange(no, 0xFFFF, "number")))) {
                    RaiseKeyError(py::int_(no));
                }
            },
            py::arg("number"))
        .def("free_parameter_number",
             [](CZARVSrvNode& n) -> py::object {
                 int no = n.GetFreeParNo();
                 return IntOrNone(no);
             })
        .def("__repr__",
             [](const CZARVSrvNode& n) { return "<ServiceNode " + n.module.str() + ">"; });
    TextField(srv, "module", &CZARVSrvNode::module);
    TextField(srv, "name", &CZARVSrvNode::name);
    TextField(srv, "version", &CZARVSrvNode::ver);
    TextField(srv, "description", &CZARVSrvNode::desc);
    TextField(srv, "pseudo_service", &CZARVSrvNode::pseudosrv);
}

// One of the library's three maps, as a mapping of module text to node.
struct NodeView {
    CZARVPtr<CZARVDrvLib> lib;
    CZARVDrvLib::NODETYPE type;

    py::object Find(const std::string& module) const {
        switch (type) {
            case CZARVDrvLib::NODE_DRV:
                if (auto* n = lib->GetDrvNode(module.c_str())) return py::cast(Hold(n));
                break;
            case CZARVDrvLib::NODE_SRV:
                if (auto* n = lib->GetSrvNode(module.c_str())) return py::cast(Hold(n));
                break;
            case CZARVDrvLib::NODE_TSK:
                if (auto* n = lib->GetTskNode(module.c_str())) return py::cast(Hold(n));
                break;
        }
        return py::none();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        lib->GetNodeNameList(names, type);
        return names;
    }
};

void BindLibrary(py::module_& m) {
    auto get = [](const NodeView& v, const std::string& module) {
        py::object node = v.Find(module);
        if (node.is_none()) RaiseKeyError(py::str(module));
        return node;
    };
    auto remove = [](NodeView& v, const std::string& module) {
        if (!v.lib->DeleteNode(module.c_str(), v.type)) RaiseKeyError(py::str(module));
    };
    py::class_<NodeView>(m, "NodeView", "The drivers, services or tasks by module text.")
        .def("__len__", [](const NodeView& v) { return v.Names().size(); })
        .def("names", &NodeView::Names)
        .def("__iter__",
             [](const NodeView& v) {
                 py::list nodes;
                 for (const std::string& name : v.Names()) nodes.append(v.Find(name));
                 return py::iter(nodes);
             })
        .def("__getitem__", get)
        .def("__contains__",
             [](const NodeView& v, const std::string& module) { return !v.Find(module).is_none(); })
        .def("__delitem__", remove)
        .def("delete", remove, py::arg("module"));

    py::class_<CZARVDrvLib, CZARVPtr<CZARVDrvLib>> lib(
        m, "DriverLibrary", "The driver library: drivers, services and tasks by module text.");
    BindFile<CZARVDrvLib>(lib);
    auto view = [](CZARVDrvLib::NODETYPE type) {
        return [type](CZARVDrvLib& l) { return NodeView{Hold(&l), type}; };
    };
    lib.def_property_readonly("drivers", view(CZARVDrvLib::NODE_DRV))
        .def_property_readonly("services", view(CZARVDrvLib::NODE_SRV))
        .def_property_readonly("tasks", view(CZARVDrvLib::NODE_TSK))
        .def(
            "insert",
            [](CZARVDrvLib& l, py::handle node) {
                bool stored;
                std::string module;
                if (py::isinstance<CZARVDrvNode>(node)) {
                    auto& n = node.cast<CZARVDrvNode&>();
                    module = n.module.str();
                    stored = l.InsertDrvNode(&n);
                } else if (py::isinstance<CZARVSrvNode>(node)) {
                    auto& n = node.cast<CZARVSrvNode&>();
                    module = n.module.str();
                    stored = l.InsertSrvNode(&n);
                } else if (py::isinstance<CZARVTskNode>(node)) {
                    auto& n = node.cast<CZARVTskNode&>();
                    module = n.module.str();
                    stored = l.InsertTskNode(&n);
                } else {
                    RaiseTypeError("the driver library holds DriverNode, ServiceNode and TaskNode");
                }
                if (!stored) RaiseValueError("the module " + module + " is taken");
            },
            py::arg("node"), "Adds the node under its module text; ValueError when it is taken.");
}

}  // namespace

void BindDriverLibrary(py::module_& m) {
    BindNodes(m);
    BindLibrary(m);
}

}  // namespace zarvpy
