// The version the library was built as. Compiled into the library, so that
// these functions answer for the file that is loaded, whatever header the
// caller was compiled with.
#include "zarvqen_version.h"

const char* ZarvqenVersion() { return ZARVQEN_VERSION_TEXT; }
int ZarvqenVersionMajor() { return ZARVQEN_VERSION_MAJOR; }
int ZarvqenVersionMinor() { return ZARVQEN_VERSION_MINOR; }
int ZarvqenVersionPatch() { return ZARVQEN_VERSION_PATCH; }
