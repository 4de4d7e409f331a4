// The kernel's name table: reference names of measurement points.
//
// A point's reference name maps to its GMPID. Live-value databases enter
// and drop the names of the values they store; host programs may also enter
// and drop names directly. The table is global state of the kernel: the
// names in one arena, found through an open-addressing hash table. Being
// shared by every engine of the process, it takes a lock of its own, so
// that two engines used from two threads may store values at once.
//
// Rules:
//   - names are compared exactly (case and spaces count); a null or empty
//     name is never entered;
//   - a name owned by one point is refused to any other point: the first
//     owner keeps it until it is dropped;
//   - entering a name again for its own point counts the entries; dropping
//     it for that point removes one count, and the name goes with the last
//     one (two live-value databases may hold the same point);
//   - UnregisterRefName(name) without a GMPID removes the name outright.
#ifndef ZARVKERNEL_REF_NAMES_H_
#define ZARVKERNEL_REF_NAMES_H_

#include "host/zarvkernel/zarvkernel_export.h"

// The GMPID answering "no point".
inline constexpr unsigned long ZARV_INVALID_GMPID = 0xFFFFFFFFUL;

// The GMPID of the point with that reference name, 0xFFFFFFFF when none
// (also for a null or empty name).
ZARVKERNEL_API unsigned long GetGMPIDByRefName(const char* name);

// Enters `name` for `gmpid`. True when the name now belongs to that point
// (new or again); false for a null or empty name, the GMPID 0xFFFFFFFF (or
// one above 32 bits), or a name owned by another point.
ZARVKERNEL_API bool RegisterRefName(const char* name, unsigned long gmpid);
// Removes the name whoever owns it; false when it was not entered.
ZARVKERNEL_API bool UnregisterRefName(const char* name);
// Drops one entry of the name for `gmpid` only; false, with nothing changed,
// when the name is absent or owned by another point.
ZARVKERNEL_API bool UnregisterRefName(const char* name, unsigned long gmpid);
// Number of names entered.
ZARVKERNEL_API int GetRefNameCount();
// Empties the table.
ZARVKERNEL_API void ClearRefNames();

#endif  // ZARVKERNEL_REF_NAMES_H_
