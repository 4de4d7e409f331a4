// CZARVDataSet<T>: the out-parameter of every listing and query.
//
// Add() takes a reference on the element and appends it; the set iterates in
// the order elements were added and releases every element when cleared or
// destroyed. A null element is refused (false), so a set never holds one.
#ifndef ZARVLIB_ZARV_DATASET_H_
#define ZARVLIB_ZARV_DATASET_H_

#include <cstddef>
#include <vector>

#include "host/zarvlib/zarv_obj.h"

template <class T>
class CZARVDataSet : public CZARVBaseObj {
public:
    using iterator = typename std::vector<T*>::const_iterator;

    CZARVDataSet() = default;
    CZARVDataSet(const CZARVDataSet&) = delete;
    CZARVDataSet& operator=(const CZARVDataSet&) = delete;
    ~CZARVDataSet() override { Clear(); }

    bool Add(T* item) {
        if (!item) return false;
        m_items.push_back(item);
        item->AddRef();
        return true;
    }
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int size() const { return GetCount(); }
    bool empty() const { return m_items.empty(); }
    // Borrowed pointer; null when the index is out of range.
    T* GetAt(int i) const {
        return i >= 0 && static_cast<size_t>(i) < m_items.size() ? m_items[i] : nullptr;
    }
    T* operator[](int i) const { return GetAt(i); }
    iterator begin() const { return m_items.begin(); }
    iterator end() const { return m_items.end(); }
    void Reserve(size_t n) { m_items.reserve(n); }

    void Clear() {
        std::vector<T*> items;
        items.swap(m_items);
        for (T* item : items) item->Release();
    }

private:
    std::vector<T*> m_items;
};

#endif  // ZARVLIB_ZARV_DATASET_H_
