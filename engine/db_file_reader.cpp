#include "engine/db_file_reader.h"

#include <algorithm>
#include <utility>

#include "engine/db_file_format.h"
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"

using namespace zarvdbfile;

bool CZARVDbFileReader::Fail(const CZARVFile& file, const char* reason) {
    m_nOffset = file.Position();
    m_pReason = reason;
    return false;
}

void CZARVDbFileReader::DecodeCode(const CZARVMetaPropTbl* meta, uint16_t code,
                                   unsigned short& number, int& validType) {
    number = CodeNumber(code);
    validType = CodeValidType(code);
    // The table's view wins: a property re-typed there takes its new valid
    // type at the next load. A valid type the record cannot hold (the table
    // takes any integer) would make the record refuse the value, so the
    // file's own two bits stay then: a load never drops a stored value.
    if (const CZARVMetaProp* prop = meta ? meta->GetMetaProp(number) : nullptr) {
        number = prop->GetID();
        if (CZARVMPInfo::IsValidType(prop->GetValidType())) validType = prop->GetValidType();
    }
}

bool CZARVDbFileReader::ReadRecord(CZARVFile& file, uint32_t gmpid,
                                   std::vector<CZARVPtr<CZARVMPInfo>>& out) {
    m_pending.clear();
    for (;;) {
        _basictype<short> code;
        file >> code;
        if (file.fail()) return Fail(file, "record without end mark");
        if (static_cast<uint16_t>(code.value) == kEndMark) break;
        Pending& prop = m_pending.emplace_back();
        file >> prop.value;
        if (file.fail()) return Fail(file, "unreadable property value");
        DecodeCode(m_pMeta, static_cast<uint16_t>(code.value), prop.number, prop.validType);
    }
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
    info->ReserveMPProps(m_pending.size());
    // A number given twice, or a valid type the record refuses, keeps the
    // record as it was: the property is passed over, as when storing.
    for (Pending& prop : m_pending)
        info->InsertMPProp(prop.number, std::move(prop.value), prop.validType);
    out.push_back(std::move(info));
    return true;
}

bool CZARVDbFileReader::Read(CZARVFile& file, unsigned char rid,
                             std::vector<CZARVPtr<CZARVMPInfo>>& out) {
    out.clear();
    std::vector<CZARVPtr<CZARVMPInfo>> records;
    char magic1 = 0, magic2 = 0, fileRid = 0, groupByte = 0;
    file >> magic1 >> magic2 >> fileRid >> groupByte;
    if (file.fail()) return Fail(file, "truncated header");
    if (magic1 != kMagic1 || magic2 != kMagic2)
        return Fail(file, "not a configuration database file");
    if (static_cast<unsigned char>(fileRid) != rid) return Fail(file, "file of another RID");

    int groups = static_cast<signed char>(groupByte);
    if (groups > 0 && static_cast<size_t>(groups) * kGroupHeaderBytes > file.Remaining())
        return Fail(file, "group count beyond the end of the file");
    for (int g = 0; g < groups; ++g) {
        char group = 0;
        _basictype<short> count;
        file >> group >> count;
        if (file.fail()) return Fail(file, "truncated group header");
        int n = count.value;
        if (n > 0 && static_cast<size_t>(n) * kMinRecordBytes > file.Remaining())
            return Fail(file, "record count beyond the end of the file");
        if (n > 0 && records.capacity() - records.size() < static_cast<size_t>(n))
            records.reserve(
                std::max(records.capacity() * 2, records.size() + static_cast<size_t>(n)));
        for (int r = 0; r < n; ++r) {
            _basictype<short> low;
            file >> low;
            if (file.fail()) return Fail(file, "truncated record");
            uint32_t gmpid =
                FullGMPID(rid, static_cast<unsigned char>(group), static_cast<uint16_t>(low.value));
            if (!ReadRecord(file, gmpid, records)) return false;
        }
    }
    if (file.Remaining() != 0) return Fail(file, "bytes after the last group");
    out.swap(records);
    return true;
}
