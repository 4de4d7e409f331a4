// The GMPID: the 32-bit identifier of a measurement point, and the ranges
// the engine selects with it.
//
//   bits 24..31  RID           the configuration database
//   bits 16..23  group number  listing, deleting and file sections
//   bits 12..15  block number  4096 GMPIDs inside a group
//   bits  0..11  point index   position inside the block
//
// Callers pass GMPIDs as `unsigned long`, which is 64 bits wide on this
// platform; only the low 32 bits are a GMPID (FromArg).
#ifndef ENGINE_GMPID_H_
#define ENGINE_GMPID_H_

#include <cstdint>

namespace zarvgmpid {

// Blocks are 4-bit numbers; a larger block number selects nothing.
inline constexpr unsigned kMaxBlock = 15;
inline constexpr uint32_t kBlockSize = 0x1000;

inline constexpr uint32_t FromArg(unsigned long gmpid) { return static_cast<uint32_t>(gmpid); }

inline constexpr unsigned char RID(uint32_t gmpid) {
    return static_cast<unsigned char>(gmpid >> 24);
}
inline constexpr unsigned char Group(uint32_t gmpid) {
    return static_cast<unsigned char>((gmpid >> 16) & 0xFF);
}
inline constexpr unsigned char Block(uint32_t gmpid) {
    return static_cast<unsigned char>((gmpid >> 12) & 0xF);
}

inline constexpr uint32_t Make(unsigned char rid, unsigned char group, unsigned block,
                               unsigned index) {
    return (static_cast<uint32_t>(rid) << 24) | (static_cast<uint32_t>(group) << 16) |
           ((block & 0xFu) << 12) | (index & 0xFFFu);
}

// An inclusive range of GMPIDs; `empty` when it selects nothing.
struct Range {
    uint32_t lo = 1;
    uint32_t hi = 0;
    constexpr bool empty() const { return lo > hi; }
    constexpr bool Contains(uint32_t g) const { return lo <= g && g <= hi; }
};

// The 4096 GMPIDs of one block of a group; empty for a block above 15.
inline constexpr Range BlockRange(unsigned char rid, unsigned char group, unsigned char block) {
    if (block > kMaxBlock) return Range{};
    uint32_t lo = Make(rid, group, block, 0);
    return Range{lo, lo | 0xFFFu};
}

// The 65536 GMPIDs of one group.
inline constexpr Range GroupRange(unsigned char rid, unsigned char group) {
    uint32_t lo = Make(rid, group, 0, 0);
    return Range{lo, lo | 0xFFFFu};
}

}  // namespace zarvgmpid

#endif  // ENGINE_GMPID_H_
