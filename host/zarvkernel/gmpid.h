// The GMPID: the 32-bit identifier of a measurement point, and the ranges
// selected with it. Records and live values are keyed by it, so its layout
// is the kernel's; every layer above reads and builds GMPIDs through here.
//
//   bits 24..31  RID           the configuration database
//   bits 16..23  group number  listing, deleting and file sections
//   bits 12..15  block number  4096 GMPIDs inside a group
//   bits  0..11  point index   position inside the block
//
// Callers pass GMPIDs as `unsigned long`, which is 64 bits wide on this
// platform; only the low 32 bits are a GMPID (FromArg).
#ifndef ZARVKERNEL_GMPID_H_
#define ZARVKERNEL_GMPID_H_

#include <cstdint>

namespace zarvgmpid {

// Blocks are 4-bit numbers; a larger block number selects nothing.
inline constexpr unsigned kMaxBlock = 15;
inline constexpr unsigned kBlocksPerGroup = kMaxBlock + 1;
// Distinct (group, block) pairs of one RID (see GroupBlock).
inline constexpr unsigned kGroupBlocks = 256 * kBlocksPerGroup;
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

// True when `gmpid` is a 32-bit GMPID whose RID is `rid`; an argument with
// bits above the low 32 belongs to no RID.
inline constexpr bool IsOfRID(unsigned long gmpid, unsigned char rid) {
    return gmpid <= 0xFFFFFFFFul && RID(FromArg(gmpid)) == rid;
}

// The (group, block) pair as one 12-bit number, (group << 4) | block: the
// GMPID without its RID and point index.
inline constexpr unsigned GroupBlock(uint32_t gmpid) { return (gmpid >> 12) & 0xFFFu; }
inline constexpr unsigned GroupBlock(unsigned char group, unsigned block) {
    return (static_cast<unsigned>(group) << 4) | (block & 0xFu);
}
// The block number and point index together: the GMPID's low 16 bits.
inline constexpr uint16_t Low16(uint32_t gmpid) { return static_cast<uint16_t>(gmpid & 0xFFFFu); }

// The GMPID of a RID, a group and the low 16 bits (block and index).
inline constexpr uint32_t FromLow16(unsigned char rid, unsigned char group, uint16_t low) {
    return (static_cast<uint32_t>(rid) << 24) | (static_cast<uint32_t>(group) << 16) | low;
}
inline constexpr uint32_t Make(unsigned char rid, unsigned char group, unsigned block,
                               unsigned index) {
    return FromLow16(rid, group, static_cast<uint16_t>(((block & 0xFu) << 12) | (index & 0xFFFu)));
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

#endif  // ZARVKERNEL_GMPID_H_
