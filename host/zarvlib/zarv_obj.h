// Reference-counted objects and the small helpers that hold references.
//
// Ownership rules used throughout the system:
//   - a new CZARVObj holds one reference, owned by whoever created it;
//   - a container takes a reference when it accepts an object and drops it
//     when the object leaves;
//   - getters hand out borrowed pointers (no reference);
//   - Release() destroys the object when the count reaches zero.
// Counting is not atomic: objects are used by one thread at a time.
#ifndef ZARVLIB_ZARV_OBJ_H_
#define ZARVLIB_ZARV_OBJ_H_

#include <utility>

#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API CZARVBaseObj {
public:
    CZARVBaseObj() = default;
    virtual ~CZARVBaseObj();
};

class ZARVLIB_API CZARVObj : public CZARVBaseObj {
public:
    CZARVObj() = default;
    CZARVObj(const CZARVObj&) = delete;
    CZARVObj& operator=(const CZARVObj&) = delete;
    ~CZARVObj() override;

    // Returns the new count.
    long AddRef() { return ++m_refs; }
    // Returns the new count; at zero the object is deleted and must not be
    // touched again.
    long Release();
    long GetRefCount() const { return m_refs; }

private:
    long m_refs = 1;
};

// Holds one reference on a CZARVObj for the lifetime of the holder.
// CZARVPtr<T>(p) takes a new reference; CZARVPtr<T>::Adopt(p) takes over the
// reference the caller already owns (for example that of a new object).
template <class T>
class CZARVPtr {
public:
    CZARVPtr() = default;
    explicit CZARVPtr(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    static CZARVPtr Adopt(T* p) {
        CZARVPtr r;
        r.m_p = p;
        return r;
    }
    CZARVPtr(const CZARVPtr& o) : CZARVPtr(o.m_p) {}
    CZARVPtr(CZARVPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    CZARVPtr& operator=(CZARVPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    ~CZARVPtr() { reset(); }

    void reset() {
        if (m_p) std::exchange(m_p, nullptr)->Release();
    }
    // Gives the held reference to the caller.
    T* release() { return std::exchange(m_p, nullptr); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// Orders pointers by the objects they point to (operator< on the objects).
template <class P>
struct ptrless {
    bool operator()(const P& a, const P& b) const { return *a < *b; }
};

#endif  // ZARVLIB_ZARV_OBJ_H_
