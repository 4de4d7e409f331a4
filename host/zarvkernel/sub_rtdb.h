// CZARVSubRtdb: the live-value database of one RID.
//
// It stores CZARVMPValue objects by GMPID and serves reads, writes and
// listings of them. Only values whose GMPID carries the database's RID (the
// top byte) are accepted. Internally the values of each (group, block) pair
// sit in their own GMPID-sorted vector, one slot per pair, so that listings
// by group or block walk their slots in ascending GMPID order; a hash table
// beside the slots finds the value of one GMPID, which reads and writes at
// value rates need, in one probe sequence.
//
// Ownership: the database holds one reference on every stored value and
// drops it when the value is removed or the database is destroyed.
// GetMPValueObj hands out borrowed pointers, valid until that value is
// removed.
//
// Names: while a value is stored, its reference name (if it has one) is
// entered in the kernel's name table under its GMPID (see ref_names.h), and
// dropped again when the value leaves. A name that another point already
// owns stays with that point.
#ifndef ZARVKERNEL_SUB_RTDB_H_
#define ZARVKERNEL_SUB_RTDB_H_

#include <cstdint>
#include <vector>

#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/zarv_time.h"
#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_id_map.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"

class ZARVKERNEL_API CZARVSubRtdb : public CZARVObj {
public:
    // Results of WriteValue.
    enum : unsigned int {
        WRITE_UNKNOWN = 0,    // no value stored under the GMPID: nothing written
        WRITE_CHANGED = 1,    // stored; value or quality differ from before
        WRITE_UNCHANGED = 2,  // stored; value and quality as before (time taken)
    };

    explicit CZARVSubRtdb(unsigned char rid);
    // Releases every stored value and drops their names.
    ~CZARVSubRtdb() override;

    unsigned char GetRID() const { return m_nRID; }
    // Number of stored values.
    int GetCount() const { return m_nCount; }

    // Stores `value` and takes a reference on it. When a value is already
    // stored under its GMPID, that value and its live state stay, nothing is
    // stored, no reference is taken, and the result is still true: reloading
    // a configuration keeps every point with its live value, and a refused
    // duplicate point leaves the existing value alone. False for a null
    // value or one whose RID is not this database's.
    bool InsertMPValue(CZARVMPValue* value);
    // InsertMPValue, answering with the value the point holds afterwards
    // (`value`, or the one already stored; borrowed), null when refused.
    CZARVMPValue* StoreMPValue(CZARVMPValue* value);
    // Makes room for `n` values in all, so that storing that many does not
    // grow the GMPID table again (a load knows its count beforehand).
    void Reserve(size_t n);

    // Remove and release the value of one GMPID, of every GMPID of a group,
    // or of one block of a group (a block above 15 matches nothing).
    // Absent values are ignored.
    void RemoveMPValue(unsigned long gmpid);
    void RemoveMPValue(unsigned char group);
    void RemoveMPValue(unsigned char group, unsigned char block);
    // Removes everything.
    void RemoveAll();

    // Append the values of a group, or of one block of a group, to `out`
    // in ascending GMPID order (the set takes its references; it is not
    // emptied first) and return the number of elements `out` then holds.
    int ListValue(unsigned char group, CZARVDataSet<CZARVMPValue>& out) const;
    int ListValue(unsigned char group, unsigned char block, CZARVDataSet<CZARVMPValue>& out) const;

    // Borrowed pointer, null when no value is stored under the GMPID.
    CZARVMPValue* GetMPValueObj(unsigned long gmpid) const;

    // Reads of a stored value. All return false, leaving the outputs
    // untouched, when no value is stored under the GMPID. Null quality or
    // time pointers are skipped.
    bool ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality* quality,
                   CZARVTime* time) const;
    bool ReadValueQos(unsigned long gmpid, CMPQuality& quality) const;
    bool ReadValueTime(unsigned long gmpid, CZARVTime& time) const;
    // Group value `index` (see CZARVMPValue); false also when the value is
    // no group or the index is out of range.
    bool ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) const;

    // Stores value, quality and time of a stored point; returns one of the
    // WRITE_ codes above (0 for an unknown point). Any time stamp is taken,
    // also one older than the stored one.
    unsigned int WriteValue(unsigned long gmpid, const _zarvVAR& value, const CMPQuality& quality,
                            const CZARVTime& time);
    // Sets group value `index` of a stored point (CZARVMPValue::
    // SetGroupValue). False for an unknown point or a refused index.
    bool WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value);

private:
    // One (group, block) slot: the values sorted by GMPID. The GMPID sits
    // beside the pointer so that a search touches only the slot's memory.
    struct Entry {
        uint32_t gmpid;
        CZARVMPValue* value;
    };
    using Slot = std::vector<Entry>;
    static constexpr int kSlots = zarvgmpid::kGroupBlocks;

    void ReleaseSlot(Slot& slot);
    void ReleaseValue(CZARVMPValue* value);

    unsigned char m_nRID;
    int m_nCount = 0;
    std::vector<Slot> m_slots;  // kSlots entries, indexed by zarvgmpid::GroupBlock
    // The values of m_slots by GMPID.
    CZARVIdMap<CZARVMPValue> m_byGMPID;
};

#endif  // ZARVKERNEL_SUB_RTDB_H_
