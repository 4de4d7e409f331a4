#include "host/zarvlib/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

CZARVFileOps g_default_ops;
CZARVFileOps* g_ops = &g_default_ops;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

CZARVFileOps::~CZARVFileOps() = default;

int CZARVFileOps::CreateTemp(const std::string& target, std::string& tmp_path) {
    std::string pattern = target + ".tmp.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // mkostemp creates 0600; a configuration file gets the usual 0644 (umask applies).
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    tmp_path.assign(buf.data());
    return fd;
}

bool CZARVFileOps::Write(int fd, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool CZARVFileOps::Sync(int fd) { return ::fsync(fd) == 0; }

bool CZARVFileOps::Close(int fd) { return ::close(fd) == 0; }

bool CZARVFileOps::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CZARVFileOps::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool CZARVFileOps::SyncDir(const std::string& path) {
    int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

CZARVFileOps& CZARVFileOps::Current() { return *g_ops; }

CZARVFileOps* CZARVFileOps::Install(CZARVFileOps* ops) {
    CZARVFileOps* previous = g_ops;
    g_ops = ops ? ops : &g_default_ops;
    return previous;
}

bool ZarvWriteFileAtomic(const std::string& path, const void* data, size_t n) {
    CZARVFileOps& ops = CZARVFileOps::Current();
    std::string tmp;
    int fd = ops.CreateTemp(path, tmp);
    if (fd < 0) return false;
    bool ok = ops.Write(fd, data, n) && ops.Sync(fd);
    ok = ops.Close(fd) && ok;
    ok = ok && ops.Rename(tmp, path);
    if (!ok) {
        ops.Remove(tmp);
        return false;
    }
    // The new file is in place; a failed folder sync only weakens durability.
    ops.SyncDir(path);
    return true;
}
