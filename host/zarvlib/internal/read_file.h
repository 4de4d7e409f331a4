// Reading a whole regular file into memory, for the library's loaders.
// Internal to zarvlib.
#ifndef ZARVLIB_READ_FILE_H_
#define ZARVLIB_READ_FILE_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <exception>

// Reads the regular file at `path` into `out` (any contiguous byte buffer
// with resize, size and data). False for a missing or unreadable file, for
// anything that is not a regular file, and for a file that does not fit in
// memory.
//
// A path that is not a regular file is refused before it is opened: opening
// a FIFO would wait for a writer, opening a device may act on it, and an
// endless one (/dev/zero) would be read until memory runs out. The open
// itself does not wait either, should the path change in between.
template <class Buffer>
bool ZarvReadWholeFile(const char* path, Buffer& out) {
    struct stat st;
    if (!path || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    try {
        // Read straight into the buffer, sized from the file; a file that
        // grows meanwhile is read on in chunks until the end. A full buffer
        // is only grown once a small read shows more to come: growing it
        // first would move the whole file's bytes on every load.
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        char probe[4096];
        for (;;) {
            if (got == out.size()) {
                ssize_t r = ::read(fd, probe, sizeof probe);
                if (r < 0 && errno == EINTR) continue;
                if (r < 0) {
                    ok = false;
                    break;
                }
                if (r == 0) break;
                out.resize(got + static_cast<size_t>(r) + (1 << 16));
                std::memcpy(out.data() + got, probe, static_cast<size_t>(r));
                got += static_cast<size_t>(r);
                continue;
            }
            ssize_t r = ::read(fd, out.data() + got, out.size() - got);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) {
                ok = false;
                break;
            }
            if (r == 0) break;
            got += static_cast<size_t>(r);
        }
        if (ok) out.resize(got);
    } catch (const std::exception&) {  // the file does not fit in memory
        ok = false;
    }
    ::close(fd);
    return ok;
}

#endif  // ZARVLIB_READ_FILE_H_
