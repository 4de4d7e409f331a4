// Values between the library's variant and Python (bindings.h), and the
// classes Kind and Value that let a script choose a kind Python's own types
// leave open (a 16-bit unsigned, a 32-bit float).
#include <cfloat>
#include <cmath>
#include <limits>

#include "bindings.h"

namespace zarvpy {

namespace {

enum class Kind : int {
    kEmpty = _zarvVAR::VT_EMPTY,
    kBool = _zarvVAR::VT_BOOL,
    kI16 = _zarvVAR::VT_I2,
    kU16 = _zarvVAR::VT_UI2,
    kI32 = _zarvVAR::VT_I4,
    kU32 = _zarvVAR::VT_UI4,
    kF32 = _zarvVAR::VT_R4,
    kF64 = _zarvVAR::VT_R8,
    kText = _zarvVAR::VT_STR,
    kI64 = _zarvVAR::VT_I8,
    kU64 = _zarvVAR::VT_UI8,
};

// A value with its kind, as Python holds one.
struct Value {
    _zarvVAR var;
};

const char* KindName(int kind) {
    switch (kind) {
        case _zarvVAR::VT_EMPTY:
            return "EMPTY";
        case _zarvVAR::VT_BOOL:
            return "BOOL";
        case _zarvVAR::VT_I2:
            return "I16";
        case _zarvVAR::VT_UI2:
            return "U16";
        case _zarvVAR::VT_I4:
            return "I32";
        case _zarvVAR::VT_UI4:
            return "U32";
        case _zarvVAR::VT_R4:
            return "F32";
        case _zarvVAR::VT_R8:
            return "F64";
        case _zarvVAR::VT_STR:
            return "TEXT";
        case _zarvVAR::VT_I8:
            return "I64";
        case _zarvVAR::VT_UI8:
            return "U64";
    }
    return "?";
}

[[noreturn]] void RaiseWrongType(py::handle obj, int kind) {
    RaiseTypeError(std::string("a value of kind ") + KindName(kind) + " cannot be made from " +
                   Py_TYPE(obj.ptr())->tp_name);
}

[[noreturn]] void RaiseDoesNotFit(py::handle obj, int kind) {
    RaiseValueError(std::string(py::repr(obj)) + " does not fit kind " + KindName(kind));
}

bool IsText(py::handle obj) { return PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()); }

void SetText(_zarvVAR& v, py::handle obj) {
    Py_ssize_t size = 0;
    const char* data = nullptr;
    if (PyBytes_Check(obj.ptr())) {
        data = PyBytes_AS_STRING(obj.ptr());
        size = PyBytes_GET_SIZE(obj.ptr());
    } else {
        data = PyUnicode_AsUTF8AndSize(obj.ptr(), &size);
        if (!data) throw py::error_already_set();
    }
    v.SetText(data, static_cast<size_t>(size));
}

// The integer of `obj` within [lo, hi] (hi above INT64_MAX only for U64).
template <class T>
T IntegerOf(py::handle obj, int kind) {
    if (!PyLong_Check(obj.ptr())) RaiseWrongType(obj, kind);
    if constexpr (std::is_same_v<T, unsigned long long>) {
        unsigned long long u = PyLong_AsUnsignedLongLong(obj.ptr());
        if (u == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
            PyErr_Clear();
            RaiseDoesNotFit(obj, kind);
        }
        return u;
    } else {
        int overflow = 0;
        long long n = PyLong_AsLongLongAndOverflow(obj.ptr(), &overflow);
        if (overflow || n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max()) {
            RaiseDoesNotFit(obj, kind);
        }
        return static_cast<T>(n);
    }
}

double FloatOf(py::handle obj, int kind) {
    if (!PyFloat_Check(obj.ptr()) && !PyLong_Check(obj.ptr())) RaiseWrongType(obj, kind);
    double d = PyFloat_AsDouble(obj.ptr());
    if (d == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        RaiseDoesNotFit(obj, kind);
    }
    return d;
}

}  // namespace

py::object ToPython(const _zarvVAR& v) {
    PyObject* o = nullptr;
    switch (v.GetType()) {
        case _zarvVAR::VT_BOOL:
            o = PyBool_FromLong(v.GetBool());
            break;
        case _zarvVAR::VT_I2:
        case _zarvVAR::VT_I4:
        case _zarvVAR::VT_I8:
            o = PyLong_FromLongLong(v.ToLongLong());
            break;
        case _zarvVAR::VT_UI2:
        case _zarvVAR::VT_UI4:
        case _zarvVAR::VT_UI8:
            o = PyLong_FromUnsignedLongLong(v.ToULongLong());
            break;
        case _zarvVAR::VT_R4:
            o = PyFloat_FromDouble(v.GetFloat());
            break;
        case _zarvVAR::VT_R8:
            o = PyFloat_FromDouble(v.GetDouble());
            break;
        case _zarvVAR::VT_STR: {
            const char* data = v.GetText();
            auto size = static_cast<Py_ssize_t>(v.GetTextLength());
            o = PyUnicode_DecodeUTF8(data, size, "strict");
            if (!o && PyErr_ExceptionMatches(PyExc_UnicodeDecodeError)) {
                // Texts written by other tools may be in a legacy code page.
                PyErr_Clear();
                o = PyBytes_FromStringAndSize(data, size);
            }
            break;
        }
        default:
            return py::none();
    }
    if (!o) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(o);
}

