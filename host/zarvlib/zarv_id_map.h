// CZARVIdMap<T, Key>: a hash table from identifiers (32-bit GMPIDs by
// default, or any other unsigned integer up to 64 bits) to borrowed
// pointers, for the lookups by identifier that run at value rates.
//
// Stores that must also be walked in identifier order keep their ordered
// container and put this table beside it: the ordered container answers
// ranges and listings, this table answers "which object has this
// identifier" in one probe sequence instead of a tree descent.
//
// Open addressing with linear probing and backward-shift deletion, so there
// are no tombstones and a lookup never walks past the first empty slot. The
// table owns nothing: it holds the pointers it is given (never null) and
// forgets them when told. Not thread-safe, like everything in the system.
#ifndef ZARVLIB_ZARV_ID_MAP_H_
#define ZARVLIB_ZARV_ID_MAP_H_

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

// Deletion from a linear-probing table of a power-of-two size (`mask` is
// the size minus one) without tombstones: empties slot `i` and shifts the
// later members of its probe run back into the hole, so that every entry
// stays reachable from its home slot. `used(slot)` tells a full slot,
// `home(slot)` where its entry's probe starts; an empty slot is Slot{}.
template <class Slot, class Used, class Home>
void ZarvCloseProbeGap(std::vector<Slot>& slots, size_t i, size_t mask, Used used, Home home) {
    for (size_t j = (i + 1) & mask; used(slots[j]); j = (j + 1) & mask) {
        size_t h = home(slots[j]);
        bool movable = i <= j ? (h <= i || h > j) : (h <= i && h > j);
        if (movable) {
            slots[i] = slots[j];
            i = j;
        }
    }
    slots[i] = Slot{};
}

template <class T, class Key = uint32_t>
class CZARVIdMap {
    static_assert(std::is_unsigned_v<Key> && sizeof(Key) <= 8, "keys are unsigned integers");

public:
    CZARVIdMap() = default;
    CZARVIdMap(const CZARVIdMap&) = default;
    CZARVIdMap& operator=(const CZARVIdMap&) = default;
    // A moved-from table is empty and usable.
    CZARVIdMap(CZARVIdMap&& o) noexcept { Take(o); }
    CZARVIdMap& operator=(CZARVIdMap&& o) noexcept {
        if (this != &o) Take(o);
        return *this;
    }

    // The pointer stored under `key`, or null.
    T* Find(Key key) const {
        if (m_count == 0) return nullptr;
        for (size_t i = Home(key);; i = (i + 1) & m_mask) {
            const Slot& s = m_slots[i];
            if (!s.value) return nullptr;
            if (s.key == key) return s.value;
        }
    }

    // Stores `value` (not null) under `key`; false, changing nothing, when
    // the key is already present.
    bool Insert(Key key, T* value) {
        if ((m_count + 1) * 4 > m_slots.size() * 3) Grow();
        size_t i = Home(key);
        for (; m_slots[i].value; i = (i + 1) & m_mask)
            if (m_slots[i].key == key) return false;
        m_slots[i] = Slot{key, value};
        ++m_count;
        return true;
    }

    // Forgets `key`; false when it was absent.
    bool Erase(Key key) {
        if (m_count == 0) return false;
        size_t i = Home(key);
        for (;; i = (i + 1) & m_mask) {
            if (!m_slots[i].value) return false;
            if (m_slots[i].key == key) break;
        }
        ZarvCloseProbeGap(
            m_slots, i, m_mask, [](const Slot& s) { return s.value != nullptr; },
            [this](const Slot& s) { return Home(s.key); });
        --m_count;
        return true;
    }

    // Makes room for `n` entries without growing again.
    void Reserve(size_t n) {
        size_t want = 16;
        while (want * 3 < n * 4) want *= 2;
        if (want > m_slots.size()) Rehash(want);
    }

    void Clear() {
        std::vector<Slot>().swap(m_slots);
        m_count = 0;
        m_mask = 0;
        m_shift = 63;
    }

    size_t size() const { return m_count; }

private:
    struct Slot {
        Key key = 0;
        T* value = nullptr;  // null: the slot is empty
    };

    // Fibonacci hashing: the top bits of the key times 2^64 / phi. GMPIDs
    // are runs of neighbouring numbers, which this spreads nearly evenly,
    // with fewer collisions than a random hash gives (a lookup of a present
    // GMPID is then faster than in Boost's flat map; see
    // docs/performance.md). Keeping a block's points in neighbouring slots
    // looks cache-friendly but is a trap with linear probing: the runs of
    // different blocks merge into clusters hundreds of slots long; the
    // middle bits of the product (an earlier form) did that too. A 64-bit
    // key is folded first, so that its high half counts as much as its low
    // half.
    size_t Home(Key key) const {
        uint64_t k = static_cast<uint64_t>(key);
        k ^= k >> 32;
        return static_cast<size_t>((k * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    void Take(CZARVIdMap& o) {
        m_slots = std::move(o.m_slots);
        m_count = o.m_count;
        m_mask = o.m_mask;
        m_shift = o.m_shift;
        o.m_slots.clear();
        o.m_count = 0;
        o.m_mask = 0;
        o.m_shift = 63;
    }

    void Grow() { Rehash(m_slots.empty() ? 16 : m_slots.size() * 2); }

    void Rehash(size_t slots) {
        std::vector<Slot> old(slots);
        old.swap(m_slots);
        m_mask = slots - 1;
        m_shift = 64;
        for (size_t n = slots; n > 1; n >>= 1) --m_shift;
        for (const Slot& s : old) {
            if (!s.value) continue;
            size_t i = Home(s.key);
            while (m_slots[i].value) i = (i + 1) & m_mask;
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
    size_t m_mask = 0;
    // 64 minus the number of bits of a slot number.
    unsigned m_shift = 63;
};

#endif  // ZARVLIB_ZARV_ID_MAP_H_
