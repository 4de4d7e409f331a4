#include "host/zarvkernel/ref_names.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

#include "host/zarvlib/zarv_id_map.h"

namespace {

// The names and their points. Every name lives once in one arena of
// NUL-terminated texts; the slots hold its place there, so a million names
// cost no heap block each. Open addressing with linear probing and
// backward-shift deletion (as CZARVIdMap): no tombstones, a lookup stops
// at the first empty slot. The bytes of dropped names stay in the arena
// until they outweigh the live ones; then the arena is rebuilt.
class NameTable {
public:
    struct Entry {
        uint32_t gmpid;
        // How many stores entered the name for this point.
        uint32_t count;
    };

    // The entry of `name`, or null.
    Entry* Find(std::string_view name) {
        size_t i = Locate(name, Hash(name));
        return i == kNone ? nullptr : &m_slots[i].entry;
    }

    // The entry of `name`, made with `entry` when absent; `entered` says
    // which. Null when the arena cannot address one more name. Throws
    // std::bad_alloc with the table unchanged.
    Entry* Enter(std::string_view name, Entry entry, bool& entered) {
        const uint32_t hash = Hash(name);
        entered = false;
        if (size_t i = Locate(name, hash); i != kNone) return &m_slots[i].entry;
        if (m_arena.size() + name.size() + 1 >= UINT32_MAX) return nullptr;
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            Rehash(m_slots.empty() ? 64 : m_slots.size() * 2);
        const auto at = static_cast<uint32_t>(m_arena.size());
        m_arena.insert(m_arena.end(), name.begin(), name.end());
        m_arena.push_back('\0');
        size_t i = Home(hash);
        while (m_slots[i].name != 0) i = (i + 1) & m_mask;
        m_slots[i] = Slot{at + 1, hash, entry};
        ++m_count;
        entered = true;
        return &m_slots[i].entry;
    }

    // Drops `name`; false when absent.
    bool Erase(std::string_view name) {
        size_t i = Locate(name, Hash(name));
        if (i == kNone) return false;
        m_garbage += name.size() + 1;
        ZarvCloseProbeGap(
            m_slots, i, m_mask, [](const Slot& s) { return s.name != 0; },
            [this](const Slot& s) { return Home(s.hash); });
        --m_count;
        if (m_count == 0) {
            Clear();
        } else if (m_garbage > kCompactAbove && m_garbage * 2 > m_arena.size()) {
            Compact();
        }
        return true;
    }

    // Drops one entry of `name` for `gmpid`; false when absent or another
    // point's.
    bool Drop(std::string_view name, uint32_t gmpid) {
        Entry* e = Find(name);
        if (!e || e->gmpid != gmpid) return false;
        if (--e->count == 0) Erase(name);
        return true;
    }

    size_t size() const { return m_count; }

    void Clear() {
        std::vector<Slot>().swap(m_slots);
        std::vector<char>().swap(m_arena);
        m_count = 0;
        m_mask = 0;
        m_shift = 32;
        m_garbage = 0;
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    // Arena bytes of dropped names tolerated before a rebuild is worth it.
    static constexpr size_t kCompactAbove = 64 * 1024;

    struct Slot {
        uint32_t name = 0;  // arena offset + 1; 0: the slot is empty
        uint32_t hash = 0;
        Entry entry{};
    };

    static uint32_t Hash(std::string_view name) {
        const uint64_t h = std::hash<std::string_view>()(name);
        return static_cast<uint32_t>(h ^ (h >> 32));
    }
    // Fibonacci hashing of the stored hash: its top bits pick the slot.
    size_t Home(uint32_t hash) const {
        return static_cast<size_t>((uint64_t{hash} * 0x9E3779B97F4A7C15ull) >> (32 + m_shift)) &
               m_mask;
    }
    const char* NameAt(const Slot& s) const { return m_arena.data() + s.name - 1; }

    size_t Locate(std::string_view name, uint32_t hash) const {
        if (m_count == 0) return kNone;
        for (size_t i = Home(hash);; i = (i + 1) & m_mask) {
            const Slot& s = m_slots[i];
            if (s.name == 0) return kNone;
            if (s.hash == hash && std::strncmp(NameAt(s), name.data(), name.size()) == 0 &&
                NameAt(s)[name.size()] == '\0')
                return i;
        }
    }

    void Rehash(size_t capacity) {
        std::vector<Slot> slots(capacity);
        const size_t mask = capacity - 1;
        int bits = 0;
        while ((size_t{1} << bits) < capacity) ++bits;
        m_shift = 32 - bits;
        m_mask = mask;
        for (const Slot& s : m_slots) {
            if (s.name == 0) continue;
            size_t i = Home(s.hash);
            while (slots[i].name != 0) i = (i + 1) & mask;
            slots[i] = s;
        }
        m_slots.swap(slots);
    }

    // Copies the live names into a new arena. Allocation may fail: the
    // table then keeps its garbage, which is harmless.
    void Compact() {
        std::vector<char> arena;
        try {
            arena.reserve(m_arena.size() - m_garbage);
        } catch (const std::bad_alloc&) {
            return;
        }
        for (Slot& s : m_slots) {
            if (s.name == 0) continue;
            const char* name = NameAt(s);
            const auto at = static_cast<uint32_t>(arena.size());
            arena.insert(arena.end(), name, name + std::strlen(name) + 1);
            s.name = at + 1;
        }
        m_arena.swap(arena);
        m_garbage = 0;
    }

    std::vector<Slot> m_slots;
    std::vector<char> m_arena;
    size_t m_count = 0;
    size_t m_mask = 0;
    int m_shift = 32;
    size_t m_garbage = 0;
};

// The table behind its lock: names are process-wide, and live-value
// databases of two engines may enter and drop them from two threads.
struct LockedNames {
    std::mutex lock;
    NameTable table;
};

// Built on first use and never destroyed, so that neither the order of
// static initialisation nor that of destruction matters to a live-value
// database that outlives main().
LockedNames& Names() {
    static LockedNames* names = new LockedNames;
    return *names;
}

bool IsUsable(const char* name) { return name && *name; }

}  // namespace

unsigned long GetGMPIDByRefName(const char* name) {
    if (!IsUsable(name)) return ZARV_INVALID_GMPID;
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    const NameTable::Entry* e = names.table.Find(name);
    return e ? e->gmpid : ZARV_INVALID_GMPID;
}

bool RegisterRefName(const char* name, unsigned long gmpid) {
    if (!IsUsable(name) || gmpid >= ZARV_INVALID_GMPID) return false;
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    // One hash and one probe whether the name is new or not: every point a
    // load stores passes here.
    bool entered = false;
    NameTable::Entry* e =
        names.table.Enter(name, NameTable::Entry{static_cast<uint32_t>(gmpid), 1}, entered);
    if (!e) return false;
    if (entered) return true;
    if (e->gmpid != gmpid) return false;
    ++e->count;
    return true;
}

bool UnregisterRefName(const char* name) {
    if (!IsUsable(name)) return false;
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    return names.table.Erase(name);
}

bool UnregisterRefName(const char* name, unsigned long gmpid) {
    if (!IsUsable(name) || gmpid >= ZARV_INVALID_GMPID) return false;
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    return names.table.Drop(name, static_cast<uint32_t>(gmpid));
}

int GetRefNameCount() {
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    return static_cast<int>(names.table.size());
}

void ClearRefNames() {
    LockedNames& names = Names();
    std::lock_guard<std::mutex> hold(names.lock);
    names.table.Clear();
}
