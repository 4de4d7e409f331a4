// CMPQuality: the quality word of a live value.
//
// A quality is a set of flag bits; no bit set means the value is good. The
// bits are kept in one unsigned 32-bit word so that a quality can travel
// through files and messages as a plain number. Bits 0 to 6 are defined
// below; the others are free for drivers and travel unchanged.
//
// A value that has never been written carries QUALITY_INVALID |
// QUALITY_NOT_INIT (see CZARVMPValue); a default-constructed CMPQuality is
// good.
#ifndef ZARVKERNEL_MP_QUALITY_H_
#define ZARVKERNEL_MP_QUALITY_H_

#include <cstdint>

#include "host/zarvkernel/zarvkernel_export.h"

class ZARVKERNEL_API CMPQuality {
public:
    enum : uint32_t {
        QUALITY_GOOD = 0x00,
        QUALITY_INVALID = 0x01,      // the value must not be used
        QUALITY_NOT_TOPICAL = 0x02,  // not refreshed within its expected period
        QUALITY_SUBSTITUTED = 0x04,  // set by an operator or a substitute source
        QUALITY_BLOCKED = 0x08,      // updates are blocked
        QUALITY_OVERFLOW = 0x10,     // outside the measurable range
        QUALITY_COMM_FAIL = 0x20,    // the source could not be reached
        QUALITY_NOT_INIT = 0x40,     // never written since the point was created
    };

    CMPQuality() = default;
    explicit CMPQuality(uint32_t bits) : m_nBits(bits) {}

    uint32_t GetValue() const { return m_nBits; }
    void SetValue(uint32_t bits) { m_nBits = bits; }

    // Good: no bit set at all.
    bool IsGood() const { return m_nBits == QUALITY_GOOD; }
    bool IsValid() const { return (m_nBits & QUALITY_INVALID) == 0; }
    // True when every bit of `bits` is set.
    bool Has(uint32_t bits) const { return (m_nBits & bits) == bits; }
    void Set(uint32_t bits) { m_nBits |= bits; }
    void Reset(uint32_t bits) { m_nBits &= ~bits; }

    friend bool operator==(const CMPQuality& a, const CMPQuality& b) {
        return a.m_nBits == b.m_nBits;
    }

private:
    uint32_t m_nBits = QUALITY_GOOD;
};

#endif  // ZARVKERNEL_MP_QUALITY_H_