_zarvVAR FromPython(py::handle obj) {
    _zarvVAR v;
    PyObject* o = obj.ptr();
    if (o == Py_None) return v;
    if (PyBool_Check(o)) {
        v = o == Py_True;
    } else if (PyLong_Check(o)) {
        int overflow = 0;
        long long n = PyLong_AsLongLongAndOverflow(o, &overflow);
        if (overflow > 0) {
            v = IntegerOf<unsigned long long>(obj, _zarvVAR::VT_UI8);
        } else if (overflow < 0) {
            RaiseDoesNotFit(obj, _zarvVAR::VT_I8);
        } else if (n >= INT32_MIN && n <= INT32_MAX) {
            v = static_cast<int>(n);
        } else {
            v = n;
        }
    } else if (PyFloat_Check(o)) {
        v = PyFloat_AS_DOUBLE(o);
    } else if (IsText(obj)) {
        SetText(v, obj);
    } else if (py::isinstance<Value>(obj)) {
        v = obj.cast<const Value&>().var;
    } else {
        RaiseTypeError(std::string("no value kind holds a ") + Py_TYPE(o)->tp_name +
                       " (use None, bool, int, float, str, bytes or Value)");
    }
    return v;
}

_zarvVAR FromPython(py::handle obj, int kind) {
    if (py::isinstance<Value>(obj)) return FromPython(ToPython(obj.cast<const Value&>().var), kind);
    _zarvVAR v;
    switch (kind) {
        case _zarvVAR::VT_EMPTY:
            if (!obj.is_none()) RaiseWrongType(obj, kind);
            break;
        case _zarvVAR::VT_BOOL:
            if (!PyBool_Check(obj.ptr())) RaiseWrongType(obj, kind);
            v = obj.ptr() == Py_True;
            break;
        case _zarvVAR::VT_I2:
            v = IntegerOf<short>(obj, kind);
            break;
        case _zarvVAR::VT_UI2:
            v = IntegerOf<unsigned short>(obj, kind);
            break;
        case _zarvVAR::VT_I4:
            v = IntegerOf<int>(obj, kind);
            break;
        case _zarvVAR::VT_UI4:
            v = IntegerOf<unsigned int>(obj, kind);
            break;
        case _zarvVAR::VT_I8:
            v = IntegerOf<long long>(obj, kind);
            break;
        case _zarvVAR::VT_UI8:
            v = IntegerOf<unsigned long long>(obj, kind);
            break;
        case _zarvVAR::VT_R4: {
            double d = FloatOf(obj, kind);
            if (std::isfinite(d) && std::fabs(d) > FLT_MAX) RaiseDoesNotFit(obj, kind);
            v = static_cast<float>(d);
            break;
        }
        case _zarvVAR::VT_R8:
            v = FloatOf(obj, kind);
            break;
        case _zarvVAR::VT_STR:
            if (!IsText(obj)) RaiseWrongType(obj, kind);
            SetText(v, obj);
            break;
        default:
            RaiseValueError("no value kind has the code " + std::to_string(kind));
    }
    return v;
}

void BindValues(py::module_& m) {
    py::enum_<Kind>(m, "Kind", "The kind of a value, as the library stores it.")
        .value("EMPTY", Kind::kEmpty)
        .value("BOOL", Kind::kBool)
        .value("I16", Kind::kI16)
        .value("U16", Kind::kU16)
        .value("I32", Kind::kI32)
        .value("U32", Kind::kU32)
        .value("F32", Kind::kF32)
        .value("F64", Kind::kF64)
        .value("TEXT", Kind::kText)
        .value("I64", Kind::kI64)
        .value("U64", Kind::kU64);

    py::class_<Value>(m, "Value",
                      "A value of a chosen kind: Value(Kind.U16, 5), Value(Kind.F32, 0.5).")
        .def(py::init([](Kind kind, py::handle v) {
                 return Value{FromPython(v, static_cast<int>(kind))};
             }),
             py::arg("kind"), py::arg("value"))
        .def(py::init([](py::handle v) { return Value{FromPython(v)}; }), py::arg("value"))
        .def_property_readonly("kind",
                               [](const Value& v) { return static_cast<Kind>(v.var.GetType()); })
        .def_property_readonly("value", [](const Value& v) { return ToPython(v.var); })
        .def("__eq__",
             [](const Value& a, py::handle b) {
                 return py::isinstance<Value>(b) && a.var == b.cast<const Value&>().var;
             })
        .def("__hash__",
             [](const Value& v) {
                 return py::hash(py::make_tuple(v.var.GetType(), ToPython(v.var)));
             })
        .def("__repr__", [](const Value& v) {
            return std::string("Value(Kind.") + KindName(v.var.GetType()) + ", " +
                   std::string(py::repr(ToPython(v.var))) + ")";
        });
}

// A value read with its kind, for Point.value() and the catalogues.
py::object ValueObject(const _zarvVAR& v) { return py::cast(Value{v}); }

}  // namespace zarvpy
