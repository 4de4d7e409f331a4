#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>

namespace zarvtool {

Progress::Progress(std::string what, size_t total, Unit unit)
    : m_what(std::move(what)),
      m_total(total),
      m_unit(unit),
      m_active(total >= (unit == Unit::kBytes ? kMinBytes : kMinSteps) && ::isatty(STDERR_FILENO)) {
}

Progress::~Progress() { Done(); }

void Progress::Done() {
    if (m_shown) std::fprintf(stderr, "\r\033[K");
    m_shown = false;
    m_active = false;
}

void Progress::Step(Progress& progress) {
    if (!progress.m_active) return;
    progress.m_shown = true;
    progress.m_active = false;  // nothing to count
    std::fprintf(stderr, "\r%s ...", progress.m_what.c_str());
    std::fflush(stderr);
}

void Progress::Update(size_t done) {
    if (!m_active) return;
    auto now = std::chrono::steady_clock::now();
    // The first step shows at once that work of some size has begun.
    if (m_shown && now - m_last < std::chrono::milliseconds(200)) return;
    m_last = now;
    m_shown = true;
    const size_t percent = m_total ? done * 100 / m_total : 100;
    if (m_unit == Unit::kBytes) {
        constexpr double kMB = 1 << 20;
        std::fprintf(stderr, "\r%s: %.1f of %.1f MB (%zu%%)", m_what.c_str(), done / kMB,
                     m_total / kMB, percent);
    } else {
        std::fprintf(stderr, "\r%s: %zu of %zu (%zu%%)", m_what.c_str(), done, m_total, percent);
    }
    std::fflush(stderr);
}

}  // namespace zarvtool
