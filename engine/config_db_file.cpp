// The file operations of a configuration database (layout in
// engine/internal/db_file_format.h).
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "engine/internal/config_db.h"
#include "engine/internal/db_file_format.h"
#include "engine/internal/db_file_reader.h"
#include "host/zarvlib/internal/zarv_result.h"
#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/zarv_file.h"
#include "host/zarvlib/zarv_str.h"

using namespace zarvdbfile;

namespace {

// The properties are walked in the record's own order, each value written
// where it is stored (no list of numbers, no lookups, no copies). False, with
// the file to be abandoned, for a code that would not read back as this
// property: one equal to the end mark would end the record early, and a
// number beyond the code's 14 bits would come back as another number.
bool WriteRecord(CZARVFile& file, const CZARVMPInfo& info) {
    file << _basictype<unsigned short>(LowGMPID(static_cast<uint32_t>(info.GetGMPID())));
    for (int i = 0, n = info.GetMPPropCount(); i < n; ++i) {
        unsigned short number = info.GetMPPropIdAt(i);
        uint16_t code = PropertyCode(number, info.GetMPTypeAt(i));
        if (code == kEndMark || CodeNumber(code) != number) return false;
        file << _basictype<unsigned short>(code) << info.GetMPPropAt(i);
    }
    file << _basictype<unsigned short>(kEndMark);
    return true;
}

}  // namespace

bool CZARVConfigDB::CanBeWritten(const std::set<unsigned char>& groups,
                                 std::vector<int>& counts) const {
    if (static_cast<int>(groups.size()) > kMaxGroups) return false;
    counts.clear();
    for (unsigned char group : groups) {
        zarvgmpid::Range range = zarvgmpid::GroupRange(m_nRID, group);
        int count = 0;
        for (auto it = m_mapMPInfo.lower_bound(range.lo);
             it != m_mapMPInfo.end() && it->first <= range.hi; ++it)
            if (++count > kMaxRecordsPerGroup) return false;
        counts.push_back(count);
    }
    return true;
}

bool CZARVConfigDB::Save(const char* path) const {
    return ZarvResultOf(false, [&] { return WriteFile(path); });
}

bool CZARVConfigDB::WriteFile(const char* path) const {
    if (!path) return false;
    std::set<unsigned char> groups;
    ListGroupNumbers(groups);
    // Refuse what the format cannot carry before opening; a property code
    // that would not read back is found while writing, and abandoning the
    // temporary file then leaves the old file as it is too.
    std::vector<int> counts;
    if (!CanBeWritten(groups, counts)) return false;

    CZARVFile file;
    if (!file.OpenBinary(path, kWriteMode)) return false;
    file << kMagic1 << kMagic2 << static_cast<char>(m_nRID) << static_cast<char>(groups.size());
    size_t g = 0;
    for (unsigned char group : groups) {
        // The group's records straight from the map, ascending; nothing runs
        // between the check above and these writes that could change them.
        int count = counts[g++];
        if (count == 0) continue;
        file << static_cast<char>(group)
             << _basictype<unsigned short>(static_cast<unsigned short>(count));
        auto it = m_mapMPInfo.lower_bound(zarvgmpid::GroupRange(m_nRID, group).lo);
        for (int r = 0; r < count; ++r, ++it)
            if (!WriteRecord(file, *it->second)) return false;  // abandons the temporary file
    }
    // Until Close() renames the finished file over the old one, the old one
    // stays whole; an early return abandons the temporary file.
    if (!file.Flush() || !file.AppendCRC() || !file.good()) return false;
    return file.Close();
}

bool CZARVConfigDB::SaveToFile(const char* dir, const char* /*ver*/) {
    if (!dir) return false;
    _zarv_str base(dir);
    base.TrimRight(kPathSep);
    _zarv_str path;
    path.Format(kFileNameFormat, base.c_str(), static_cast<int>(m_nRID));
    return Save(path);
}

bool CZARVConfigDB::SaveToTemplate(const char* path, const char* /*ver*/) { return Save(path); }

bool CZARVConfigDB::CheckFile(const char* path) {
    return ZarvResultOf(false, [&] { return CheckHeaderAndChecksum(path); });
}

namespace {

// Why a file is refused whole, at `offset` (-1: the file as a whole).
bool Refuse(CZARVFile& file, CZARVLoadReporter* reporter, long long offset, const char* why,
            unsigned fileRid = 0, unsigned ownRid = 0) {
    file.Close();
    if (!reporter) return false;
    std::string what = why;
    if (fileRid != ownRid)
        what.append(" ")
            .append(std::to_string(fileRid))
            .append(", not of RID ")
            .append(std::to_string(ownRid));
    reporter->Report(CZARVLoadReporter::kProblem, CZARVLoadReporter::Where::Offset(offset),
                     what + ": the whole file is refused");
    return false;
}

}  // namespace

