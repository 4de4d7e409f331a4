// What the parts of the Python module share: the holder that ties a Python
// object to the library's reference count, the conversions of values,
// GMPIDs and texts, and the exceptions a failed call raises.
//
// Every library object Python sees is held by a CZARVPtr: the Python object
// owns one reference, so a point or a catalogue entry stays alive however
// long Python keeps it, also after the engine or catalogue it came from is
// gone. Functions hand objects to Python as holders only, never as raw
// pointers: a holder made from a borrowed pointer takes its own reference,
// a new object is adopted with the reference it was born with.
#ifndef PYTHON_SRC_BINDINGS_H_
#define PYTHON_SRC_BINDINGS_H_

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>

#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"

PYBIND11_DECLARE_HOLDER_TYPE(T, CZARVPtr<T>, true)

namespace zarvpy {

namespace py = pybind11;

// A new library object, adopting the reference it was created with.
template <class T, class... Args>
CZARVPtr<T> Make(Args&&... args) {
    return CZARVPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// A borrowed pointer as a holder of its own reference.
template <class T>
CZARVPtr<T> Hold(T* p) {
    return CZARVPtr<T>(p);
}

// --- exceptions ---
// Each raises the Python exception of its name with the message.
[[noreturn]] void RaiseKeyError(const py::object& key);
[[noreturn]] void RaiseValueError(const std::string& message);
[[noreturn]] void RaiseTypeError(const std::string& message);
// OSError(err, strerror(err), path), which Python turns into the subclass
// of that errno (FileNotFoundError, PermissionError, ...).
[[noreturn]] void RaiseOSError(int err, const std::string& path);
// Raises OSError when `path` cannot be opened for reading; a load calls it
// first so that a missing file is told apart from a refused one.
void CheckReadable(const std::string& path);
// Runs `load` on a readable `path`: OSError when the file cannot be read,
// ValueError naming the first problem the loader reported when it refused
// the file.
void LoadOrRaise(const std::string& path, const std::function<bool(CZARVLoadReporter*)>& load);
// A save that failed: OSError with the path when the system told why
// (errno, which the caller cleared before the save), ValueError with
// `refusal` when the library refused the content itself.
[[noreturn]] void RaiseSaveFailed(const std::string& path, const std::string& refusal);

// The (key, value) pairs of a mapping; TypeError naming `what` for an
// object that is none.
inline py::iterable ItemsOf(py::handle mapping, const char* what) {
    if (!py::hasattr(mapping, "items")) {
        RaiseTypeError(std::string(what) + " are a mapping, not " +
                       Py_TYPE(mapping.ptr())->tp_name);
    }
    return mapping.attr("items")();
}

// --- values ---
// The variant's kind codes as the Python enum Kind.
void BindValues(py::module_& m);
// Python's natural type: None for an empty value, bool, int, float, str for
// a text that is UTF-8 and bytes for one that is not. A new reference.
py::object ToPython(const _zarvVAR& v);
// None, bool, int, float, str, bytes or a Value: an int takes the smallest
// of 32-bit signed, 64-bit signed and 64-bit unsigned that holds it, a float
// the 64-bit kind. ValueError for an int no kind holds, TypeError for any
// other type.
_zarvVAR FromPython(py::handle obj);
// The same, as a value of kind `kind`: ValueError when the value does not
// fit the kind, TypeError when it is of the wrong type.
_zarvVAR FromPython(py::handle obj, int kind);
// A Value object: the value with its kind.
py::object ValueObject(const _zarvVAR& v);

// --- GMPIDs ---
void BindGmpid(py::module_& m);
// A Gmpid, an int in 0 .. 2^32-1 or a text "RID.group.block.index" or hex;
// ValueError otherwise.
uint32_t GmpidArg(py::handle obj);
// A Gmpid object.
py::object GmpidObject(uint32_t gmpid);
// `n` as an int, or None for the library's -1 "none free".
inline py::object IntOrNone(int n) { return n < 0 ? py::object(py::none()) : py::int_(n); }
// An int as a long long; -1 for anything else, an int beyond long long
// among them (every caller checks a range that excludes -1).
inline long long SmallInt(py::handle obj) {
    if (!PyLong_Check(obj.ptr())) return -1;
    int overflow = 0;
    long long n = PyLong_AsLongLongAndOverflow(obj.ptr(), &overflow);
    return overflow ? -1 : n;
}
// Raises ValueError unless 0 <= value <= max, naming `what`.
unsigned CheckRange(long long value, unsigned max, const char* what);

// A catalogue's load and save: load(path), save(path, version, encoding),
// and the modified flag. A catalogue made with a path loads it.
template <class Catalogue, class Class>
void BindFile(Class& cls) {
    cls.def(py::init([](py::object path) {
                auto catalogue = Make<Catalogue>();
                if (!path.is_none()) {
                    std::string p = py::str(path);
                    LoadOrRaise(p, [&](CZARVLoadReporter* r) {
                        return catalogue->LoadFromFile(p.c_str(), r);
                    });
                }
                return catalogue;
            }),
            py::arg("path") = py::none())
        .def(
            "load",
            [](Catalogue& c, const std::string& path) {
                LoadOrRaise(path,
                            [&](CZARVLoadReporter* r) { return c.LoadFromFile(path.c_str(), r); });
            },
            py::arg("path"), "Replaces the content with the file's.")
        .def(
            "save",
            [](Catalogue& c, const std::string& path, const std::string& version,
               const std::string& encoding) {
                errno = 0;
                if (!c.SaveToFile(path.c_str(), version.c_str(), encoding.c_str())) {
                    RaiseSaveFailed(path, "a text cannot be carried by the file");
                }
            },
            py::arg("path"), py::arg("version") = "1.0", py::arg("encoding") = "UTF-8")
        .def_property("modified", &Catalogue::IsModified, &Catalogue::SetModify);
}

// --- the rest of the module ---
void BindEngine(py::module_& m);
void BindMetaCatalogues(py::module_& m);
void BindDriverLibrary(py::module_& m);

}  // namespace zarvpy

#endif  // PYTHON_SRC_BINDINGS_H_
