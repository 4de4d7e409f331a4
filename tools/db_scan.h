// A walk over a configuration database file that keeps where everything
// sits: the header, each group section, each record and each property entry
// with its byte offset, its raw property code and its value. The walk reads
// what the library's loader reads, in the same order and with the same
// signed counts, so it stops exactly where a load would give up; `failure`
// then says where and why.
#ifndef TOOLS_DB_SCAN_H_
#define TOOLS_DB_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/db_file_format.h"
#include "host/zarvlib/zarv_var.h"

namespace zarvtool {

struct ScannedProp {
    size_t offset = 0;
    uint16_t code = 0;  // number in bits 0..13, valid type in bits 14..15
    _zarvVAR value;
    unsigned short Number() const { return zarvdbfile::CodeNumber(code); }
    int ValidType() const { return code >> 14; }
};

struct ScannedRecord {
    size_t offset = 0;
    uint32_t gmpid = 0;
    std::vector<ScannedProp> props;
};

struct ScannedGroup {
    size_t offset = 0;
    unsigned char number = 0;
    int count = 0;  // the record count as a load reads it (signed)
};

struct DbScan {
    size_t size = 0;
    bool header_ok = false;  // magic bytes and four header bytes present
    unsigned char rid = 0;
    int group_count = 0;  // as a load reads it (signed)
    bool crc_ok = false;
    std::vector<ScannedGroup> groups;
    std::vector<ScannedRecord> records;  // in file order
    // The walk reached the checksum with nothing left over.
    bool complete = false;
    size_t failure_offset = 0;
    std::string failure;  // empty when complete
};

// Opens and walks the file. False (with `why`) only when the file cannot be
// opened; a damaged file gives true with `out.complete` false.
bool ScanDbFile(const std::string& path, DbScan& out, std::string& why);

}  // namespace zarvtool

#endif  // TOOLS_DB_SCAN_H_
