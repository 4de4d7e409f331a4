// CZARVMPValue: the live value of one measurement point.
//
// It holds the point's GMPID, its value, quality and time stamp, and the
// point's reference name (taken from property 1 of its record when the value
// is created, see CZARVMPInfo::CreateValueFromInfo), which the live-value
// database enters in the kernel's name table while it stores the value.
//
// Group values. A group point keeps its values as one text in the group
// format of CZARVGRPData. Whenever a value is stored whose text parses as
// group data, the value also keeps the parsed values, which the indexed
// operations reach: GetGroupValue(i) reads value i, SetGroupValue(i) changes
// it and stores the re-rendered text as the point's value. So a group
// written whole (CZARVGRPData::ToStream) can be read item by item and the
// other way round. Storing a value that is no group text drops the group.
//
// A new value is empty, has the quality QUALITY_INVALID | QUALITY_NOT_INIT
// and the time 0, and holds one reference for its creator.
//
// A value may be linked to its point's record (CZARVMPInfo::LinkValue) and
// then knows whether that record carries property 499 without a look at it.
#ifndef ZARVKERNEL_MP_VALUE_H_
#define ZARVKERNEL_MP_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/zarv_time.h"
#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

class CZARVMPInfo;

class ZARVKERNEL_API CZARVMPValue : public CZARVObj {
public:
    // `refName` may be null or empty: the point then has no reference name.
    explicit CZARVMPValue(unsigned long gmpid, const char* refName = nullptr);
    ~CZARVMPValue() override;

    // Values come from the process-wide pool (host/zarvlib/zarv_pool.h).
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

    unsigned long GetGMPID() const { return m_nGMPID; }
    // Valid as long as the value lives.
    const char* GetRefName() const { return m_refName.GetText(); }

    const _zarvVAR& GetValue() const { return m_value; }
    const CMPQuality& GetQuality() const { return m_quality; }
    const CZARVTime& GetTime() const { return m_time; }

    // Stores value, quality and time together; refreshes or drops the group
    // values as described above.
    void SetValue(const _zarvVAR& value, const CMPQuality& quality, const CZARVTime& time);
    void SetQuality(const CMPQuality& quality) { m_quality = quality; }
    void SetTime(const CZARVTime& time) { m_time = time; }

    // Number of group values (0 when the value is no group).
    int GetGroupCount() const;
    // False (out untouched) when the index is out of range.
    bool GetGroupValue(int index, _zarvVAR& out) const;
    // Sets group value `index` (growing the group as CZARVGRPData::SetAt
    // does; a value that was no group becomes a group) and stores the group
    // text as the value. Quality and time stay as they were. False for an
    // index that CZARVGRPData::SetAt refuses, with nothing changed.
    bool SetGroupValue(int index, const _zarvVAR& value);

    // The record linked to this value, or null.
    const CZARVMPInfo* GetLinkedRecord() const { return m_pLinked; }
    // Whether the linked record carries property 499; false when there is
    // none.
    bool LinkedRecordHasReference() const { return m_pLinked && m_bLinkedHasReference; }

private:
    friend class CZARVMPInfo;
    // The live-value databases keep the name-table bookkeeping here.
    friend class CZARVSubRtdb;

    uint32_t m_nGMPID;
    // How many of the stores of this value entered its name in the table.
    uint32_t m_nNameEntries = 0;
    // What a read copies sits together, right after the header, so that a
    // read mostly touches one cache line; the flag fills the gap after the
    // quality.
    CMPQuality m_quality;
    // Kept by the linked record (see CZARVMPInfo::LinkValue).
    bool m_bLinkedHasReference = false;
    CZARVTime m_time;
    _zarvVAR m_value;
    const CZARVMPInfo* m_pLinked = nullptr;
    // A text variant: sixteen bytes, a typical name inside them, where a
    // string would take thirty-two. Never changed after construction, so
    // its text stays where it is.
    _zarvVAR m_refName;
    // Present only while the value is a group text.
    std::unique_ptr<CZARVGRPData> m_pGroup;
};

#endif  // ZARVKERNEL_MP_VALUE_H_
