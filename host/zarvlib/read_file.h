// Reading a whole regular file into memory, for the library's loaders.
// Internal to zarvlib.
#ifndef ZARVLIB_READ_FILE_H_
#define ZARVLIB_READ_FILE_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

// Reads the regular file at `path` into `out` (any contiguous byte buffer
// with resize, size and data). False for a missing, unreadable or
// non-regular file. When `after` is given it receives the file's status
// taken after the last read, so that any change made to the file up to then
// shows in its times.
template <class Buffer>
bool ZarvReadWholeFile(const char* path, Buffer& out, struct stat* after = nullptr) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // Read straight into the buffer, sized from the file; a file that grows
    // meanwhile is read on in chunks until the end.
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    for (;;) {
        if (got == out.size()) out.resize(out.size() + (1 << 16));
        ssize_t r = ::read(fd, out.data() + got, out.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            return false;
        }
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    out.resize(got);
    bool ok = !after || ::fstat(fd, after) == 0;
    ::close(fd);
    return ok;
}

#endif  // ZARVLIB_READ_FILE_H_
