#include "host/zarvkernel/sub_rtdb.h"

#include <algorithm>
#include <utility>

#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/ref_names.h"

namespace {

// Slot of a GMPID: its group and block numbers.
int SlotIndex(unsigned long gmpid) {
    return static_cast<int>(zarvgmpid::GroupBlock(zarvgmpid::FromArg(gmpid)));
}
int SlotIndex(unsigned char group, unsigned char block) {
    return static_cast<int>(zarvgmpid::GroupBlock(group, block));
}

template <class Entry>
bool LessByGMPID(const Entry& e, unsigned long gmpid) {
    return e.gmpid < gmpid;
}

}  // namespace

CZARVSubRtdb::CZARVSubRtdb(unsigned char rid) : m_nRID(rid) {}

CZARVSubRtdb::~CZARVSubRtdb() { RemoveAll(); }

CZARVMPValue* CZARVSubRtdb::GetMPValueObj(unsigned long gmpid) const {
    if (!zarvgmpid::IsOfRID(gmpid, m_nRID)) return nullptr;
    return m_byGMPID.Find(static_cast<uint32_t>(gmpid));
}

bool CZARVSubRtdb::InsertMPValue(CZARVMPValue* value) { return StoreMPValue(value) != nullptr; }

void CZARVSubRtdb::Reserve(size_t n) { m_byGMPID.Reserve(n); }

CZARVMPValue* CZARVSubRtdb::StoreMPValue(CZARVMPValue* value) {
    if (!value) return nullptr;
    const unsigned long gmpid = value->GetGMPID();
    if (!zarvgmpid::IsOfRID(gmpid, m_nRID)) return nullptr;
    if (m_slots.empty()) m_slots.resize(kSlots);
    Slot& slot = m_slots[SlotIndex(gmpid)];
    // Loads store values in ascending order: most go at the end.
    auto it = slot.empty() || slot.back().gmpid < gmpid
                  ? slot.end()
                  : std::lower_bound(slot.begin(), slot.end(), gmpid, LessByGMPID<Entry>);
    // A point that already has a value keeps it, live state included.
    if (it != slot.end() && it->gmpid == gmpid) return it->value;
    // Room first: once the slot holds the value, nothing may fail before
    // the value is given its reference.
    m_byGMPID.Reserve(static_cast<size_t>(m_nCount) + 1);
    slot.insert(it, Entry{static_cast<uint32_t>(gmpid), value});
    m_byGMPID.Insert(static_cast<uint32_t>(gmpid), value);
    value->AddRef();
    ++m_nCount;
    if (RegisterRefName(value->GetRefName(), gmpid)) ++value->m_nNameEntries;
    return value;
}

void CZARVSubRtdb::ReleaseValue(CZARVMPValue* value) {
    if (value->m_nNameEntries > 0 && UnregisterRefName(value->GetRefName(), value->GetGMPID()))
        --value->m_nNameEntries;
    value->Release();
}

void CZARVSubRtdb::ReleaseSlot(Slot& slot) {
    Slot values;
    values.swap(slot);
    m_nCount -= static_cast<int>(values.size());
    for (const Entry& e : values) m_byGMPID.Erase(e.gmpid);
    for (const Entry& e : values) ReleaseValue(e.value);
}

void CZARVSubRtdb::RemoveMPValue(unsigned long gmpid) {
    if (m_slots.empty() || !zarvgmpid::IsOfRID(gmpid, m_nRID)) return;
    Slot& slot = m_slots[SlotIndex(gmpid)];
    // Loads store values in ascending order: most go at the end.
    auto it = slot.empty() || slot.back().gmpid < gmpid
                  ? slot.end()
                  : std::lower_bound(slot.begin(), slot.end(), gmpid, LessByGMPID<Entry>);
    if (it == slot.end() || it->gmpid != gmpid) return;
    CZARVMPValue* value = it->value;
    slot.erase(it);
    m_byGMPID.Erase(static_cast<uint32_t>(gmpid));
    --m_nCount;
    ReleaseValue(value);
}

void CZARVSubRtdb::RemoveMPValue(unsigned char group) {
    if (m_slots.empty()) return;
    for (unsigned char block = 0; block < zarvgmpid::kBlocksPerGroup; ++block)
        ReleaseSlot(m_slots[SlotIndex(group, block)]);
}

void CZARVSubRtdb::RemoveMPValue(unsigned char group, unsigned char block) {
    if (m_slots.empty() || block > zarvgmpid::kMaxBlock) return;
    ReleaseSlot(m_slots[SlotIndex(group, block)]);
}

void CZARVSubRtdb::RemoveAll() {
    // Every value goes: forget them all at once (erasing from the emptied
    // table is then free) rather than one by one.
    m_byGMPID.Clear();
    for (Slot& slot : m_slots) ReleaseSlot(slot);
}

int CZARVSubRtdb::ListValue(unsigned char group, CZARVDataSet<CZARVMPValue>& out) const {
    if (!m_slots.empty()) {
        for (unsigned char block = 0; block < zarvgmpid::kBlocksPerGroup; ++block)
            for (const Entry& e : m_slots[SlotIndex(group, block)]) out.Add(e.value);
    }
    return out.GetCount();
}

int CZARVSubRtdb::ListValue(unsigned char group, unsigned char block,
                            CZARVDataSet<CZARVMPValue>& out) const {
    if (!m_slots.empty() && block <= zarvgmpid::kMaxBlock) {
        for (const Entry& e : m_slots[SlotIndex(group, block)]) out.Add(e.value);
    }
    return out.GetCount();
}

bool CZARVSubRtdb::ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality* quality,
                             CZARVTime* time) const {
    const CZARVMPValue* v = GetMPValueObj(gmpid);
    if (!v) return false;
    value = v->GetValue();
    if (quality) *quality = v->GetQuality();
    if (time) *time = v->GetTime();
    return true;
}

bool CZARVSubRtdb::ReadValueQos(unsigned long gmpid, CMPQuality& quality) const {
    const CZARVMPValue* v = GetMPValueObj(gmpid);
    if (!v) return false;
    quality = v->GetQuality();
    return true;
}

bool CZARVSubRtdb::ReadValueTime(unsigned long gmpid, CZARVTime& time) const {
    const CZARVMPValue* v = GetMPValueObj(gmpid);
    if (!v) return false;
    time = v->GetTime();
    return true;
}

bool CZARVSubRtdb::ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) const {
    const CZARVMPValue* v = GetMPValueObj(gmpid);
    return v && v->GetGroupValue(index, value);
}

unsigned int CZARVSubRtdb::WriteValue(unsigned long gmpid, const _zarvVAR& value,
                                      const CMPQuality& quality, const CZARVTime& time) {
    CZARVMPValue* v = GetMPValueObj(gmpid);
    if (!v) return WRITE_UNKNOWN;
    const bool same = v->GetValue() == value && v->GetQuality() == quality;
    v->SetValue(value, quality, time);
    return same ? WRITE_UNCHANGED : WRITE_CHANGED;
}

bool CZARVSubRtdb::WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value) {
    CZARVMPValue* v = GetMPValueObj(gmpid);
    return v && v->SetGroupValue(index, value);
}
