// The extension zarvqencore._core; the package's __init__.py re-exports it.
#include "bindings.h"
#include "zarvqen_version.h"

PYBIND11_MODULE(_core, m) {
    m.doc() = "The configuration engine's library: databases, catalogues and live values.";
    m.attr("__version__") = ZARVQEN_VERSION_TEXT;
    zarvpy::BindValues(m);
    zarvpy::BindGmpid(m);
    zarvpy::BindMetaCatalogues(m);
    zarvpy::BindDriverLibrary(m);
    zarvpy::BindEngine(m);
}
