// CZARVIdCatalogue<T>: the ID-ordered catalogue behaviour shared by the meta
// property table, the typed object table and the pseudo definition
// collection, which derive from it and name its protected operations after
// their own items (InsertMetaProp, InsertTypedObj, InsertPseudo, ...).
//
// Invariants:
//   1. The set is ordered by ptrless<T*>, that is by T's operator<, an
//      unsigned comparison of the 16-bit IDs; at most one object per ID.
//   2. The catalogue holds exactly one reference on every object in it.
//   3. Lookups by ID descend the set (ptrless<T*> is specialised with
//      ZarvIdPtrLess<T>, which compares pointers with bare IDs); nothing
//      walks the set to find one ID.
//   4. The modified flag changes only through SetModify.
//
// Pointers handed out (GetNext, the lookups) are borrowed: they stay valid
// while the object is in the catalogue, unless the caller takes a reference
// of its own.
#ifndef CATALOGUE_ID_CATALOGUE_H_
#define CATALOGUE_ID_CATALOGUE_H_

#include <set>

#include "host/zarvlib/zarv_obj.h"

// Comparator for ptrless<T*> of the ID-ordered classes: orders objects with
// their operator< and lets a set be searched with a bare 16-bit ID.
// A class opts in right after its definition with
//   template <> struct ptrless<T*> : ZarvIdPtrLess<T> {};
template <class T>
struct ZarvIdPtrLess {
    using is_transparent = void;

    bool operator()(const T* a, const T* b) const { return *a < *b; }
    bool operator()(const T* a, unsigned short id) const { return IdOf(a) < id; }
    bool operator()(unsigned short id, const T* b) const { return id < IdOf(b); }

    static unsigned short IdOf(const T* obj) { return static_cast<unsigned short>(obj->GetID()); }
};

template <class T>
class CZARVIdCatalogue : public CZARVObj {
public:
    using Set = std::set<T*, ptrless<T*>>;
    using iterator = typename Set::iterator;

    // A walk: it = GetFirst(), then GetNext(it) until it gives null.
    // GetFirst is at the smallest ID (the end when empty). GetNext gives null
    // at the end (the iterator stays); otherwise the object at `it`, and `it`
    // moves to the next larger ID.
    iterator GetFirst() { return m_items.begin(); }
    T* GetNext(iterator& it) {
        if (it == m_items.end()) return nullptr;
        return *it++;
    }
    unsigned int GetSize() const { return static_cast<unsigned int>(m_items.size()); }

    bool IsModified() const { return m_modified; }
    void SetModify(bool modified) { m_modified = modified; }

protected:
    CZARVIdCatalogue() = default;
    ~CZARVIdCatalogue() override { Clear(); }

    // Takes a reference on `obj` and stores it. When the ID is already
    // present (or `obj` is null) the reference is given back and the result
    // is false: the object that was there first stays.
    bool InsertItem(T* obj) {
        if (!obj) return false;
        CZARVPtr<T> held(obj);
        // Files list their objects by ascending ID: one beyond the largest
        // goes in at the end without a descent.
        if (m_items.empty() || m_items.key_comp()(*m_items.rbegin(), obj)) {
            m_items.emplace_hint(m_items.end(), obj);
        } else if (!m_items.insert(obj).second) {
            return false;
        }
        held.release();  // the set keeps the reference
        return true;
    }

    // Drops the catalogue's reference on the object with that ID; false when
    // there is none.
    bool DeleteItem(unsigned short id) {
        auto it = m_items.find(id);
        if (it == m_items.end()) return false;
        T* obj = *it;
        m_items.erase(it);
        obj->Release();
        return true;
    }

    // Borrowed pointer to the object with that ID, or null.
    T* GetItem(unsigned short id) const {
        auto it = m_items.find(id);
        return it == m_items.end() ? nullptr : *it;
    }

    bool IsEmpty() const { return m_items.empty(); }

    // The smallest ID from `low` to `high` (both included) that no object
    // has, or -1 when every one of them is taken.
    int FirstFreeId(unsigned short low, unsigned short high) const {
        unsigned int candidate = low;
        for (auto it = m_items.lower_bound(low); it != m_items.end() && candidate <= high; ++it) {
            if (ZarvIdPtrLess<T>::IdOf(*it) != candidate) break;
            ++candidate;
        }
        return candidate <= high ? static_cast<int>(candidate) : -1;
    }

    // Releases every object and empties the set. The set is emptied before
    // the releases so that a destructor running meanwhile sees a consistent
    // catalogue.
    void Clear() {
        Set items;
        items.swap(m_items);
        for (T* obj : items) obj->Release();
    }

private:
    Set m_items;
    bool m_modified = false;
};

#endif  // CATALOGUE_ID_CATALOGUE_H_
