#include "host/zarvkernel/zarv_time.h"

#include <chrono>
#include <cinttypes>
#include <ctime>

CZARVTime CZARVTime::Now() {
    using namespace std::chrono;
    return CZARVTime(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

int64_t CZARVTime::GetSeconds() const {
    int64_t secs = m_nMsecs / 1000;
    if (m_nMsecs % 1000 < 0) --secs;
    return secs;
}

int CZARVTime::GetMillisecondPart() const {
    int64_t rest = m_nMsecs % 1000;
    return static_cast<int>(rest < 0 ? rest + 1000 : rest);
}

const char* CZARVTime::Format(_zarv_str& out) const {
    // Year 0 to 9999: the calendar text fits the fixed width.
    constexpr int64_t kFirst = -62167219200LL;  // 0000-01-01 00:00:00
    constexpr int64_t kLast = 253402300799LL;   // 9999-12-31 23:59:59
    const int64_t secs = GetSeconds();
    std::tm tm{};
    const time_t t = static_cast<time_t>(secs);
    if (secs < kFirst || secs > kLast || !gmtime_r(&t, &tm)) {
        out.Format("%" PRId64, m_nMsecs);
        return out.c_str();
    }
    out.Format("%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
               tm.tm_hour, tm.tm_min, tm.tm_sec, GetMillisecondPart());
    return out.c_str();
}
