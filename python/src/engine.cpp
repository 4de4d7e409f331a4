// Engine, Point and LiveValue: an installation's configuration databases
// and live values as Python sees them.
//
// The Python Engine holds the library's engine and the meta property table
// it was given, so the table lives as long as the engine uses it. Points
// are the engine's records, each held by its own reference: a point read
// before a delete, a reload or the engine's end stays readable (with what it
// held then).
#include <cerrno>
#include <string>
#include <vector>

#include "bindings.h"
// After Python.h, which bindings.h includes.
#include <datetime.h>

#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "meta/meta_prop_tbl.h"

namespace zarvpy {

namespace {

using Records = CZARVDataSet<CZARVMPInfo>;

class Engine {
public:
    explicit Engine(const std::string& version) : m_db(Make<CZARVQENDbEngine>(version.c_str())) {}

    CZARVQENDbEngine& Db() const {
        if (!m_db) RaiseValueError("the engine is closed");
        return *m_db;
    }
    void Close() {
        m_db.reset();
        m_meta.reset();
    }
    bool IsClosed() const { return !m_db; }

    CZARVPtr<CZARVMetaPropTbl> GetMeta() const { return m_meta; }
    void SetMeta(CZARVPtr<CZARVMetaPropTbl> meta) {
        Db().SetMetaProps(meta.get());
        m_meta = std::move(meta);
    }

private:
    CZARVPtr<CZARVQENDbEngine> m_db;
    // The engine only points at the table; this keeps it alive meanwhile.
    CZARVPtr<CZARVMetaPropTbl> m_meta;
};

unsigned char RidArg(long long rid) {
    return static_cast<unsigned char>(CheckRange(rid, 255, "RID"));
}

int ValidTypeArg(py::handle vt) {
    if (!PyLong_Check(vt.ptr())) {
        RaiseTypeError(std::string("a valid type is an int, not ") + Py_TYPE(vt.ptr())->tp_name);
    }
    long long n = SmallInt(vt);
    if (n < 0 || n > CZARVMPInfo::kMaxValidType) {
        RaiseValueError("valid type " + std::string(py::repr(vt)) + " is outside 0 to " +
                        std::to_string(CZARVMPInfo::kMaxValidType));
    }
    return static_cast<int>(n);
}

unsigned short PropArg(py::handle key) {
    if (!PyLong_Check(key.ptr())) {
        RaiseTypeError(std::string("a property number is an int, not ") +
                       Py_TYPE(key.ptr())->tp_name);
    }
    long long n = SmallInt(key);
    if (n < 0 || n > CZARVMPInfo::kMaxStoredPropNumber) {
        RaiseValueError("property number " + std::string(py::repr(key)) + " is outside 0 to " +
                        std::to_string(CZARVMPInfo::kMaxStoredPropNumber));
    }
    return static_cast<unsigned short>(n);
}

[[noreturn]] void RaiseNoDatabase(unsigned char rid) {
    RaiseKeyError(py::str("no configuration database for RID {}").format(rid));
}

void RequireDatabase(const CZARVQENDbEngine& db, unsigned char rid) {
    if (db.GetConfigDBType(rid) < 0) RaiseNoDatabase(rid);
}

// The valid type of property `id`: from a mapping of property numbers, or
// the one number for all; `fallback` when the mapping does not name it.
int ValidTypeOf(py::handle valid, py::handle id, int fallback) {
    if (valid.is_none()) return fallback;
    if (PyLong_Check(valid.ptr())) return ValidTypeArg(valid);
    if (!py::hasattr(valid, "get")) {
        RaiseTypeError("valid_type is an int or a mapping of property number to valid type");
    }
    py::object vt = valid.attr("get")(id);
    return vt.is_none() ? fallback : ValidTypeArg(vt);
}

// Sets the properties of `props` (a mapping of property number to value) on
// `info`.
void SetProps(CZARVMPInfo& info, py::handle props, py::handle valid) {
    for (py::handle item : ItemsOf(props, "the properties")) {
        auto pair = py::reinterpret_borrow<py::tuple>(item);
        unsigned short id = PropArg(pair[0]);
        int vt = ValidTypeOf(valid, pair[0], std::max(info.MPType(id), 0));
        info.SetMPProp(id, FromPython(pair[1]), vt);
    }
}

// Stores `info`; the exceptions say why the engine refused it.
void Store(CZARVQENDbEngine& db, CZARVMPInfo& info) {
    uint32_t g = zarvgmpid::FromArg(info.GetGMPID());
    unsigned char rid = zarvgmpid::RID(g);
    RequireDatabase(db, rid);
    if (db.GetMPInfo(g))
        RaiseValueError("point " + std::string(py::str(GmpidObject(g))) + " exists");
    if (db.InsertMPInfo(&info)) return;
    std::string why = "the engine refused point " + std::string(py::str(GmpidObject(g)));
    if (CZARVQENDbEngine::KeepsIOIndex(rid, db.GetConfigDBType(rid)) &&
        info.IsExist(CZARVQENDbEngine::kIOAddrProp1)) {
        why += ": its IO address " + info.MPProp(CZARVQENDbEngine::kIOAddrProp1).ToString();
        if (info.IsExist(CZARVQENDbEngine::kIOAddrProp2)) {
            why += "$" + info.MPProp(CZARVQENDbEngine::kIOAddrProp2).ToString();
        }
        why += " is taken";
    }
    RaiseValueError(why);
}

CZARVPtr<CZARVMPInfo> Insert(CZARVQENDbEngine& db, py::handle gmpid, py::handle props,
                             py::handle valid) {
    auto info = Make<CZARVMPInfo>(GmpidArg(gmpid));
    SetProps(*info, props, valid);
    Store(db, *info);
    return info;
}

CZARVMPInfo& GetPoint(const CZARVQENDbEngine& db, py::handle gmpid) {
    uint32_t g = GmpidArg(gmpid);
    CZARVMPInfo* info = db.GetMPInfo(g);
    if (!info) RaiseKeyError(GmpidObject(g));
    return *info;
}

// The records of a RID, a group or a block.
void List(const CZARVQENDbEngine& db, long long rid_arg, py::handle group, py::handle block,
          Records& out) {
    unsigned char rid = RidArg(rid_arg);
    RequireDatabase(db, rid);
    if (group.is_none()) {
        if (!block.is_none()) RaiseValueError("a block is chosen within a group");
        for (unsigned g = 0; g < 256; ++g) db.ListMPInfo(rid, static_cast<unsigned char>(g), out);
        return;
    }
    auto g = static_cast<unsigned char>(CheckRange(group.cast<long long>(), 255, "group"));
    if (block.is_none()) {
        db.ListMPInfo(rid, g, out);
    } else {
        auto b = static_cast<unsigned char>(
            CheckRange(block.cast<long long>(), zarvgmpid::kMaxBlock, "block"));
        db.ListMPInfo(rid, g, b, out);
    }
}

py::list PointList(const Records& records) {
    py::list out(records.size());
    for (int i = 0; i < records.size(); ++i) out[i] = py::cast(Hold(records[i]));
    return out;
}

// {property number: value} of a record, built with the C API: the bulk
// reads make millions of these.
py::dict PropDict(const CZARVMPInfo& info) {
    py::dict d;
    for (int i = 0, n = info.GetMPPropCount(); i < n; ++i) {
        py::object key = py::reinterpret_steal<py::object>(PyLong_FromLong(info.GetMPPropIdAt(i)));
        py::object value = ToPython(info.GetMPPropAt(i));
        if (PyDict_SetItem(d.ptr(), key.ptr(), value.ptr()) != 0) throw py::error_already_set();
    }
    return d;
}

// --- time stamps: milliseconds since the epoch <-> aware UTC datetimes ---

py::object Epoch() {
    // Never destroyed: a static object would be released after the
    // interpreter has finalised.
    static const auto* epoch = [] {
        py::module_ datetime = py::module_::import("datetime");
        return new py::object(datetime.attr("datetime")(1970, 1, 1, 0, 0, 0, 0,
                                                        datetime.attr("timezone").attr("utc")));
    }();
    return *epoch;
}

py::object TimeToPython(const CZARVTime& time) {
    int64_t ms = time.GetMilliseconds();
    int64_t secs = time.GetSeconds();
    int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    py::object delta = py::reinterpret_steal<py::object>(
        PyDelta_FromDSU(static_cast<int>(days), static_cast<int>(secs - days * 86400),
                        static_cast<int>((ms - secs * 1000) * 1000)));
    if (!delta) throw py::error_already_set();
    // Outside datetime's years 1 to 9999 the sum raises OverflowError.
    return Epoch() + delta;
}

CZARVTime TimeFromPython(py::handle obj) {
    if (obj.is_none()) return CZARVTime::Now();
    if (!PyDateTime_Check(obj.ptr())) {
        RaiseTypeError(std::string("a time stamp is a datetime, not ") +
                       Py_TYPE(obj.ptr())->tp_name);
    }
    py::object dt = py::reinterpret_borrow<py::object>(obj);
    // A datetime without a time zone is taken as UTC, the engine's time.
    if (dt.attr("tzinfo").is_none())
        dt = dt.attr("replace")(py::arg("tzinfo") = Epoch().attr("tzinfo"));
    py::object delta = dt - Epoch();
    int64_t days = PyDateTime_DELTA_GET_DAYS(delta.ptr());
    int64_t secs = PyDateTime_DELTA_GET_SECONDS(delta.ptr());
    int64_t us = PyDateTime_DELTA_GET_MICROSECONDS(delta.ptr());
    return CZARVTime((days * 86400 + secs) * 1000 + us / 1000);
}

PyTypeObject* g_liveValueType = nullptr;

py::object LiveValue(const _zarvVAR& value, const CMPQuality& quality, const CZARVTime& time) {
    PyObject* o = PyStructSequence_New(g_liveValueType);
    if (!o) throw py::error_already_set();
    py::object result = py::reinterpret_steal<py::object>(o);
    PyStructSequence_SetItem(o, 0, ToPython(value).release().ptr());
    PyStructSequence_SetItem(o, 1, PyLong_FromUnsignedLong(quality.GetValue()));
    PyStructSequence_SetItem(o, 2, TimeToPython(time).release().ptr());
    return result;
}

void BindLiveValue(py::module_& m) {
    static PyStructSequence_Field fields[] = {
        {"value", "the value, None when empty"},
        {"quality", "the quality flags, 0 for good (see Quality)"},
        {"time", "the time stamp, an aware datetime in UTC"},
        {nullptr, nullptr}};
    static PyStructSequence_Desc desc = {
        "zarvqencore.LiveValue", "A point's live value: (value, quality, time).", fields, 3};
    g_liveValueType = PyStructSequence_NewType(&desc);
    if (!g_liveValueType) throw py::error_already_set();
    m.add_object("LiveValue", reinterpret_cast<PyObject*>(g_liveValueType));
}

py::object ReadValue(const CZARVQENDbEngine& db, uint32_t g) {
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    if (!db.ReadValue(g, value, quality, time)) RaiseKeyError(GmpidObject(g));
    return LiveValue(value, quality, time);
}

// Writes one value; true when value or quality changed.
bool WriteValue(CZARVQENDbEngine& db, uint32_t g, py::handle value, uint32_t quality,
                const CZARVTime& time) {
    unsigned int result = db.WriteValue(g, FromPython(value), CMPQuality(quality), time);
    if (result == CZARVSubRtdb::WRITE_UNKNOWN) RaiseKeyError(GmpidObject(g));
    return result == CZARVSubRtdb::WRITE_CHANGED;
}

uint32_t QualityArg(long long q) {
    if (q < 0 || q > 0xFFFFFFFFll) RaiseValueError("a quality is a 32-bit set of flags");
    return static_cast<uint32_t>(q);
}

void BindPoint(py::module_& m) {
    py::class_<CZARVMPInfo, CZARVPtr<CZARVMPInfo>>(
        m, "Point",
        "A point's configuration record: a read-only mapping of property number to value.")
        .def_property_readonly(
            "gmpid",
            [](const CZARVMPInfo& p) { return GmpidObject(zarvgmpid::FromArg(p.GetGMPID())); })
        .def("__getitem__",
             [](const CZARVMPInfo& p, py::handle key) {
                 const _zarvVAR* v = p.FindMPProp(PropArg(key));
                 if (!v) RaiseKeyError(py::reinterpret_borrow<py::object>(key));
                 return ToPython(*v);
             })
        .def("__contains__",
             [](const CZARVMPInfo& p, py::handle key) {
                 long long n = SmallInt(key);
                 return n >= 0 && n <= 0xFFFF && p.IsExist(static_cast<unsigned short>(n));
             })
        .def("__len__", &CZARVMPInfo::GetMPPropCount)
        .def("__iter__",
             [](const CZARVMPInfo& p) {
                 std::vector<unsigned short> ids;
                 p.GetMPPropVector(ids);
                 return py::iter(py::cast(ids));
             })
        .def(
            "get",
            [](const CZARVMPInfo& p, py::handle key, py::object fallback) {
                const _zarvVAR* v = p.FindMPProp(PropArg(key));
                return v ? ToPython(*v) : fallback;
            },
            py::arg("number"), py::arg("default") = py::none())
        .def(
            "value",
            [](const CZARVMPInfo& p, py::handle key) {
                const _zarvVAR* v = p.FindMPProp(PropArg(key));
                if (!v) RaiseKeyError(py::reinterpret_borrow<py::object>(key));
                return ValueObject(*v);
            },
            "The property as a Value, with its kind.")
        .def("valid_type",
             [](const CZARVMPInfo& p, py::handle key) {
                 int vt = p.MPType(PropArg(key));
                 if (vt < 0) RaiseKeyError(py::reinterpret_borrow<py::object>(key));
                 return vt;
             })
        .def("to_dict", &PropDict, "Every property as a dict {number: value}.")
        .def("__repr__", [](const CZARVMPInfo& p) {
            return "<Point " + std::string(py::str(GmpidObject(zarvgmpid::FromArg(p.GetGMPID())))) +
                   ", " + std::to_string(p.GetMPPropCount()) + " properties>";
        });
}

}  // namespace

void BindEngine(py::module_& m) {
    PyDateTime_IMPORT;
    if (!PyDateTimeAPI) throw py::error_already_set();
    BindLiveValue(m);
    BindPoint(m);

    const auto none = py::none();
    py::class_<Engine>(m, "Engine",
                       "The configuration databases of one installation, by RID, and their live "
                       "values.")
        .def(py::init<const std::string&>(), py::arg("version") = "1.0.0")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Engine& e, py::args) { e.Close(); })
        .def("close", &Engine::Close, "Releases every database; points already read stay.")
        .def_property_readonly("closed", &Engine::IsClosed)
        .def_property(
            "meta_props", &Engine::GetMeta,
            [](Engine& e, CZARVPtr<CZARVMetaPropTbl> t) { e.SetMeta(std::move(t)); },
            "The meta property table loads use (None for none).")
        .def_property(
            "modified", [](const Engine& e) { return e.Db().IsModified(); },
            [](Engine& e, bool v) { e.Db().SetModify(v); })
        // --- databases ---
        .def(
            "create_database",
            [](Engine& e, long long rid, int type) {
                if (!e.Db().CreateConfigDB(RidArg(rid), type)) {
                    RaiseValueError("no database can be created for RID " + std::to_string(rid));
                }
            },
            py::arg("rid"), py::arg("type") = 0)
        .def(
            "delete_database", [](Engine& e, long long rid) { e.Db().DeleteConfigDB(RidArg(rid)); },
            py::arg("rid"))
        .def(
            "database_type",
            [](const Engine& e, long long rid) {
                int type = e.Db().GetConfigDBType(RidArg(rid));
                if (type < 0) RaiseNoDatabase(RidArg(rid));
                return type;
            },
            py::arg("rid"))
        .def("databases",
             [](const Engine& e) {
                 py::list rids;
                 for (int rid = 0; rid < 256; ++rid) {
                     if (e.Db().GetConfigDBType(static_cast<unsigned char>(rid)) >= 0) {
                         rids.append(rid);
                     }
                 }
                 return rids;
             })
        .def(
            "load",
            [](Engine& e, long long rid, const std::string& path, int type) {
                CZARVQENDbEngine& db = e.Db();
                unsigned char r = RidArg(rid);
                LoadOrRaise(path, [&](CZARVLoadReporter* why) {
                    return db.LoadFromFile(r, path.c_str(), "1.0.0", type, why);
                });
            },
            py::arg("rid"), py::arg("path"), py::arg("type") = 0)
        .def(
            "save",
            [](Engine& e, long long rid, const std::string& path) {
                CZARVQENDbEngine& db = e.Db();
                unsigned char r = RidArg(rid);
                RequireDatabase(db, r);
                errno = 0;
                if (!db.SaveToTemplate(r, path.c_str(), "1.0.0")) {
                    RaiseSaveFailed(path, "the database does not fit the file format");
                }
            },
            py::arg("rid"), py::arg("path"))
        // --- points ---
        .def(
            "insert",
            [](Engine& e, py::handle gmpid, py::handle props, py::handle valid) {
                return Insert(e.Db(), gmpid, props, valid);
            },
            py::arg("gmpid"), py::arg("properties"), py::arg("valid_type") = none,
            "Inserts a point from {property number: value}; valid_type is one number for all "
            "properties or a mapping of property number to valid type (default 0).")
        .def(
            "insert_many",
            [](Engine& e, py::iterable points, py::handle valid) {
                CZARVQENDbEngine& db = e.Db();
                int stored = 0;
                for (py::handle item : points) {
                    auto pair = py::reinterpret_borrow<py::tuple>(item);
                    if (pair.size() != 2)
                        RaiseTypeError("insert_many takes (gmpid, properties) pairs");
                    Insert(db, pair[0], pair[1], valid);
                    ++stored;
                }
                return stored;
            },
            py::arg("points"), py::arg("valid_type") = none,
            "Inserts (gmpid, properties) pairs in order; stops at the first refused one.")
        .def(
            "update",
            [](Engine& e, py::handle gmpid, py::handle changes, py::handle valid) {
                CZARVQENDbEngine& db = e.Db();
                CZARVPtr<CZARVMPInfo> old = Hold(&GetPoint(db, gmpid));
                auto info = Make<CZARVMPInfo>(old->GetGMPID());
                for (int i = 0; i < old->GetMPPropCount(); ++i) {
                    info->SetMPProp(old->GetMPPropIdAt(i), old->GetMPPropAt(i),
                                    old->GetMPTypeAt(i));
                }
                SetProps(*info, changes, valid);
                // Records are immutable in the engine (the IO index and the
                // associations are keyed by their properties): the point is
                // replaced whole, and put back when the new one is refused.
                db.DeleteMPInfo(old->GetGMPID());
                try {
                    Store(db, *info);
                } catch (...) {
                    db.InsertMPInfo(old.get());
                    throw;
                }
                return info;
            },
            py::arg("gmpid"), py::arg("changes"), py::arg("valid_type") = none,
            "Replaces the point by a copy with the properties of `changes` set.")
        .def(
            "get",
            [](const Engine& e, py::handle gmpid) {
                CZARVMPInfo* info = e.Db().GetMPInfo(GmpidArg(gmpid));
                return info ? py::cast(Hold(info)) : py::none();
            },
            py::arg("gmpid"), "The point, or None.")
        .def("__getitem__",
             [](const Engine& e, py::handle gmpid) { return Hold(&GetPoint(e.Db(), gmpid)); })
        .def("__contains__",
             [](const Engine& e, py::handle gmpid) {
                 return e.Db().GetMPInfo(GmpidArg(gmpid)) != nullptr;
             })
        .def(
            "points",
            [](const Engine& e, long long rid, py::handle group, py::handle block) {
                Records records;
                List(e.Db(), rid, group, block, records);
                return PointList(records);
            },
            py::arg("rid"), py::arg("group") = none, py::arg("block") = none,
            "The points of a RID, a group or a block, by ascending GMPID.")
        .def(
            "read_points",
            [](const Engine& e, long long rid, py::handle group, py::handle block) {
                Records records;
                List(e.Db(), rid, group, block, records);
                py::dict out;
                for (const CZARVMPInfo* info : records) {
                    py::object key = py::reinterpret_steal<py::object>(
                        PyLong_FromUnsignedLong(zarvgmpid::FromArg(info->GetGMPID())));
                    if (PyDict_SetItem(out.ptr(), key.ptr(), PropDict(*info).ptr()) != 0) {
                        throw py::error_already_set();
                    }
                }
                return out;
            },
            py::arg("rid"), py::arg("group") = none, py::arg("block") = none,
            "Every property of the points of a RID, a group or a block in one call: "
            "{gmpid as int: {property number: value}}.")
        .def(
            "points_by_io",
            [](const Engine& e, long long rid, const std::string& key, py::handle block) {
                Records records;
                int n = block.is_none()
                            ? e.Db().ListMPInfoByIO(RidArg(rid), key.c_str(), records)
                            : e.Db().ListMPInfoByIO(
                                  RidArg(rid),
                                  static_cast<unsigned char>(CheckRange(
                                      block.cast<long long>(), zarvgmpid::kMaxBlock, "block")),
                                  key.c_str(), records);
                if (n < 0) RaiseKeyError(py::str(key));
                return PointList(records);
            },
            py::arg("rid"), py::arg("key"), py::arg("block") = none,
            "The points indexed under an IO address \"<401>$<402>\" or \"<401>\".")
        .def(
            "delete",
            [](Engine& e, py::handle gmpid) {
                e.Db().DeleteMPInfo(GetPoint(e.Db(), gmpid).GetGMPID());
            },
            py::arg("gmpid"))
        .def("__delitem__",
             [](Engine& e, py::handle gmpid) {
                 e.Db().DeleteMPInfo(GetPoint(e.Db(), gmpid).GetGMPID());
             })
        .def(
            "delete_points",
            [](Engine& e, long long rid, long long group, py::handle block) {
                auto g = static_cast<unsigned char>(CheckRange(group, 255, "group"));
                if (block.is_none()) {
                    e.Db().DeleteMPInfo(RidArg(rid), g);
                } else {
                    e.Db().DeleteMPInfo(
                        RidArg(rid), g,
                        static_cast<unsigned char>(
                            CheckRange(block.cast<long long>(), zarvgmpid::kMaxBlock, "block")));
                }
            },
            py::arg("rid"), py::arg("group"), py::arg("block") = none,
            "Deletes the points of a group or of one of its blocks.")
        .def(
            "delete_by_io",
            [](Engine& e, long long rid, const std::string& key) {
                Records records;
                if (e.Db().ListMPInfoByIO(RidArg(rid), key.c_str(), records) < 0) {
                    RaiseKeyError(py::str(key));
                }
                e.Db().DeleteMPInfoByIO(RidArg(rid), key.c_str());
            },
            py::arg("rid"), py::arg("key"))
        // --- identifiers and associations ---
        .def(
            "free_rid",
            [](const Engine& e, long long start, long long stop) -> py::object {
                if (start < 0 || stop > 254 || start >= stop) {
                    RaiseValueError("free_rid searches a range within 0 to 254");
                }
                int rid = e.Db().GetFreeRID(static_cast<int>(start), static_cast<int>(stop));
                return IntOrNone(rid);
            },
            py::arg("start") = 0, py::arg("stop") = 254,
            "The first RID in [start, stop) without database, or None.")
        .def(
            "free_gmpids",
            [](const Engine& e, long long rid, long long group, long long block, py::handle limit) {
                const CZARVQENDbEngine& db = e.Db();
                unsigned char r = RidArg(rid);
                auto g = static_cast<unsigned char>(CheckRange(group, 255, "group"));
                auto b =
                    static_cast<unsigned char>(CheckRange(block, zarvgmpid::kMaxBlock, "block"));
                RequireDatabase(db, r);
                unsigned int count = db.GetFreeGMPID(r, g, b, nullptr, 0);
                if (!limit.is_none()) {
                    count = std::min<unsigned int>(
                        count, CheckRange(limit.cast<long long>(), zarvgmpid::kBlockSize, "limit"));
                }
                std::vector<unsigned long> ids(count);
                count = db.GetFreeGMPID(r, g, b, ids.data(), count);
                py::list out;
                for (unsigned int i = 0; i < count; ++i) out.append(GmpidObject(ids[i]));
                return out;
            },
            py::arg("rid"), py::arg("group"), py::arg("block"), py::arg("limit") = none,
            "The GMPIDs of a block that no point uses, ascending.")
        .def(
            "associations",
            [](const Engine& e, py::handle gmpid) {
                uint32_t g = GmpidArg(gmpid);
                unsigned int count = e.Db().GetAssGMPID(g, nullptr, 0);
                std::vector<unsigned long> ids(count);
                count = e.Db().GetAssGMPID(g, ids.data(), static_cast<int>(count));
                py::list out;
                for (unsigned int i = 0; i < count; ++i) out.append(GmpidObject(ids[i]));
                return out;
            },
            py::arg("gmpid"), "The points whose reference (property 499) names this point.")
        // --- live values ---
        .def(
            "read_value",
            [](const Engine& e, py::handle gmpid) { return ReadValue(e.Db(), GmpidArg(gmpid)); },
            py::arg("gmpid"), "The live value (value, quality, time); references are followed.")
        .def(
            "read_values",
            [](const Engine& e, py::iterable gmpids) {
                py::list out;
                for (py::handle g : gmpids) out.append(ReadValue(e.Db(), GmpidArg(g)));
                return out;
            },
            py::arg("gmpids"))
        .def(
            "write_value",
            [](Engine& e, py::handle gmpid, py::handle value, long long quality, py::handle time) {
                return WriteValue(e.Db(), GmpidArg(gmpid), value, QualityArg(quality),
                                  TimeFromPython(time));
            },
            py::arg("gmpid"), py::arg("value"), py::arg("quality") = 0, py::arg("time") = none,
            "Writes a live value (time None: now); True when value or quality changed.")
        .def(
            "write_values",
            [](Engine& e, py::handle values, long long quality, py::handle time) {
                CZARVTime t = TimeFromPython(time);
                uint32_t q = QualityArg(quality);
                int changed = 0;
                for (py::handle item : ItemsOf(values, "the values")) {
                    auto pair = py::reinterpret_borrow<py::tuple>(item);
                    changed += WriteValue(e.Db(), GmpidArg(pair[0]), pair[1], q, t);
                }
                return changed;
            },
            py::arg("values"), py::arg("quality") = 0, py::arg("time") = none,
            "Writes {gmpid: value} with one quality and time; returns how many changed.");
}

}  // namespace zarvpy
