#include "engine/internal/config_db.h"

#include <algorithm>
#include <iterator>

CZARVConfigDB::CZARVConfigDB(unsigned char rid, int type, CZARVConfigDBOwner* owner)
    : m_nRID(rid), m_nType(type), m_pOwner(owner) {}

CZARVConfigDB::~CZARVConfigDB() { Clear(); }

void CZARVConfigDB::Evict(CZARVMPInfo* info) {
    if (m_pOwner) m_pOwner->OnRecordLeaving(*this, *info);
    info->Release();
}

void CZARVConfigDB::Clear() {
    // Detach the map first: releasing a record may run arbitrary destructors,
    // and the database must already look empty to anything they reach.
    RecordMap records;
    records.swap(m_mapMPInfo);
    m_byGMPID.Clear();
    for (auto& [gmpid, info] : records) Evict(info);
}

bool CZARVConfigDB::InsertMPInfo(CZARVMPInfo* info) {
    if (!info) return false;
    CZARVPtr<CZARVMPInfo> held(info);
    const uint32_t gmpid = zarvgmpid::FromArg(info->GetGMPID());
    // Loads store records in ascending order: after the last record the new
    // one needs no search.
    auto at = !m_mapMPInfo.empty() && std::prev(m_mapMPInfo.end())->first < gmpid
                  ? m_mapMPInfo.end()
                  : m_mapMPInfo.lower_bound(gmpid);
    if (at != m_mapMPInfo.end() && at->first == gmpid) return false;
    // Room first: once the map holds the record, nothing may fail before
    // the reference is handed over.
    m_byGMPID.Reserve(m_mapMPInfo.size() + 1);
    auto it = m_mapMPInfo.emplace_hint(at, gmpid, info);
    m_byGMPID.Insert(it->first, info);
    held.release();  // the map keeps the reference
    return true;
}

CZARVMPInfo* CZARVConfigDB::GetMPInfo(uint32_t gmpid) const { return m_byGMPID.Find(gmpid); }

int CZARVConfigDB::AppendRange(zarvgmpid::Range range, CZARVDataSet<CZARVMPInfo>& out) const {
    if (!range.empty()) {
        auto end = m_mapMPInfo.upper_bound(range.hi);
        for (auto it = m_mapMPInfo.lower_bound(range.lo); it != end; ++it) out.Add(it->second);
    }
    return out.GetCount();
}

int CZARVConfigDB::ListMPInfo(unsigned char group, unsigned char block,
                              CZARVDataSet<CZARVMPInfo>& out) const {
    return AppendRange(zarvgmpid::BlockRange(m_nRID, group, block), out);
}

int CZARVConfigDB::ListMPInfo(unsigned char group, CZARVDataSet<CZARVMPInfo>& out) const {
    return AppendRange(zarvgmpid::GroupRange(m_nRID, group), out);
}

void CZARVConfigDB::DeleteMPInfo(unsigned long gmpid) {
    const uint32_t key = zarvgmpid::FromArg(gmpid);
    auto it = m_mapMPInfo.find(key);
    if (it == m_mapMPInfo.end()) return;
    CZARVMPInfo* info = it->second;
    m_mapMPInfo.erase(it);
    m_byGMPID.Erase(key);
    Evict(info);
}

int CZARVConfigDB::EraseRange(zarvgmpid::Range range) {
    if (range.empty()) return 0;
    auto first = m_mapMPInfo.lower_bound(range.lo);
    auto last = m_mapMPInfo.upper_bound(range.hi);
    // Take the records out before releasing any of them (see Clear).
    RecordMap leaving;
    while (first != last) {
        m_byGMPID.Erase(first->first);
        auto node = m_mapMPInfo.extract(first++);
        leaving.insert(std::move(node));
    }
    for (auto& [gmpid, info] : leaving) Evict(info);
    return static_cast<int>(leaving.size());
}

int CZARVConfigDB::DeleteMPInfo(unsigned char group, unsigned char block) {
    return EraseRange(zarvgmpid::BlockRange(m_nRID, group, block));
}

int CZARVConfigDB::DeleteMPInfo(unsigned char group) {
    return EraseRange(zarvgmpid::GroupRange(m_nRID, group));
}

unsigned int CZARVConfigDB::GetFreeGMPID(unsigned char group, unsigned char block,
                                         unsigned long* out, unsigned int count) const {
    zarvgmpid::Range range = zarvgmpid::BlockRange(m_nRID, group, block);
    if (range.empty()) return 0;
    auto first = m_mapMPInfo.lower_bound(range.lo);
    auto last = m_mapMPInfo.upper_bound(range.hi);
    if (!out) {
        auto taken = static_cast<unsigned int>(std::distance(first, last));
        return zarvgmpid::kBlockSize - taken;
    }
    // One pass: fill the gap before each record, then the gap after the last.
    unsigned int written = 0;
    uint64_t next = range.lo;           // 64 bits: the block of RID 255 ends at 0xFFFFFFFF
    auto fill_to = [&](uint64_t end) {  // exclusive
        while (next < end && written < count) out[written++] = static_cast<unsigned long>(next++);
    };
    for (auto it = first; it != last && written < count; ++it) {
        fill_to(it->first);
        next = static_cast<uint64_t>(it->first) + 1;
    }
    fill_to(static_cast<uint64_t>(range.hi) + 1);
    return written;
}

int CZARVConfigDB::ListGroupNumbers(std::set<unsigned char>& out) const {
    out.clear();
    // Jump from group to group: one lookup per distinct group, not per record.
    auto it = m_mapMPInfo.begin();
    while (it != m_mapMPInfo.end()) {
        out.insert(zarvgmpid::Group(it->first));
        it = m_mapMPInfo.upper_bound(it->first | 0xFFFFu);
    }
    return static_cast<int>(out.size());
}
