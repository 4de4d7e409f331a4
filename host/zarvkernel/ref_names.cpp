#include "host/zarvkernel/ref_names.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/zarvlib/zarv_pool.h"

namespace {

struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

struct NameEntry {
    uint32_t gmpid;
    // How many stores entered the name for this point.
    unsigned int count;
};

// One node per name: from the pool, like the values that enter them.
using NameTable = std::unordered_map<std::string, NameEntry, NameHash, std::equal_to<>,
                                     CZARVPoolAllocator<std::pair<const std::string, NameEntry>>>;

// Built on first use and never destroyed, so that neither the order of
// static initialisation nor that of destruction matters to a live-value
// database that outlives main().
NameTable& Table() {
    static NameTable* table = new NameTable;
    return *table;
}

bool IsUsable(const char* name) { return name && *name; }

}  // namespace

unsigned long GetGMPIDByRefName(const char* name) {
    if (!IsUsable(name)) return ZARV_INVALID_GMPID;
    const NameTable& table = Table();
    auto it = table.find(std::string_view(name));
    return it == table.end() ? ZARV_INVALID_GMPID : it->second.gmpid;
}

bool RegisterRefName(const char* name, unsigned long gmpid) {
    if (!IsUsable(name) || gmpid >= ZARV_INVALID_GMPID) return false;
    NameTable& table = Table();
    // One hash and one probe whether the name is new or not: every point a
    // load stores passes here.
    auto [it, entered] =
        table.try_emplace(std::string(name), NameEntry{static_cast<uint32_t>(gmpid), 1});
    if (entered) return true;
    if (it->second.gmpid != gmpid) return false;
    ++it->second.count;
    return true;
}

bool UnregisterRefName(const char* name) {
    if (!IsUsable(name)) return false;
    NameTable& table = Table();
    auto it = table.find(std::string_view(name));
    if (it == table.end()) return false;
    table.erase(it);
    return true;
}

bool UnregisterRefName(const char* name, unsigned long gmpid) {
    if (!IsUsable(name)) return false;
    NameTable& table = Table();
    auto it = table.find(std::string_view(name));
    if (it == table.end() || it->second.gmpid != gmpid) return false;
    if (--it->second.count == 0) table.erase(it);
    return true;
}

int GetRefNameCount() { return static_cast<int>(Table().size()); }

void ClearRefNames() { Table().clear(); }
