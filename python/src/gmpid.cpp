// Gmpid: a point's 32-bit identifier with its fields, parsed from and
// formatted as "RID.group.block.index" or hex.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bindings.h"
#include "host/zarvkernel/gmpid.h"

namespace zarvpy {

namespace {

struct Gmpid {
    uint32_t value;
};

std::string Dotted(uint32_t g) {
    return std::to_string(zarvgmpid::RID(g)) + "." + std::to_string(zarvgmpid::Group(g)) + "." +
           std::to_string(zarvgmpid::Block(g)) + "." + std::to_string(g & 0xFFFu);
}

std::string Hex(uint32_t g) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", g);
    return text;
}

// A decimal number of up to `max`, the whole of `part`; -1 otherwise.
long DecimalPart(const std::string& part, unsigned max) {
    if (part.empty() || part.size() > 5) return -1;
    for (char c : part) {
        if (c < '0' || c > '9') return -1;
    }
    long n = std::strtol(part.c_str(), nullptr, 10);
    return n <= static_cast<long>(max) ? n : -1;
}

uint32_t Parse(const std::string& text) {
    auto bad = [&text]() -> uint32_t {
        RaiseValueError("not a GMPID: \"" + text + "\" (expected RID.group.block.index or 0x hex)");
    };
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (text.size() > 10) return bad();
        char* end = nullptr;
        unsigned long n = std::strtoul(text.c_str() + 2, &end, 16);
        if (*end != '\0' || text[2] == '-' || text[2] == '+' || text[2] == ' ') return bad();
        return static_cast<uint32_t>(n);
    }
    const unsigned limits[4] = {255, 255, zarvgmpid::kMaxBlock, 0xFFF};
    long fields[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t dot = i < 3 ? text.find('.', start) : text.size();
        if (dot == std::string::npos) return bad();
        fields[i] = DecimalPart(text.substr(start, dot - start), limits[i]);
        if (fields[i] < 0) return bad();
        start = dot + 1;
    }
    return zarvgmpid::Make(static_cast<unsigned char>(fields[0]),
                           static_cast<unsigned char>(fields[1]), static_cast<unsigned>(fields[2]),
                           static_cast<unsigned>(fields[3]));
}

}  // namespace

unsigned CheckRange(long long value, unsigned max, const char* what) {
    if (value < 0 || value > static_cast<long long>(max)) {
        RaiseValueError(std::string(what) + " " + std::to_string(value) + " is outside 0 to " +
                        std::to_string(max));
    }
    return static_cast<unsigned>(value);
}

uint32_t GmpidArg(py::handle obj) {
    if (py::isinstance<Gmpid>(obj)) return obj.cast<const Gmpid&>().value;
    if (PyLong_Check(obj.ptr()) && !PyBool_Check(obj.ptr())) {
        int overflow = 0;
        long long n = PyLong_AsLongLongAndOverflow(obj.ptr(), &overflow);
        if (overflow || n < 0 || n > 0xFFFFFFFFll) {
            RaiseValueError("GMPID " + std::string(py::repr(obj)) + " is outside 0 to 0xFFFFFFFF");
        }
        return static_cast<uint32_t>(n);
    }
    if (PyUnicode_Check(obj.ptr())) return Parse(obj.cast<std::string>());
    RaiseTypeError(std::string("a GMPID is a Gmpid, an int or a text, not ") +
                   Py_TYPE(obj.ptr())->tp_name);
}

py::object GmpidObject(uint32_t gmpid) { return py::cast(Gmpid{gmpid}); }

void BindGmpid(py::module_& m) {
    py::class_<Gmpid>(m, "Gmpid",
                      "A point's identifier: RID (8 bits), group (8), block (4), index (12).")
        .def(py::init([](py::handle v) { return Gmpid{GmpidArg(v)}; }), py::arg("value"))
        .def(py::init([](long long rid, long long group, long long block, long long index) {
                 return Gmpid{
                     zarvgmpid::Make(static_cast<unsigned char>(CheckRange(rid, 255, "RID")),
                                     static_cast<unsigned char>(CheckRange(group, 255, "group")),
                                     CheckRange(block, zarvgmpid::kMaxBlock, "block"),
                                     CheckRange(index, 0xFFF, "index"))};
             }),
             py::arg("rid"), py::arg("group"), py::arg("block"), py::arg("index"))
        .def_static("parse", [](const std::string& text) { return Gmpid{Parse(text)}; })
        .def_property_readonly("rid", [](const Gmpid& g) { return zarvgmpid::RID(g.value); })
        .def_property_readonly("group", [](const Gmpid& g) { return zarvgmpid::Group(g.value); })
        .def_property_readonly("block", [](const Gmpid& g) { return zarvgmpid::Block(g.value); })
        .def_property_readonly("index", [](const Gmpid& g) { return g.value & 0xFFFu; })
        .def_property_readonly("hex", [](const Gmpid& g) { return Hex(g.value); })
        .def("__int__", [](const Gmpid& g) { return g.value; })
        .def("__index__", [](const Gmpid& g) { return g.value; })
        .def("__str__", [](const Gmpid& g) { return Dotted(g.value); })
        .def("__repr__", [](const Gmpid& g) { return "Gmpid('" + Dotted(g.value) + "')"; })
        .def("__hash__", [](const Gmpid& g) { return py::hash(py::int_(g.value)); })
        .def("__eq__",
             [](const Gmpid& a, py::handle b) {
                 if (py::isinstance<Gmpid>(b)) return a.value == b.cast<const Gmpid&>().value;
                 if (PyLong_Check(b.ptr())) return py::int_(a.value).equal(b);
                 return false;
             })
        .def("__lt__", [](const Gmpid& a, const Gmpid& b) { return a.value < b.value; })
        .def("__le__", [](const Gmpid& a, const Gmpid& b) { return a.value <= b.value; })
        .def("__gt__", [](const Gmpid& a, const Gmpid& b) { return a.value > b.value; })
        .def("__ge__", [](const Gmpid& a, const Gmpid& b) { return a.value >= b.value; });
}

}  // namespace zarvpy
