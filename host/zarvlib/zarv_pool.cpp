#include "host/zarvlib/zarv_pool.h"

#include <atomic>
#include <mutex>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define ZARV_POOL_USES_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARV_POOL_USES_HEAP 1
#endif
#endif

namespace zarvpool {
#ifndef ZARV_POOL_USES_HEAP
namespace {

constexpr size_t kGrain = 8;
constexpr size_t kClasses = kMaxBlock / kGrain;
// Large enough that a million records take a few hundred chunks, small
// enough that a program with a handful of points keeps little unused.
constexpr size_t kChunkBytes = size_t{256} * 1024;

// A released block, linked into the free list of its size.
struct FreeBlock {
    FreeBlock* next;
};

// Held for a handful of instructions at a time, by one thread in the usual
// case: a spin on one flag costs a fraction of a mutex's lock and unlock,
// which every record, value and index node would pay twice.
class SpinLock {
public:
    void lock() noexcept {
        while (m_taken.exchange(true, std::memory_order_acquire))
            while (m_taken.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
    void unlock() noexcept { m_taken.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_taken{false};
};

// The blocks of one size: the released ones, and the untouched rest of the
// chunk being carved.
struct SizeClass {
    SpinLock lock;
    FreeBlock* free = nullptr;
    char* next = nullptr;
    char* end = nullptr;
};

// Made on first use and never destroyed, so that objects released while
// static objects are torn down, or after, still find it.
SizeClass* Classes() {
    static SizeClass* classes = new SizeClass[kClasses];
    return classes;
}

size_t ClassOf(size_t size) { return size == 0 ? 0 : (size - 1) / kGrain; }

}  // namespace
#endif

void* Allocate(size_t size) {
#ifndef ZARV_POOL_USES_HEAP
    if (size <= kMaxBlock) {
        const size_t index = ClassOf(size);
        const size_t block = (index + 1) * kGrain;
        SizeClass& c = Classes()[index];
        std::lock_guard<SpinLock> hold(c.lock);
        if (FreeBlock* f = c.free) {
            c.free = f->next;
            return f;
        }
        if (static_cast<size_t>(c.end - c.next) < block) {
            // The tail of the old chunk (less than one block) stays unused.
            c.next = static_cast<char*>(::operator new(kChunkBytes));
            c.end = c.next + kChunkBytes - kChunkBytes % block;
        }
        void* p = c.next;
        c.next += block;
        return p;
    }
#endif
    return ::operator new(size);
}

void Free(void* block, size_t size) noexcept {
    if (!block) return;
#ifndef ZARV_POOL_USES_HEAP
    if (size <= kMaxBlock) {
        SizeClass& c = Classes()[ClassOf(size)];
        std::lock_guard<SpinLock> hold(c.lock);
        auto* f = static_cast<FreeBlock*>(block);
        f->next = c.free;
        c.free = f;
        return;
    }
#else
    static_cast<void>(size);
#endif
    ::operator delete(block);
}

}  // namespace zarvpool
