// The exceptions of failed calls (bindings.h).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "bindings.h"

namespace zarvpy {

namespace {

[[noreturn]] void Raise(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

// Keeps the first problem a loader reports, which says why it refused a
// file.
class FirstProblem final : public CZARVLoadReporter {
public:
    void Report(Severity severity, const Where&, const std::string& what) override {
        if (severity == kProblem && m_text.empty()) m_text = what;
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

}  // namespace

void RaiseKeyError(const py::object& key) {
    // KeyError takes the key itself, as a dict's does, so that `str(e)`
    // shows its repr.
    PyErr_SetObject(PyExc_KeyError, key.ptr());
    throw py::error_already_set();
}

void RaiseValueError(const std::string& message) { Raise(PyExc_ValueError, message); }

void RaiseTypeError(const std::string& message) { Raise(PyExc_TypeError, message); }

void RaiseOSError(int err, const std::string& path) {
    py::object error = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "isO", err, std::strerror(err), py::str(path).ptr()));
    if (!error) throw py::error_already_set();
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

void CheckReadable(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) RaiseOSError(errno, path);
    // A folder opens but cannot be read as a file.
    char byte;
    ssize_t got = ::read(fd, &byte, 1);
    int err = errno;
    ::close(fd);
    if (got < 0 && err != EAGAIN) RaiseOSError(err, path);
}

void LoadOrRaise(const std::string& path, const std::function<bool(CZARVLoadReporter*)>& load) {
    CheckReadable(path);
    FirstProblem why;
    if (!load(&why)) {
        RaiseValueError(path + ": not loaded: " + (why.Text().empty() ? "refused" : why.Text()));
    }
}

void RaiseSaveFailed(const std::string& path, const std::string& refusal) {
    if (errno != 0) RaiseOSError(errno, path);
    RaiseValueError(path + ": " + refusal);
}

}  // namespace zarvpy
