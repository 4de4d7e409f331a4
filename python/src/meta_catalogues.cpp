// The catalogues of meta definitions: the meta property table, the typed
// object table, the pseudo definitions (all three ordered by a 16-bit ID)
// and the meta tables (nodes of fields, by name).
//
// An object's ID or name is fixed once it is made: the catalogues are
// ordered and looked up by it, so changing it inside a catalogue would
// break them.
#include <algorithm>
#include <string>
#include <vector>

#include "bindings.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"

namespace zarvpy {

namespace {

unsigned short IdArg(long long id) {
    return static_cast<unsigned short>(CheckRange(id, 0xFFFF, "ID"));
}

// What the meta property table, the typed object table and the pseudo
// definitions share: a mapping of ID to object with insert and delete.
// `get`, `insert` and `erase` are the catalogue's own names of the
// operations.
template <class Table, class Item, class Class>
void BindIdCatalogue(Class& cls, Item* (Table::*get)(unsigned short) const,
                     bool (Table::*insert)(Item*), bool (Table::*erase)(unsigned short)) {
    auto lookup = [get](const Table& t, long long id) {
        Item* item = (t.*get)(IdArg(id));
        if (!item) RaiseKeyError(py::int_(id));
        return Hold(item);
    };
    auto remove = [erase](Table& t, long long id) {
        if (!(t.*erase)(IdArg(id))) RaiseKeyError(py::int_(id));
    };
    BindFile<Table>(cls);
    cls.def("__len__", &Table::GetSize)
        .def("__iter__",
             [](Table& t) {
                 py::list items;
                 auto it = t.GetFirst();
                 while (Item* item = t.GetNext(it)) items.append(py::cast(Hold(item)));
                 return py::iter(items);
             })
        .def("__getitem__", lookup)
        .def("__contains__",
             [get](const Table& t, py::handle id) {
                 long long n = SmallInt(id);
                 return n >= 0 && n <= 0xFFFF && (t.*get)(static_cast<unsigned short>(n));
             })
        .def(
            "get",
            [get](const Table& t, long long id) -> py::object {
                Item* item = (t.*get)(IdArg(id));
                return item ? py::cast(Hold(item)) : py::none();
            },
            py::arg("id"))
        .def(
            "insert",
            [insert](Table& t, Item& item) {
                if (!(t.*insert)(&item)) {
                    RaiseValueError("the ID " + std::to_string(item.GetID()) + " is taken");
                }
            },
            py::arg("item"), "Adds the object; ValueError when its ID is taken.")
        .def("delete", remove, py::arg("id"))
        .def("__delitem__", remove);
}

// The fields a meta property and a table field share: the initial value
// with its kind, the input type, the parameter text and the description.
template <class Def, class Class>
void BindValueDef(Class& cls) {
    cls.def_property(
           "value",
           [](const Def& d) {
               _zarvVAR v;
               d.GetInitValue(v);
               return ToPython(v);
           },
           [](Def& d, py::handle v) { d = FromPython(v); },
           "The initial value; its kind is the value type (assign a Value to choose it).")
        .def_property_readonly("kind",
                               [](const Def& d) -> py::object {
                                   _zarvVAR v;
                                   d.GetInitValue(v);
                                   return ValueObject(v).attr("kind");
                               })
        .def_property(
            "input_type", [](const Def& d) { return static_cast<int>(d.GetInputType()); },
            [](Def& d, int v) { d.SetInputType(static_cast<decltype(d.GetInputType())>(v)); })
        .def_property("parameter", &Def::GetParameter,
                      [](Def& d, const std::string& v) { d.SetParameter(v.c_str()); })
        .def_property("description", &Def::GetDesc,
                      [](Def& d, const std::string& v) { d.SetDesc(v.c_str()); });
}

void BindMetaProps(py::module_& m) {
    py::class_<CZARVMetaProp, CZARVPtr<CZARVMetaProp>> prop(
        m, "MetaProp", "The definition of one property that points may carry.");
    prop.def(py::init([](long long id, const std::string& name, py::handle value, int input,
                         const std::string& parameter, const std::string& description, int valid) {
                 return Make<CZARVMetaProp>(IdArg(id), name.c_str(), FromPython(value),
                                            static_cast<METAINPUTTYPE>(input), parameter.c_str(),
                                            description.c_str(), static_cast<METAVALIDTYPE>(valid));
             }),
             py::arg("id"), py::arg("name") = "", py::arg("value") = py::none(),
             py::arg("input_type") = 0, py::arg("parameter") = "", py::arg("description") = "",
             py::arg("valid_type") = 0)
        .def_property_readonly("id", &CZARVMetaProp::GetID)
        .def_property("name", &CZARVMetaProp::GetMetaName,
                      [](CZARVMetaProp& p, const std::string& v) { p.SetMetaName(v.c_str()); })
        .def_property(
            "valid_type", [](const CZARVMetaProp& p) { return static_cast<int>(p.GetValidType()); },
            [](CZARVMetaProp& p, int v) { p.setValidType(static_cast<METAVALIDTYPE>(v)); })
        .def("__repr__", [](const CZARVMetaProp& p) {
            return "<MetaProp " + std::to_string(p.GetID()) + " " + p.GetMetaName() + ">";
        });
    BindValueDef<CZARVMetaProp>(prop);

    py::class_<CZARVMetaPropTbl, CZARVPtr<CZARVMetaPropTbl>> table(
        m, "MetaPropTable", "The meta property table: MetaProp objects by number.");
    BindIdCatalogue(table, &CZARVMetaPropTbl::GetMetaProp, &CZARVMetaPropTbl::InsertMetaProp,
                    &CZARVMetaPropTbl::DeleteMetaProp);
    table.def("free_id", [](const CZARVMetaPropTbl& t) -> py::object {
        int id = t.GetFreeMetaNo();
        return IntOrNone(id);
    });
}

void BindTypedObjects(py::module_& m) {
    py::class_<CZARVTypedObj, CZARVPtr<CZARVTypedObj>>(
        m, "TypedObject", "A kind of object and the meta numbers such an object carries.")
        .def(py::init([](long long id, const std::vector<long long>& metas,
                         const std::string& description) {
                 CZARVTypedObj::MetaList list;
                 for (long long n : metas) list.push_back(IdArg(n));
                 return Make<CZARVTypedObj>(IdArg(id), list, description.c_str());
             }),
             py::arg("id"), py::arg("metas") = std::vector<long long>{},
             py::arg("description") = "")
        .def_property_readonly("id", &CZARVTypedObj::GetID)
        .def_property("description", &CZARVTypedObj::GetDesc,
                      [](CZARVTypedObj& o, const std::string& v) { o.SetDesc(v.c_str()); })
        .def_property(
            "metas", [](CZARVTypedObj& o) { return o.GetMetaList(); },
            [](CZARVTypedObj& o, const std::vector<long long>& metas) {
                CZARVTypedObj::MetaList list;
                for (long long n : metas) list.push_back(IdArg(n));
                o.SetMetaList(list);
            },
            "The meta numbers, in order (a list copy; assign a new list to change them).")
        .def("__repr__", [](const CZARVTypedObj& o) {
            return "<TypedObject " + std::to_string(o.GetID()) + ">";
        });

    py::class_<CZARVTypedObjTbl, CZARVPtr<CZARVTypedObjTbl>> table(
        m, "TypedObjectTable", "The typed object table: TypedObject objects by ID.");
    BindIdCatalogue(table, &CZARVTypedObjTbl::GetTypedObj, &CZARVTypedObjTbl::InsertTypedObj,
                    &CZARVTypedObjTbl::DeleteTypedObj);
    table.def(
        "free_id",
        [](const CZARVTypedObjTbl& t, bool low) -> py::object {
            int id = t.GetFreeTypedObjID(low);
            return IntOrNone(id);
        },
        py::arg("low_range") = true);
}

// The meta numbers that have a value, ascending.
std::vector<unsigned short> MetaNumbers(const CZARVPseudo& p) {
    std::vector<unsigned short> numbers;
    p.GetPSDPropVector(numbers);
    return numbers;
}

void BindPseudos(py::module_& m) {
    auto lookup = [](const CZARVPseudo& p, long long no) {
        _zarvVAR v = p.PSDProp(IdArg(no));
        // An empty value is also what an absent number reads as.
        if (v.IsEmpty()) {
            std::vector<unsigned short> numbers = MetaNumbers(p);
            if (!std::binary_search(numbers.begin(), numbers.end(), IdArg(no))) {
                RaiseKeyError(py::int_(no));
            }
        }
        return v;
    };
    py::class_<CZARVPseudo, CZARVPtr<CZARVPseudo>>(
        m, "Pseudo", "A pseudo definition: a mapping of meta number to value.")
        .def(py::init([](long long id, py::object values) {
                 auto p = Make<CZARVPseudo>(IdArg(id));
                 if (!values.is_none()) {
                     for (py::handle item : ItemsOf(values, "a pseudo definition's values")) {
                         auto pair = py::reinterpret_borrow<py::tuple>(item);
                         p->InsertPSDProp(IdArg(pair[0].cast<long long>()), FromPython(pair[1]));
                     }
                 }
                 return p;
             }),
             py::arg("id"), py::arg("values") = py::none())
        .def_property_readonly("id", &CZARVPseudo::GetID)
        .def("__getitem__",
             [lookup](const CZARVPseudo& p, long long no) { return ToPython(lookup(p, no)); })
        .def(
            "value",
            [lookup](const CZARVPseudo& p, long long no) { return ValueObject(lookup(p, no)); },
            "The value with its kind.")
        .def("__setitem__",
             [](CZARVPseudo& p, long long no, py::handle v) {
                 _zarvVAR value = FromPython(v);
                 p.ClearPSDProp(IdArg(no));
                 p.InsertPSDProp(IdArg(no), value);
             })
        .def("__delitem__",
             [lookup](CZARVPseudo& p, long long no) {
                 lookup(p, no);
                 p.ClearPSDProp(IdArg(no));
             })
        .def("__iter__", [](const CZARVPseudo& p) { return py::iter(py::cast(MetaNumbers(p))); })
        .def("__len__", [](const CZARVPseudo& p) { return MetaNumbers(p).size(); })
        .def("__contains__",
             [](const CZARVPseudo& p, py::handle no) {
                 std::vector<unsigned short> numbers = MetaNumbers(p);
                 return std::find(numbers.begin(), numbers.end(), SmallInt(no)) != numbers.end();
             })
        .def("__repr__",
             [](const CZARVPseudo& p) { return "<Pseudo " + std::to_string(p.GetID()) + ">"; });

    py::class_<CZARVPseudos, CZARVPtr<CZARVPseudos>> table(
        m, "PseudoTable", "The pseudo definitions: Pseudo objects by ID.");
    BindIdCatalogue(table, &CZARVPseudos::GetPseudo, &CZARVPseudos::InsertPseudo,
                    &CZARVPseudos::DeletePseudo);
}

CZARVTableField& FieldOf(const CZARVTableNode& node, const std::string& name) {
    CZARVTableField* field = node.GetField(name.c_str());
    if (!field) RaiseKeyError(py::str(name));
    return *field;
}

void BindMetaTables(py::module_& m) {
    py::class_<CZARVTableField, CZARVPtr<CZARVTableField>> field(
        m, "TableField", "One field of a meta table, named within its table.");
    field
        .def(py::init([](const std::string& name, py::handle value, int input,
                         const std::string& parameter, const std::string& description) {
                 return Make<CZARVTableField>(name.c_str(), FromPython(value),
                                              static_cast<FLDINPUTTYPE>(input), parameter.c_str(),
                                              description.c_str());
             }),
             py::arg("name"), py::arg("value") = py::none(), py::arg("input_type") = 0,
             py::arg("parameter") = "", py::arg("description") = "")
        .def_property_readonly("name", &CZARVTableField::GetFieldName)
        .def("__repr__", [](const CZARVTableField& f) {
            return std::string("<TableField ") + f.GetFieldName() + ">";
        });
    BindValueDef<CZARVTableField>(field);

    auto remove_field = [](CZARVTableNode& n, const std::string& name) {
        if (!n.DeleteField(name.c_str())) RaiseKeyError(py::str(name));
    };
    py::class_<CZARVTableNode, CZARVPtr<CZARVTableNode>>(
        m, "TableNode", "One meta table: its fields in order, looked up by name.")
        .def("__len__", &CZARVTableNode::GetFieldCount)
        .def("__iter__",
             [](CZARVTableNode& n) {
                 py::list fields;
                 auto it = n.GetFirst();
                 while (CZARVTableField* f = n.GetNext(it)) fields.append(py::cast(Hold(f)));
                 return py::iter(fields);
             })
        .def("__getitem__", [](const CZARVTableNode& n,
                               const std::string& name) { return Hold(&FieldOf(n, name)); })
        .def("__contains__",
             [](const CZARVTableNode& n, const std::string& name) {
                 return n.GetField(name.c_str()) != nullptr;
             })
        .def(
            "insert",
            [](CZARVTableNode& n, CZARVTableField& f, int position) {
                if (!n.InsertField(&f, position)) {
                    RaiseValueError(std::string("the table has a field ") + f.GetFieldName());
                }
            },
            py::arg("field"), py::arg("position") = -1,
            "Puts the field at `position` (default: the end); ValueError for a taken name.")
        .def("delete", remove_field, py::arg("name"))
        .def("__delitem__", remove_field);

    auto node_of = [](const CZARVMetaTable& t, const std::string& name) {
        CZARVTableNode* node = t.GetTableNode(name.c_str());
        if (!node) RaiseKeyError(py::str(name));
        return Hold(node);
    };
    auto remove_node = [](CZARVMetaTable& t, const std::string& name) {
        if (!t.DeleteNode(name.c_str())) RaiseKeyError(py::str(name));
    };
    py::class_<CZARVMetaTable, CZARVPtr<CZARVMetaTable>> tables(
        m, "MetaTables", "The meta tables: TableNode objects by name.");
    BindFile<CZARVMetaTable>(tables);
    tables
        .def("__len__",
             [](const CZARVMetaTable& t) {
                 std::vector<std::string> names;
                 return t.GetNodeNameList(names);
             })
        .def("names",
             [](const CZARVMetaTable& t) {
                 std::vector<std::string> names;
                 t.GetNodeNameList(names);
                 return names;
             })
        .def("__iter__",
             [](const CZARVMetaTable& t) {
                 std::vector<std::string> names;
                 t.GetNodeNameList(names);
                 return py::iter(py::cast(names));
             })
        .def("__getitem__", node_of)
        .def("__contains__",
             [](const CZARVMetaTable& t, const std::string& name) {
                 return t.GetTableNode(name.c_str()) != nullptr;
             })
        .def(
            "create",
            [](CZARVMetaTable& t, py::object name) {
                if (name.is_none()) {
                    _zarv_str used;
                    if (!t.CreateNewNode(used)) RaiseValueError("every table name TBLn is taken");
                    return std::string(used.str());
                }
                std::string n = py::str(name);
                if (!t.CreateNewNode(n.c_str())) RaiseValueError("the table " + n + " exists");
                return n;
            },
            py::arg("name") = py::none(),
            "Adds an empty table (named TBL0, TBL1, ... when no name is given); returns its "
            "name.")
        .def(
            "rename",
            [node_of](CZARVMetaTable& t, const std::string& old_name, const std::string& new_name) {
                node_of(t, old_name);
                if (!t.RenameNode(old_name.c_str(), new_name.c_str())) {
                    RaiseValueError("the table " + new_name + " exists");
                }
            },
            py::arg("old_name"), py::arg("new_name"))
        .def("delete", remove_node, py::arg("name"))
        .def("__delitem__", remove_node);
}

}  // namespace

void BindMetaCatalogues(py::module_& m) {
    BindMetaProps(m);
    BindTypedObjects(m);
    BindPseudos(m);
    BindMetaTables(m);
}

}  // namespace zarvpy
