// Progress of long work on standard error, shown only when standard error
// is a terminal (never in pipes, files or tests) and only for work of some
// size: from its first step on, then at most a few times a second.
#ifndef TOOLS_PROGRESS_H_
#define TOOLS_PROGRESS_H_

#include <chrono>
#include <cstddef>
#include <string>

namespace zarvtool {

class Progress {
public:
    // What the steps count: things ("12000 of 200000") or bytes of a file,
    // shown in megabytes ("3.1 of 16.5 MB").
    enum class Unit { kSteps, kBytes };

    // `what` names the work ("exporting points"); `total` is the number of
    // steps. Nothing is shown for fewer than kMinSteps steps, respectively
    // kMinBytes bytes.
    Progress(std::string what, size_t total, Unit unit = Unit::kSteps);
    // Clears the progress line, if one was shown.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Clears the progress line now: before the message that ends the work.
    void Done();

    // `done` steps of `total` are finished.
    void Update(size_t done);

    static constexpr size_t kMinSteps = 20000;

    // One long step that cannot be counted (the library's load of a
    // file): "what ..." at once where the progress would be shown, until
    // Done or destruction.
    static void Step(Progress& progress);
    static constexpr size_t kMinBytes = 4u << 20;

private:
    std::string m_what;
    size_t m_total;
    Unit m_unit;
    bool m_active;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_last;
};

}  // namespace zarvtool

#endif  // TOOLS_PROGRESS_H_
