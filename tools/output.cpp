#include "tools/output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zarvtool {

std::string SystemReason(int err) {
    // A failed step that left no error number still fails: say so rather
    // than print "Success".
    return err != 0 ? std::strerror(err) : "unknown error";
}

std::string LeftAsItWas(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0 ? " (the file is left as it was)" : "";
}

void WriteStdout(std::string_view text) {
    if (text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::ferror(stdout))
        throw StdoutFailure{errno};
}

void FlushStdout() {
    errno = 0;
    bool lost = std::ferror(stdout) != 0;
    // A write that failed earlier inside printf leaves only the error
    // flag; its reason is then unknown, and said as an I/O error.
    if (std::fflush(stdout) != 0 || lost) throw StdoutFailure{errno != 0 ? errno : EIO};
}

bool CopyToStdout(const std::string& path, std::string& why) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
    if (!in) {
        why = "cannot read " + path + ": " + SystemReason(errno);
        return false;
    }
    std::string buf(TextOutput::kChunk, '\0');
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), in.get())) > 0)
        WriteStdout(std::string_view(buf.data(), n));
    if (std::ferror(in.get())) {
        why = "cannot read " + path + ": " + SystemReason(errno);
        return false;
    }
    // The caller tells what it wrote next: the copy must be out by then.
    FlushStdout();
    return true;
}

std::string TempFileName() {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/zarvqen-XXXXXX";
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return "";
    ::close(fd);
    return name;
}

bool TextOutput::Open(const std::string& path, std::string& why) {
    m_stdout = path.empty() || IsStdPath(path);
    m_path = path;
    if (m_stdout) return true;
    errno = 0;
    if (!m_file.Begin(path)) {
        why = "cannot write " + path + ": " + SystemReason(errno);
        return false;
    }
    return true;
}

void TextOutput::Drain() {
    if (m_stdout) {
        WriteStdout(m_buf);
    } else if (m_err == 0) {
        errno = 0;
        if (!m_file.Write(m_buf.data(), m_buf.size())) m_err = errno != 0 ? errno : EIO;
    }
    m_buf.clear();
}

bool TextOutput::Close(std::string& why) {
    Drain();
    if (m_stdout) {
        FlushStdout();
        return true;
    }
    if (m_err == 0) {
        errno = 0;
        if (!m_file.Commit()) m_err = errno != 0 ? errno : EIO;
    }
    m_file.Abandon();
    if (m_err == 0) return true;
    why = "cannot write " + m_path + ": " + SystemReason(m_err) + LeftAsItWas(m_path);
    return false;
}

}  // namespace zarvtool
