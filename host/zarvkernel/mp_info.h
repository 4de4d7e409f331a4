// CZARVMPInfo: the configuration record of one measurement point.
//
// A record is its GMPID, fixed at construction, and a set of numbered
// properties, each a variant value with a valid type (0 to 3). Properties are
// kept in ascending number order in one small sorted vector, so that a
// million records stay cheap; lookups are binary searches. A 64-bit mask of
// the numbers present (modulo 64) lets the frequent question "has it
// property n?" be answered "no" without touching the vector.
//
// Property 1, when present and not empty, is the point's reference name: the
// live value made by CreateValueFromInfo carries it, and a live-value
// database that stores the value enters it in the kernel's name table.
//
// Property 499 names another point whose value this point reads. A record
// can be linked to one live value (LinkValue) that then always knows
// whether the record carries property 499: every insert, change and removal
// of it updates the value, so a read of a point without a reference needs
// the value only, not the record. The link is two borrowed pointers, broken
// by whichever of the two objects dies first or by a new link of either.
#ifndef ZARVKERNEL_MP_INFO_H_
#define ZARVKERNEL_MP_INFO_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"

class CZARVMPValue;

class ZARVKERNEL_API CZARVMPInfo : public CZARVObj {
public:
    // Property number of the reference name.
    static constexpr unsigned short kRefNameProp = 1;
    // Property number of the reference name of another point, whose value
    // this point reads.
    static constexpr unsigned short kReferenceProp = 499;

    // The largest property number a record keeps through a configuration
    // database file, whose property codes carry the number in 14 bits and
    // read 0x3FFF with valid type 3 as the end of a record.
    static constexpr unsigned short kMaxStoredPropNumber = 0x3FFE;

    // The valid types a property can carry: 0 to 3.
    static constexpr int kMaxValidType = 3;
    static constexpr bool IsValidType(int validType) {
        return validType >= 0 && validType <= kMaxValidType;
    }

    // An empty record holding one reference for its creator.
    explicit CZARVMPInfo(unsigned long gmpid);
    ~CZARVMPInfo() override;

    unsigned long GetGMPID() const { return m_nGMPID; }

    // A copy of the property, empty when absent.
    _zarvVAR MPProp(unsigned short id) const;
    // The same; a number outside 0 to 65535 is absent.
    _zarvVAR operator[](int id) const;
    // Borrowed pointer to the stored property, null when absent; valid until
    // the record's properties change.
    const _zarvVAR* FindMPProp(unsigned short id) const;
    bool IsExist(unsigned short id) const;
    // The valid type stored with the property (0 to 3), -1 when absent.
    int MPType(unsigned short id) const;
    int GetMPPropCount() const { return static_cast<int>(m_props.size()); }
    // Replaces the content of `out` with the property numbers in ascending
    // order and returns their count.
    int GetMPPropVector(std::vector<unsigned short>& out) const;
    // The property at `index` of the ascending order, 0 <= index <
    // GetMPPropCount(): its number, valid type and value (borrowed, valid
    // until the record's properties change). For writers that walk them all.
    unsigned short GetMPPropIdAt(int index) const { return m_props[index].id; }
    int GetMPTypeAt(int index) const { return m_props[index].validType; }
    const _zarvVAR& GetMPPropAt(int index) const { return m_props[index].value; }

    // Adds a property. False, with the record unchanged, when the number is
    // already present (the stored value and valid type stay) or the valid
    // type lies outside 0 to 3.
    bool InsertMPProp(unsigned short id, const _zarvVAR& value, int validType);
    // The same, taking the value over instead of copying it.
    bool InsertMPProp(unsigned short id, _zarvVAR&& value, int validType);
    // Makes room for `n` properties in all, for loaders that know the count.
    void ReserveMPProps(size_t n) { m_props.reserve(n); }
    // Adds the property or replaces value and valid type of a present one.
    // False only for a valid type outside 0 to 3.
    bool SetMPProp(unsigned short id, const _zarvVAR& value, int validType);
    // Removes the property; false when it was absent.
    bool RemoveMPProp(unsigned short id);

    // A new live value for this point (GMPID and reference name), holding
    // one reference for the caller. Its state is that of a new
    // CZARVMPValue: empty, never written.
    CZARVMPValue* CreateValueFromInfo() const;

    // Links this record and `value` (see above), breaking any earlier link
    // of either; null only breaks this record's link. Neither takes a
    // reference on the other. The link is bookkeeping, not content, so a
    // record held as const may still be linked or unlinked.
    void LinkValue(CZARVMPValue* value) const;
    // The linked value, or null.
    CZARVMPValue* GetLinkedValue() const { return m_pLinked; }

private:
    friend class CZARVMPValue;
    struct Prop {
        unsigned short id;
        unsigned char validType;
        _zarvVAR value;
    };
    std::vector<Prop>::const_iterator Find(unsigned short id) const;
    static uint64_t MaskBit(unsigned short id) { return uint64_t{1} << (id & 63); }
    void RebuildMask();
    // Tells the linked value whether property 499 is present now.
    void UpdateLinkedValue() const;

    const uint32_t m_nGMPID;
    // Bit (id & 63) is set for every present property number id.
    uint64_t m_nPresent = 0;
    std::vector<Prop> m_props;
    mutable CZARVMPValue* m_pLinked = nullptr;
};

#endif  // ZARVKERNEL_MP_INFO_H_
