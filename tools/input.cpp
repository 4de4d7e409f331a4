#include "tools/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <vector>

#include "tools/file_kind.h"
#include "tools/output.h"

namespace zarvtool {

namespace {

// A copy of a stream: a temporary file removed from its folder at once and
// reached through its descriptor, so that nothing is left behind however
// the process ends. Where /proc is not there it keeps its name until exit.
class StreamCopy {
public:
    StreamCopy() = default;
    StreamCopy(const StreamCopy&) = delete;
    StreamCopy& operator=(const StreamCopy&) = delete;
    ~StreamCopy() {
        if (!m_name.empty()) ::unlink(m_name.c_str());
        if (m_fd >= 0) ::close(m_fd);
    }

    // Copies `from` to its end; false with `why`.
    bool Fill(int from, const std::string& what, std::string& why) {
        std::string templ = TempFileName();
        if (!templ.empty()) m_fd = ::open(templ.c_str(), O_RDWR | O_CLOEXEC);
        if (m_fd < 0) {
            if (!templ.empty()) ::unlink(templ.c_str());
            why = "cannot make a temporary copy of " + what + ": " + SystemReason(errno);
            return false;
        }
        m_name = templ;
        std::vector<char> buf(1 << 16);
        for (;;) {
            ssize_t n = ::read(from, buf.data(), buf.size());
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                why = "cannot read " + what + ": " + SystemReason(errno);
                return false;
            }
            for (ssize_t done = 0; done < n;) {
                ssize_t w = ::write(m_fd, buf.data() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR) continue;
                if (w < 0) {
                    why = "cannot copy " + what + " to " + m_name + ": " + SystemReason(errno);
                    return false;
                }
                done += w;
            }
        }
        std::string by_fd = "/proc/self/fd/" + std::to_string(m_fd);
        struct stat st;
        if (::stat(by_fd.c_str(), &st) == 0 && ::unlink(m_name.c_str()) == 0) {
            m_name.clear();
            m_path = by_fd;
        } else {
            m_path = m_name;
        }
        return true;
    }
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_name;  // while the file still has a name in its folder
    std::string m_path;  // what the loads open
};

std::map<std::string, StreamCopy>& Copies() {
    static std::map<std::string, StreamCopy> copies;
    return copies;
}

// Reads standard input or the FIFO at `path` once to its end into a copy
// that LoadPath then gives.
bool CopyStream(const std::string& path, std::string& why) {
    bool std_in = IsStdPath(path);
    int fd = STDIN_FILENO;
    if (!std_in) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            why = path + ": cannot read: " + SystemReason(errno);
            return false;
        }
    }
    StreamCopy& copy = Copies()[path];
    bool ok = copy.Fill(fd, std_in ? "standard input" : path, why);
    if (!std_in) ::close(fd);
    if (!ok) Copies().erase(path);
    return ok;
}

}  // namespace

bool StageInput(const std::string& path, std::string& why) {
    if (Copies().count(path)) return true;
    bool std_in = IsStdPath(path);
    struct stat st;
    if (!std_in) {
        // Only a FIFO is copied. Everything else is left to the command,
        // which reads a regular file where it is and refuses, file by file,
        // what it cannot read.
        return ::stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode) || CopyStream(path, why);
    }
    if (::fstat(STDIN_FILENO, &st) != 0) {
        why = "standard input: " + SystemReason(errno);
        return false;
    }
    // Standard input may also be a socket or a terminal: it is read as the
    // stream it is. A device that never ends is refused.
    bool stream = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || ::isatty(STDIN_FILENO);
    if (!stream) {
        if (const char* not_readable = NotReadable(st, true)) {
            why = std::string("standard input: ") + not_readable;
            return false;
        }
    }
    return CopyStream(path, why);
}

const std::string& LoadPath(const std::string& path) {
    auto it = Copies().find(path);
    return it == Copies().end() ? path : it->second.Path();
}

}  // namespace zarvtool