bool CZARVConfigDB::ReadVerified(const char* path, CZARVFile& file,
                                 CZARVLoadReporter* reporter) const {
    if (!path || !file.OpenBinary(path, kReadMode))
        return Refuse(file, reporter, -1,
                      "cannot be opened (missing, unreadable or not a regular file)");
    char magic1 = 0, magic2 = 0, rid = 0;
    file >> magic1 >> magic2 >> rid;
    if (file.fail()) return Refuse(file, reporter, 0, "too short for its header");
    if (magic1 != kMagic1 || magic2 != kMagic2)
        return Refuse(file, reporter, 0,
                      "not a configuration database file (no \"RS\" at its start)");
    if (static_cast<unsigned char>(rid) != m_nRID)
        return Refuse(file, reporter, 2, "file of RID", static_cast<unsigned char>(rid), m_nRID);
    if (!file.CheckCRC()) {
        const size_t size = file.Size();
        return Refuse(
            file, reporter,
            static_cast<long long>(size >= CZARVFile::kCrcBytes ? size - CZARVFile::kCrcBytes : 0),
            "checksum mismatch");
    }
    return true;
}

bool CZARVConfigDB::CheckHeaderAndChecksum(const char* path) {
    // The load that called this check decodes the bytes verified here; any
    // other check keeps nothing.
    LoadSource* source = m_pLoadSource;
    if (source && !source->verified && path && source->path &&
        std::strcmp(path, source->path) == 0) {
        source->checked = true;
        source->verified = ReadVerified(path, source->file, source->reporter);
        return source->verified;
    }
    CZARVFile file;
    return ReadVerified(path, file, nullptr);
}

bool CZARVConfigDB::LoadFromFile(const char* path, const char* ver, int type) {
    return LoadFromFile(path, ver, type, nullptr);
}

bool CZARVConfigDB::LoadFromFile(const char* path, const char* /*ver*/, int type,
                                 CZARVLoadReporter* reporter) {
    return ZarvResultOf(false, [&] { return ReadFile(path, type, reporter); });
}

bool CZARVConfigDB::ReadFile(const char* path, int type, CZARVLoadReporter* reporter) {
    LoadSource source{path, {}};
    source.reporter = reporter;
    {
        // Restored also when a derived CheckFile throws.
        struct Scope {
            LoadSource*& slot;
            LoadSource* saved;
            ~Scope() { slot = saved; }
        } scope{m_pLoadSource, std::exchange(m_pLoadSource, &source)};
        if (!CheckFile(path)) {
            // A derived CheckFile that refused without the base one said why.
            if (reporter && !source.checked)
                reporter->Report(CZARVLoadReporter::kProblem, CZARVLoadReporter::Where(),
                                 "refused by the database's file check");
            return false;
        }
    }
    // A CheckFile that did not hand verified bytes over: the load reads and
    // verifies the file itself.
    if (!source.verified && !ReadVerified(path, source.file, reporter)) return false;
    source.file.Rewind();

    CZARVDbFileReader reader(m_pOwner ? m_pOwner->GetLoadMetaProps() : nullptr, reporter);
    std::vector<CZARVReadRecord> records;
    if (!reader.Read(source.file, m_nRID, records)) return false;
    source.file.Close();  // the records hold what they need

    // The whole file is good: only now does the database change.
    Replace(records, type, reporter);
    return true;  // the loader's references go with `records`
}

bool CZARVConfigDB::AddLoaded(CZARVMPInfo* info, const CZARVLoadTrace* trace) {
    if (m_pOwner) return m_pOwner->AddLoadedRecord(*this, info, trace);
    if (InsertMPInfo(info)) return true;
    if (trace) {
        const uint32_t gmpid = zarvgmpid::FromArg(info->GetGMPID());
        trace->reporter->Report(
            CZARVLoadReporter::kProblem, CZARVLoadReporter::Where::Offset(trace->offset),
            CZARVDbFileReader::PointText(gmpid) + " dropped: its GMPID is already stored" +
                trace->StoredAt(gmpid));
    }
    return false;
}

void CZARVConfigDB::Replace(std::vector<CZARVReadRecord>& records, int type,
                            CZARVLoadReporter* reporter) {
    Clear();
    m_nType = type;
    m_byGMPID.Reserve(records.size());
    // The owner hears of the end also when storing throws on the way.
    struct LoadEnd {
        CZARVConfigDB& db;
        ~LoadEnd() {
            if (db.m_pOwner) db.m_pOwner->OnLoadStored(db);
        }
    } end{*this};
    if (m_pOwner) m_pOwner->OnLoadStoring(*this, records.size());
    if (!reporter) {
        // A refused record is simply not stored; loading goes on.
        for (const CZARVReadRecord& record : records) AddLoaded(record.info.get(), nullptr);
        return;
    }
    CZARVLoadTrace trace;
    trace.reporter = reporter;
    trace.stored.reserve(records.size());
    for (const CZARVReadRecord& record : records) {
        trace.offset = record.offset;
        if (AddLoaded(record.info.get(), &trace))
            trace.stored.emplace(zarvgmpid::FromArg(record.info->GetGMPID()), record.offset);
    }
    // A stored record's GMPID was new, so each one added an entry.
    if (trace.stored.size() != records.size())
        reporter->Report(CZARVLoadReporter::kNote, CZARVLoadReporter::Where(),
                         std::to_string(trace.stored.size()) + " of " +
                             std::to_string(records.size()) +
                             (records.size() == 1 ? " record stored" : " records stored"));
}
