// The layout of a configuration database file, shared by its writer and its
// reader (docs/db_file_format.md describes it in prose).
//
// All numbers go through CZARVFile: little-endian, variants as kind and
// payload, a CRC-32 trailer over everything before it.
//
//   header   'R' 'S' <rid: char> <group count: char, read signed>
//   group    <group number: char> <record count: 16 bits, read signed>
//            then that many records, ascending by GMPID
//   record   <GMPID & 0xFFFF: 16 bits>
//            { <property code: 16 bits> <value: variant> } ...
//            <end mark 0xFFFF: 16 bits>
//   trailer  CRC-32 (CZARVFile::kCrcBytes bytes)
//
// A property code carries the property number in bits 0..13 and its valid
// type (0..3) in bits 14..15. A file holds at most 127 groups and 32767
// records per group, since both counts are read back as signed numbers.
#ifndef ENGINE_DB_FILE_FORMAT_H_
#define ENGINE_DB_FILE_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_info.h"

namespace zarvdbfile {

inline constexpr char kMagic1 = 0x52;  // 'R'
inline constexpr char kMagic2 = 0x53;  // 'S'
inline constexpr uint16_t kEndMark = 0xFFFF;
inline constexpr uint16_t kNumberMask = 0x3FFF;
// The largest property number a file carries: 0x3FFF itself with valid type
// 3 would read back as the end mark.
inline constexpr unsigned short kMaxPropertyNumber = CZARVMPInfo::kMaxStoredPropNumber;
static_assert(kMaxPropertyNumber == kNumberMask - 1);
inline constexpr int kValidTypeShift = 14;
inline constexpr int kMaxGroups = 127;
inline constexpr int kMaxRecordsPerGroup = 32767;

// CZARVFile open modes.
inline constexpr unsigned kWriteMode = 0x13;
inline constexpr unsigned kReadMode = 1;

// The smallest encodings, used to check counts against the bytes left.
inline constexpr size_t kHeaderBytes = 4;
inline constexpr size_t kGroupHeaderBytes = 3;
inline constexpr size_t kMinRecordBytes = 4;  // low GMPID and end mark

// The name of a regular save inside a directory, from the directory text
// without trailing separators and the RID in decimal.
#if defined(_WIN32)
inline constexpr char kPathSep = '\\';
inline constexpr const char* kFileNameFormat = "%s\\rs%d.dat";
#else
inline constexpr char kPathSep = '/';
inline constexpr const char* kFileNameFormat = "%s/rs%d.dat";
#endif

inline constexpr uint16_t PropertyCode(unsigned short number, int validType) {
    return static_cast<uint16_t>((number & kNumberMask) |
                                 (static_cast<unsigned>(validType) << kValidTypeShift));
}
inline constexpr unsigned short CodeNumber(uint16_t code) { return code & kNumberMask; }
inline constexpr int CodeValidType(uint16_t code) { return code >> kValidTypeShift; }

// The low 16 bits a record stores, and the GMPID rebuilt from them.
inline constexpr uint16_t LowGMPID(uint32_t gmpid) { return zarvgmpid::Low16(gmpid); }
inline constexpr uint32_t FullGMPID(unsigned char rid, unsigned char group, uint16_t low) {
    return zarvgmpid::FromLow16(rid, group, low);
}

}  // namespace zarvdbfile

#endif  // ENGINE_DB_FILE_FORMAT_H_
