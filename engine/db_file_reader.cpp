#include "engine/internal/db_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine/internal/db_file_format.h"
#include "host/zarvlib/load_reporter.h"
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"

using namespace zarvdbfile;

bool CZARVDbFileReader::Fail(const CZARVFile& file, std::string reason) {
    m_nOffset = file.Position();
    m_reason = std::move(reason);
    if (m_pReporter)
        m_pReporter->Report(CZARVLoadReporter::kProblem,
                            CZARVLoadReporter::Where::Offset(static_cast<long long>(m_nOffset)),
                            m_reason + ": the whole file is refused");
    return false;
}

std::string CZARVDbFileReader::PointText(uint32_t gmpid) {
    char text[24];
    std::snprintf(text, sizeof text, "point 0x%08X", static_cast<unsigned>(gmpid));
    return text;
}

void CZARVDbFileReader::NoteDecoding(long long offset, uint32_t gmpid, uint16_t code) {
    if (!m_pMeta) return;
    const CZARVMetaProp* prop = m_pMeta->GetMetaProp(CodeNumber(code));
    if (!prop) {
        m_unknown.insert(CodeNumber(code));
        return;
    }
    if (CZARVMPInfo::IsValidType(prop->GetValidType())) return;
    m_pReporter->Report(CZARVLoadReporter::kNote, CZARVLoadReporter::Where::Offset(offset),
                        PointText(gmpid) + ": property " + std::to_string(prop->GetID()) +
                            ": valid type " + std::to_string(prop->GetValidType()) +
                            " from the meta property table does not fit a record (0 to 3); "
                            "the stored valid type " +
                            std::to_string(CodeValidType(code)) + " is kept");
}

void CZARVDbFileReader::ReportPassedOver(long long offset, uint32_t gmpid, unsigned short number,
                                         const _zarvVAR& value, const CZARVMPInfo& info) {
    std::string what = PointText(gmpid) + ": property " + std::to_string(number);
    what += info.IsExist(number) ? " given twice; the first is kept, this value is dropped: "
                                 : " refused by the record; its value is dropped: ";
    m_pReporter->Report(
        CZARVLoadReporter::kProblem, CZARVLoadReporter::Where::Offset(offset),
        what + value.ToString() + " (kind " + std::to_string(value.GetType()) + ")");
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

bool CZARVDbFileReader::ReadRecord(CZARVFile& file, uint32_t gmpid, long long offset,
                                   std::vector<CZARVReadRecord>& out) {
    m_pending.clear();
    for (;;) {
        const size_t at = file.Position();
        _basictype<short> code;
        file >> code;
        if (file.fail()) return Fail(file, "record without end mark");
        if (static_cast<uint16_t>(code.value) == kEndMark) break;
        Pending& prop = m_pending.emplace_back();
        prop.offset = static_cast<long long>(at);
        file >> prop.value;
        if (file.fail())
            return Fail(file, file.FailReason().empty()
                                  ? std::string("unreadable property value")
                                  : "unreadable property value: " + file.FailReason());
        DecodeCode(m_pMeta, static_cast<uint16_t>(code.value), prop.number, prop.validType);
        if (m_pReporter) NoteDecoding(prop.offset, gmpid, static_cast<uint16_t>(code.value));
    }
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
    info->ReserveMPProps(m_pending.size());
    // A number given twice, or a valid type the record refuses, keeps the
    // record as it was: the property is passed over, as when storing.
    for (Pending& prop : m_pending) {
        if (m_pReporter &&
            (info->IsExist(prop.number) || !CZARVMPInfo::IsValidType(prop.validType)))
            ReportPassedOver(prop.offset, gmpid, prop.number, prop.value, *info);
        info->InsertMPProp(prop.number, std::move(prop.value), prop.validType);
    }
    out.push_back({std::move(info), offset});
    return true;
}

bool CZARVDbFileReader::Read(CZARVFile& file, unsigned char rid,
                             std::vector<CZARVReadRecord>& out) {
    out.clear();
    m_unknown.clear();
    std::vector<CZARVReadRecord> records;
    char magic1 = 0, magic2 = 0, fileRid = 0, groupByte = 0;
    file >> magic1 >> magic2 >> fileRid >> groupByte;
    if (file.fail()) return Fail(file, "truncated header");
    if (magic1 != kMagic1 || magic2 != kMagic2)
        return Fail(file, "not a configuration database file");
    if (static_cast<unsigned char>(fileRid) != rid) return Fail(file, "file of another RID");

    int groups = static_cast<signed char>(groupByte);
    if (groups < 0 && m_pReporter)
        m_pReporter->Report(
            CZARVLoadReporter::kNote, CZARVLoadReporter::Where::Offset(3),
            "the group count reads as " + std::to_string(groups) + ", so no group is read");
    if (groups > 0 && static_cast<size_t>(groups) * kGroupHeaderBytes > file.Remaining())
        return Fail(file, "group count beyond the end of the file");
    for (int g = 0; g < groups; ++g) {
        char group = 0;
        _basictype<short> count;
        file >> group >> count;
        if (file.fail()) return Fail(file, "truncated group header");
        int n = count.value;
        if (n < 0 && m_pReporter)
            m_pReporter->Report(CZARVLoadReporter::kNote,
                                CZARVLoadReporter::Where::Offset(
                                    static_cast<long long>(file.Position() - kGroupHeaderBytes)),
                                "group " + std::to_string(static_cast<unsigned char>(group)) +
                                    ": the record count reads as " + std::to_string(n) +
                                    ", so no record of it is read");
        if (n > 0 && static_cast<size_t>(n) * kMinRecordBytes > file.Remaining())
            return Fail(file, "record count beyond the end of the file");
        if (n > 0 && records.capacity() - records.size() < static_cast<size_t>(n))
            records.reserve(
                std::max(records.capacity() * 2, records.size() + static_cast<size_t>(n)));
        for (int r = 0; r < n; ++r) {
            const auto offset = static_cast<long long>(file.Position());
            _basictype<short> low;
            file >> low;
            if (file.fail()) return Fail(file, "truncated record");
            uint32_t gmpid =
                FullGMPID(rid, static_cast<unsigned char>(group), static_cast<uint16_t>(low.value));
            if (!ReadRecord(file, gmpid, offset, records)) return false;
        }
    }
    if (file.Remaining() != 0)
        return Fail(file, groups < 0 ? "bytes after the last group (the group count reads as "
                                       "negative: no group is read)"
                                     : "bytes after the last group");
    if (m_pReporter && !m_unknown.empty()) {
        std::string list;
        for (unsigned short n : m_unknown) list += (list.empty() ? "" : ", ") + std::to_string(n);
        m_pReporter->Report(
            CZARVLoadReporter::kNote, CZARVLoadReporter::Where(),
            "property numbers not in the meta property table, kept as stored: " + list);
    }
    out.swap(records);
    return true;
}
