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
    // The name is made in place: nothing is allocated once the file exists,
    // so running out of memory cannot leave it behind unnamed.
    tmp_path = target + ".tmp.XXXXXX";
    int fd = mkostemp(tmp_path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // mkostemp creates 0600; a configuration file gets the usual 0644 (umask applies).
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
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

namespace {

// Longest chain of symbolic links a save follows, as the kernel's own limit.
constexpr int kMaxLinkHops = 40;

// The text a symbolic link holds; false when it cannot be read.
bool ReadLink(const std::string& link, std::string& out) {
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) < buf.size()) {
            out.assign(buf.data(), static_cast<size_t>(n));
            return true;
        }
        if (buf.size() >= (1u << 16)) return false;
        buf.resize(buf.size() * 2);
    }
}

// Gives the temporary file what the file it replaces had: owner and group
// where the process may set them (a change of owner may drop set-id bits,
// so the mode comes after), then the permission bits, which must hold: a
// protected file never comes back readable by others.
bool CarryOver(int fd, const ZarvSaveTarget& target) {
    if (!target.exists) return true;
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    if (st.st_uid != target.uid || st.st_gid != target.gid) {
        if (::fchown(fd, target.uid, target.gid) != 0 && st.st_gid != target.gid)
            (void)::fchown(fd, static_cast<uid_t>(-1), target.gid);
    }
    return ::fchmod(fd, target.mode & 07777) == 0;
}

}  // namespace

bool ZarvResolveSaveTarget(const std::string& path, ZarvSaveTarget& out) {
    if (path.empty()) return false;
    std::string at = path;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) return false;
            out = ZarvSaveTarget{at, false, 0, 0, 0};
            return true;
        }
        if (S_ISLNK(st.st_mode)) {
            std::string link;
            if (hops == kMaxLinkHops || !ReadLink(at, link) || link.empty()) return false;
            // A relative link is read from the folder that holds it.
            at = link[0] == '/' ? link : FolderOf(at) + "/" + link;
            continue;
        }
        if (!S_ISREG(st.st_mode)) return false;
        out = ZarvSaveTarget{at, true, st.st_mode, st.st_uid, st.st_gid};
        return true;
    }
}

bool CZARVAtomicWrite::Begin(const std::string& path) {
    Abandon();
    ZarvSaveTarget target;
    if (!ZarvResolveSaveTarget(path, target)) return false;
    CZARVFileOps& ops = CZARVFileOps::Current();
    std::string tmp;
    int fd = ops.CreateTemp(target.path, tmp);
    if (fd < 0) return false;
    m_fd = fd;
    m_tmp = std::move(tmp);
    m_target = std::move(target.path);
    if (!CarryOver(m_fd, target)) {
        Abandon();
        return false;
    }
    return true;
}

bool CZARVAtomicWrite::Write(const void* data, size_t n) {
    return IsOpen() && CZARVFileOps::Current().Write(m_fd, data, n);
}

bool CZARVAtomicWrite::Commit() {
    if (!IsOpen()) return false;
    CZARVFileOps& ops = CZARVFileOps::Current();
    bool ok = ops.Sync(m_fd);
    ok = ops.Close(m_fd) && ok;
    m_fd = -1;
    ok = ok && ops.Rename(m_tmp, m_target);
    if (!ok) {
        ops.Remove(m_tmp);
    } else {
        // The new file is in place; a failed folder sync only weakens durability.
        ops.SyncDir(m_target);
    }
    m_tmp.clear();
    m_target.clear();
    return ok;
}

void CZARVAtomicWrite::Abandon() {
    if (!IsOpen()) return;
    CZARVFileOps& ops = CZARVFileOps::Current();
    ops.Close(m_fd);
    m_fd = -1;
    ops.Remove(m_tmp);
    m_tmp.clear();
    m_target.clear();
}

bool ZarvWriteFileAtomic(const std::string& path, const void* data, size_t n) {
    CZARVAtomicWrite write;
    return write.Begin(path) && write.Write(data, n) && write.Commit();
}
