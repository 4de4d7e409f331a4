#include "tools/gmpid_text.h"

#include <cstdio>
#include <vector>

#include "host/zarvkernel/gmpid.h"
#include "tools/value_format.h"

namespace zarvtool {

std::string GmpidDotted(uint32_t gmpid) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", zarvgmpid::RID(gmpid), zarvgmpid::Group(gmpid),
                  zarvgmpid::Block(gmpid), gmpid & 0xFFFu);
    return buf;
}

std::string GmpidHex(uint32_t gmpid) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", gmpid);
    return buf;
}

std::string GmpidBoth(uint32_t gmpid) { return GmpidDotted(gmpid) + " (" + GmpidHex(gmpid) + ")"; }

bool ParseGmpid(const std::string& text, int rid, uint32_t& out, std::string& why) {
    if (text.empty()) {
        why = "no GMPID";
        return false;
    }
    std::vector<std::string> parts = SplitAt(text, '.');
    if (parts.size() == 1) {
        uint64_t n = 0;
        if (!ParseUnsigned(text, 0xFFFFFFFFull, n)) {
            why = "'" + text + "' is no GMPID (RID.group.block.index, 0x... or decimal)";
            return false;
        }
        out = static_cast<uint32_t>(n);
        return true;
    }
    if (parts.size() != 3 && parts.size() != 4) {
        why = "'" + text + "' is no GMPID (RID.group.block.index, 0x... or decimal)";
        return false;
    }
    if (parts.size() == 3) {
        if (rid < 0) {
            why = "'" + text + "' names no RID";
            return false;
        }
        parts.insert(parts.begin(), std::to_string(rid));
    }
    static const uint64_t kMax[4] = {255, 255, 15, 4095};
    static const char* kNames[4] = {"RID", "group", "block", "index"};
    uint64_t v[4];
    for (int i = 0; i < 4; ++i) {
        // Decimal only: a leading 0x in a dotted part would be a typing error.
        if (parts[i].empty() || parts[i].find_first_not_of("0123456789") != std::string::npos ||
            !ParseUnsigned(parts[i], kMax[i], v[i])) {
            why = std::string(kNames[i]) + " '" + parts[i] + "' of '" + text + "' is not 0 to " +
                  std::to_string(kMax[i]);
            return false;
        }
    }
    out = zarvgmpid::Make(static_cast<unsigned char>(v[0]), static_cast<unsigned char>(v[1]),
                          static_cast<unsigned>(v[2]), static_cast<unsigned>(v[3]));
    return true;
}

}  // namespace zarvtool
