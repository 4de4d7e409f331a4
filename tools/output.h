// Where the commands' output goes, and how its failures are told. Standard
// output is checked on every write and once more at the end of a command
// (main.cpp): a failed write is an error, never a silent loss. A file is
// replaced only whole: its text goes to a temporary file beside it that is
// renamed over it once complete (the library's atomic writer), so a full
// disk leaves the old file as it was.
#ifndef TOOLS_OUTPUT_H_
#define TOOLS_OUTPUT_H_

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>

#include "host/zarvlib/file_ops.h"

namespace zarvtool {

// The system's reason for error number `err` ("No space left on device").
std::string SystemReason(int err);

// What a failed replacement of `path` left: " (the file is left as it
// was)" when there is a file, else nothing.
std::string LeftAsItWas(const std::string& path);

// Standard output could not be written; `err` is the system's error number.
// Thrown by the writes below and caught by main, which ends the command:
// quietly for a closed pipe, with a message otherwise.
struct StdoutFailure {
    int err;
};

// Writes all of `text` to standard output; throws StdoutFailure on an error.
void WriteStdout(std::string_view text);
// Flushes standard output (also what printf left in its buffer); throws
// StdoutFailure when anything written so far was lost.
void FlushStdout();

// Copies the file at `path` to standard output and flushes it; false with
// `why` when it cannot be read (a failed write throws StdoutFailure).
bool CopyToStdout(const std::string& path, std::string& why);

// A new empty file of this process in the temporary folder ($TMPDIR or
// /tmp); the caller removes it. Empty when none can be made.
std::string TempFileName();

// True for the path that names standard input or output.
inline bool IsStdPath(const std::string& path) { return path == "-"; }

// The text of one output, gathered in chunks: commands append to Buffer()
// and call Spill() now and then, so no output is ever held whole. Standard
// output is written as it comes; a file is written to its temporary file
// and replaces the target only at Close.
class TextOutput {
public:
    // `path` empty or "-": standard output. False with `why` when the
    // temporary file for `path` cannot be made.
    bool Open(const std::string& path, std::string& why);
    bool ToStdout() const { return m_stdout; }

    std::string& Buffer() { return m_buf; }
    // Writes the buffer out once it holds a chunk's worth.
    void Spill() {
        if (m_buf.size() >= kChunk) Drain();
    }
    // Writes the rest and, for a file, replaces the target. False with
    // `why` ("cannot write PATH: reason") when any write failed; the
    // target is then left as it was.
    bool Close(std::string& why);

    static constexpr size_t kChunk = 1 << 16;

private:
    void Drain();

    bool m_stdout = true;
    std::string m_path;
    std::string m_buf;
    CZARVAtomicWrite m_file;
    int m_err = 0;  // the first error of a file write
};

}  // namespace zarvtool

#endif  // TOOLS_OUTPUT_H_
