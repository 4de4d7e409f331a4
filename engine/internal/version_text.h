// The major number of a version text such as "1.0.0".
#ifndef ENGINE_VERSION_TEXT_H_
#define ENGINE_VERSION_TEXT_H_

#include <cstdlib>

#include "host/zarvlib/zarv_str.h"

// The decimal number before the first "." read as atoi reads it: "1.0.0"
// gives 1, "10.2" gives 10. A null text, a text without "." and a text that
// starts with no digit give 0.
inline int ZarvVersionMajor(const char* ver) {
    if (!ver) return 0;
    _zarv_str major(ver);
    if (major.DeleteAfterIncluding(".") == 0) return 0;
    return std::atoi(major.c_str());
}

#endif  // ENGINE_VERSION_TEXT_H_
