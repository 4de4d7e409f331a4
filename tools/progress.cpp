#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>

namespace zarvtool {

Progress::Progress(std::string what, size_t total)
    : m_what(std::move(what)),
      m_total(total),
      m_active(total >= kMinSteps && ::isatty(STDERR_FILENO)),
      m_last(std::chrono::steady_clock::now()) {}

Progress::~Progress() { Done(); }

void Progress::Done() {
    if (m_shown) std::fprintf(stderr, "\r\033[K");
    m_shown = false;
    m_active = false;
}

void Progress::Step(Progress& progress) {
    if (!progress.m_active || progress.m_total < kMinBytes) return;
    progress.m_shown = true;
    progress.m_active = false;  // nothing to count
    std::fprintf(stderr, "\r%s ...", progress.m_what.c_str());
    std::fflush(stderr);
}

void Progress::Update(size_t done) {
    if (!m_active) return;
    auto now = std::chrono::steady_clock::now();
    if (now - m_last < std::chrono::milliseconds(200)) return;
    m_last = now;
    m_shown = true;
    std::fprintf(stderr, "\r%s: %zu of %zu (%zu%%)", m_what.c_str(), done, m_total,
                 m_total ? done * 100 / m_total : 100);
    std::fflush(stderr);
}

}  // namespace zarvtool
