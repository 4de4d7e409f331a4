// CZARVMPInfo: the configuration record of one measurement point.
//
// A record is its GMPID, fixed at construction, and a set of numbered
// properties, each a variant value with a valid type (0 to 3). Properties are
// kept in ascending number order in three parallel arrays (numbers, valid
// types, values), so that a million records stay cheap; lookups are binary
// searches over the numbers. Up to kInlineProps properties live inside the
// record itself; a record with more moves them to one heap block and back
// when it shrinks again. A 64-bit mask of the numbers present (modulo 64)
// lets the frequent question "has it property n?" be answered "no" without
// touching the arrays.
//
// Records come from the process-wide pool (host/zarvlib/zarv_pool.h) and are
// released through CZARVObj::Release like any other object.
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

    // How many properties a record holds without a heap block of its own:
    // the ten of a typical point (reference name, IO address, values).
    static constexpr int kInlineProps = 10;

    // An empty record holding one reference for its creator.
    explicit CZARVMPInfo(unsigned long gmpid);
    ~CZARVMPInfo() override;

    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

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
    int GetMPPropCount() const { return static_cast<int>(m_nCount); }
    // Replaces the content of `out` with the property numbers in ascending
    // order and returns their count.
    int GetMPPropVector(std::vector<unsigned short>& out) const;
    // The property at `index` of the ascending order, 0 <= index <
    // GetMPPropCount(): its number, valid type and value (borrowed, valid
    // until the record's properties change). For writers that walk them all.
    unsigned short GetMPPropIdAt(int index) const { return Ids()[index]; }
    int GetMPTypeAt(int index) const { return Types()[index]; }
    const _zarvVAR& GetMPPropAt(int index) const { return Values()[index]; }

    // Adds a property. False, with the record unchanged, when the number is
    // already present (the stored value and valid type stay) or the valid
    // type lies outside 0 to 3.
    bool InsertMPProp(unsigned short id, const _zarvVAR& value, int validType);
    // The same, taking the value over instead of copying it.
    bool InsertMPProp(unsigned short id, _zarvVAR&& value, int validType);
    // Makes room for `n` properties in all, for loaders that know the count.
    void ReserveMPProps(size_t n);
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

    // The three arrays, inside the record or in the spilled block. A spilled
    // block starts with its capacity (kSpillHeader bytes), then holds that
    // many values, as many numbers and as many valid types.
    static constexpr size_t kSpillHeader = 8;
    size_t Capacity() const {
        return m_pSpill ? *reinterpret_cast<const uint32_t*>(m_pSpill) : size_t{kInlineProps};
    }
    _zarvVAR* Values() const {
        return reinterpret_cast<_zarvVAR*>(m_pSpill ? m_pSpill + kSpillHeader
                                                    : const_cast<unsigned char*>(m_inlineValues));
    }
    unsigned short* Ids() const {
        if (!m_pSpill) return const_cast<unsigned short*>(m_inlineIds);
        return reinterpret_cast<unsigned short*>(m_pSpill + kSpillHeader +
                                                 Capacity() * sizeof(_zarvVAR));
    }
    unsigned char* Types() const {
        if (!m_pSpill) return const_cast<unsigned char*>(m_inlineTypes);
        return m_pSpill + kSpillHeader + Capacity() * (sizeof(_zarvVAR) + sizeof(unsigned short));
    }
    // Index of the first property whose number is not below `id`.
    size_t Find(unsigned short id) const;
    // Whether `index` (from Find) holds property `id`.
    bool IsAt(size_t index, unsigned short id) const {
        return index < m_nCount && Ids()[index] == id;
    }
    // Stores a new property at `index`, moving the later ones up; the
    // number must not be present.
    void InsertAt(size_t index, unsigned short id, _zarvVAR&& value, int validType);
    // Moves the properties to arrays of `capacity` (at least m_nCount):
    // inside the record when it is kInlineProps or less. May throw
    // std::bad_alloc, with the record unchanged.
    void Relocate(size_t capacity);
    static uint64_t MaskBit(unsigned short id) { return uint64_t{1} << (id & 63); }
    void RebuildMask();
    // Tells the linked value whether property 499 is present now.
    void UpdateLinkedValue() const;

    const uint32_t m_nGMPID;
    // Up to 65 536 numbers: wider than 16 bits.
    uint32_t m_nCount = 0;
    // Bit (id & 63) is set for every present property number id.
    uint64_t m_nPresent = 0;
    mutable CZARVMPValue* m_pLinked = nullptr;
    // The heap block of a record with more than kInlineProps properties,
    // null while they fit inside.
    unsigned char* m_pSpill = nullptr;
    unsigned short m_inlineIds[kInlineProps];
    unsigned char m_inlineTypes[kInlineProps];
    // Raw room for the variants: only the first m_nCount are constructed.
    alignas(_zarvVAR) unsigned char m_inlineValues[kInlineProps * sizeof(_zarvVAR)];
};

#endif  // ZARVKERNEL_MP_INFO_H_
