// The process-wide pool of small fixed-size blocks, for the objects a
// configuration holds one or more of per point (records, live values, IO
// index nodes, the nodes of the containers that find them).
//
// Blocks of one size come from large chunks and go back to a free list of
// that size when released, so a million points cost a few hundred chunk
// allocations instead of millions of heap blocks with a header each. Every
// block stays individually releasable, on any thread: each size keeps its
// own lock, so two engines used from two threads at once stay correct. The
// pool is never torn down; an object may outlive the engine that made it
// (a caller holding a reference) and even main(). Chunks are kept for reuse
// and not handed back to the system.
//
// Sizes above kMaxBlock go to the global operator new. Under AddressSanitizer
// every size does, so that a use after release or a leaked object is still
// reported as it would be for any heap block.
#ifndef ZARVLIB_ZARV_POOL_H_
#define ZARVLIB_ZARV_POOL_H_

#include <cstddef>
#include <new>

#include "host/zarvlib/zarvlib_export.h"

namespace zarvpool {

// The largest size served from chunks; blocks are multiples of 8 bytes and
// aligned to 8.
inline constexpr size_t kMaxBlock = 512;

// A block of at least `size` bytes, aligned to 8. Throws std::bad_alloc
// like operator new when memory runs out.
ZARVLIB_API void* Allocate(size_t size);
// Returns a block from Allocate of the same `size`; null is ignored.
ZARVLIB_API void Free(void* block, size_t size) noexcept;

}  // namespace zarvpool

// Standard allocator over the pool, for the nodes of node-based containers
// (std::map, std::set, std::unordered_map). Arrays larger than kMaxBlock,
// such as a hash table's buckets, go to the global heap through the pool's
// fallback.
template <class T>
struct CZARVPoolAllocator {
    static_assert(alignof(T) <= 8, "the pool aligns to 8 bytes");
    using value_type = T;

    CZARVPoolAllocator() = default;
    template <class U>
    CZARVPoolAllocator(const CZARVPoolAllocator<U>&) noexcept {}  // NOLINT(implicit)

    T* allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(zarvpool::Allocate(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { zarvpool::Free(p, n * sizeof(T)); }

    friend bool operator==(const CZARVPoolAllocator&, const CZARVPoolAllocator&) { return true; }
};

#endif  // ZARVLIB_ZARV_POOL_H_
