// CZARVTime: the time stamp of a live value, in milliseconds since
// 1970-01-01 00:00:00 UTC (negative before it). A default-constructed time is
// 0, which the kernel uses for "never stamped".
#ifndef ZARVKERNEL_ZARV_TIME_H_
#define ZARVKERNEL_ZARV_TIME_H_

#include <compare>
#include <cstdint>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"

class ZARVKERNEL_API CZARVTime {
public:
    CZARVTime() = default;
    explicit CZARVTime(int64_t msecs) : m_nMsecs(msecs) {}

    // The current UTC time from the system's real-time clock.
    static CZARVTime Now();

    int64_t GetMilliseconds() const { return m_nMsecs; }
    void SetMilliseconds(int64_t msecs) { m_nMsecs = msecs; }
    // Whole seconds since the epoch, rounded towards minus infinity, and the
    // milliseconds within that second (0 to 999).
    int64_t GetSeconds() const;
    int GetMillisecondPart() const;
    bool IsZero() const { return m_nMsecs == 0; }

    // "YYYY-MM-DD hh:mm:ss.mmm" in UTC; returns the text of `out`. Years
    // outside 0 to 9999 are written as the plain millisecond count.
    const char* Format(_zarv_str& out) const;

    CZARVTime& operator+=(int64_t msecs) {
        m_nMsecs =
            static_cast<int64_t>(static_cast<uint64_t>(m_nMsecs) + static_cast<uint64_t>(msecs));
        return *this;
    }
    // The distance in milliseconds (wrapping, never undefined, at the
    // extremes of the range).
    friend int64_t operator-(const CZARVTime& a, const CZARVTime& b) {
        return static_cast<int64_t>(static_cast<uint64_t>(a.m_nMsecs) -
                                    static_cast<uint64_t>(b.m_nMsecs));
    }
    friend bool operator==(const CZARVTime& a, const CZARVTime& b) = default;
    friend auto operator<=>(const CZARVTime& a, const CZARVTime& b) = default;

private:
    int64_t m_nMsecs = 0;
};

#endif  // ZARVKERNEL_ZARV_TIME_H_
