#include "tools/db_scan.h"

#include "engine/db_file_format.h"
#include "host/zarvlib/zarv_file.h"
#include "tools/file_kind.h"

using namespace zarvdbfile;

namespace zarvtool {

namespace {

constexpr size_t kCrcBytes = CZARVFile::kCrcBytes;

class Walker {
public:
    Walker(CZARVFile& file, DbScan& scan) : m_file(file), m_scan(scan) {}

    void Run() {
        char magic1 = 0, magic2 = 0, rid = 0, groups = 0;
        m_file >> magic1 >> magic2 >> rid >> groups;
        if (m_file.fail()) {
            Fail(0, "file too short for its header");
            return;
        }
        if (magic1 != kMagic1 || magic2 != kMagic2) {
            Fail(0, "not a configuration database file (no \"RS\" at its start)");
            return;
        }
        m_scan.header_ok = true;
        m_scan.rid = static_cast<unsigned char>(rid);
        m_scan.group_count = static_cast<signed char>(groups);
        for (int g = 0; g < m_scan.group_count; ++g)
            if (!ReadGroup()) return;
        size_t left = Left();
        if (left != 0) {
            std::string why = std::to_string(left) + " bytes after the last group section";
            if (m_scan.group_count < 0)
                why += " (the group count byte reads as " + std::to_string(m_scan.group_count) +
                       ": a load reads no group at all)";
            Fail(m_file.Position(), why);
            return;
        }
        m_scan.complete = true;
    }

private:
    // Bytes before the checksum. A verified checksum is already fenced off by
    // the file; an unverified one still sits at the end.
    size_t Left() const {
        size_t left = m_file.Remaining();
        if (!m_scan.crc_ok) left = left >= kCrcBytes ? left - kCrcBytes : 0;
        return left;
    }

    bool ReadGroup() {
        ScannedGroup group;
        group.offset = m_file.Position();
        char number = 0;
        _basictype<short> count;
        if (Left() < kGroupHeaderBytes) return Fail(group.offset, "group section header cut off");
        m_file >> number >> count;
        group.number = static_cast<unsigned char>(number);
        group.count = count.value;
        m_scan.groups.push_back(group);
        if (group.count > 0 && static_cast<size_t>(group.count) * kMinRecordBytes > Left())
            return Fail(group.offset, "group " + std::to_string(group.number) + " declares " +
                                          std::to_string(group.count) +
                                          " records, more than the rest of the file can hold");
        for (int r = 0; r < group.count; ++r)
            if (!ReadRecord(group.number)) return false;
        return true;
    }

    bool ReadRecord(unsigned char group) {
        ScannedRecord record;
        record.offset = m_file.Position();
        if (Left() < 2) return Fail(record.offset, "record cut off");
        _basictype<short> low;
        m_file >> low;
        record.gmpid = FullGMPID(m_scan.rid, group, static_cast<uint16_t>(low.value));
        for (;;) {
            size_t at = m_file.Position();
            if (Left() < 2) return Fail(at, "record without its end mark 0xFFFF");
            _basictype<short> code;
            m_file >> code;
            if (static_cast<uint16_t>(code.value) == kEndMark) break;
            ScannedProp prop;
            prop.offset = at;
            prop.code = static_cast<uint16_t>(code.value);
            size_t raw_before = m_file.Remaining();
            size_t left_before = Left();
            m_file >> prop.value;
            if (m_file.fail())
                return Fail(at, "unreadable value of property " + std::to_string(prop.Number()));
            if (raw_before - m_file.Remaining() > left_before)
                return Fail(at, "value of property " + std::to_string(prop.Number()) +
                                    " runs into the checksum");
            record.props.push_back(std::move(prop));
        }
        m_scan.records.push_back(std::move(record));
        return true;
    }

    bool Fail(size_t offset, const std::string& why) {
        m_scan.failure_offset = offset;
        m_scan.failure = why;
        return false;
    }

    CZARVFile& m_file;
    DbScan& m_scan;
};

}  // namespace

bool ScanDbFile(const std::string& path, DbScan& out, std::string& why) {
    out = DbScan();
    CZARVFile file;
    if (!file.OpenBinary(path.c_str(), kReadMode, 1)) {
        std::string data, reason;
        why = ReadWholeFile(path, data, reason) ? "cannot be opened" : "cannot read: " + reason;
        return false;
    }
    out.size = file.Size();
    out.crc_ok = file.CheckCRC();
    if (!out.crc_ok) {
        // The failed check may have moved the read position or the fail
        // state; read the structure from a fresh opening.
        file.Close();
        if (!file.OpenBinary(path.c_str(), kReadMode, 1)) {
            why = "cannot be opened";
            return false;
        }
    }
    Walker(file, out).Run();
    return true;
}

}  // namespace zarvtool
