// Milliseconds of the monotonic clock, for the bounded waits of the ports.
// Internal to the kernel.
#ifndef ZARVKERNEL_STEADY_MS_H_
#define ZARVKERNEL_STEADY_MS_H_

#include <chrono>
#include <cstdint>

inline int64_t ZarvSteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

#endif  // ZARVKERNEL_STEADY_MS_H_
