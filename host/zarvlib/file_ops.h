// CZARVFileOps: the seam between the library's file writers and the
// operating system. Binary files (CZARVFile) and XML documents (CMarkup)
// create, write, sync, rename and remove files only through the installed
// operations, so a test can make any single step fail and check that the
// old file survives. The default operations are plain POSIX calls.
//
// CZARVAtomicWrite: the one way the library replaces a file. What a save
// replaces, and what it keeps:
//   - the target is resolved first: a symbolic link is followed (a chain of
//     them too, a dangling one names the file to create) and stays a link;
//     the file it leads to is what gets replaced, with the temporary file
//     beside that file so the rename stays inside one folder;
//   - a target that exists and is not a regular file (folder, FIFO, device,
//     socket) is refused before anything is created;
//   - the new file gets the old file's permission bits, and its owner and
//     group where the process may set them; a new file gets 0666 less the
//     umask;
//   - a file with several hard links is replaced like any other: the path
//     saved to gets the new file, the other names keep the old content
//     (writing in place would give up atomicity);
//   - the new content goes to a temporary file that is written, synced and
//     renamed over the target, and the folder is synced; on any failure the
//     target is left as it was and the temporary file is removed.
#ifndef ZARVLIB_FILE_OPS_H_
#define ZARVLIB_FILE_OPS_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API CZARVFileOps {
public:
    virtual ~CZARVFileOps();

    // Creates a new temporary file beside `target` and stores its name in
    // `tmp_path`. Returns a descriptor, or -1.
    virtual int CreateTemp(const std::string& target, std::string& tmp_path);
    // Writes all `n` bytes; false on any error.
    virtual bool Write(int fd, const void* data, size_t n);
    virtual bool Sync(int fd);
    virtual bool Close(int fd);
    virtual bool Rename(const std::string& from, const std::string& to);
    virtual bool Remove(const std::string& path);
    // Syncs the folder that holds `path` so a rename survives a crash.
    virtual bool SyncDir(const std::string& path);

    // The operations in force. Never null.
    static CZARVFileOps& Current();
    // Installs `ops` (null restores the defaults) and returns the previous.
    static CZARVFileOps* Install(CZARVFileOps* ops);
};

// The file a save of a path replaces, and what the new file takes over.
struct ZarvSaveTarget {
    std::string path;  // the path itself, or the file its links lead to
    bool exists = false;
    mode_t mode = 0;  // permission bits of the existing file
    uid_t uid = 0;
    gid_t gid = 0;
};

// Resolves `path` for a save as described above. False for a target that
// must not be replaced (not a regular file, a link chain too long or
// unreadable, a path that cannot be examined); nothing is touched.
ZARVLIB_API bool ZarvResolveSaveTarget(const std::string& path, ZarvSaveTarget& out);

// One atomic replacement of a file. Begin, any number of Write, then Commit;
// an object destroyed before a successful Commit abandons the write and
// leaves the target as it was.
class ZARVLIB_API CZARVAtomicWrite {
public:
    CZARVAtomicWrite() = default;
    CZARVAtomicWrite(const CZARVAtomicWrite&) = delete;
    CZARVAtomicWrite& operator=(const CZARVAtomicWrite&) = delete;
    ~CZARVAtomicWrite() { Abandon(); }

    // Resolves `path` and creates the temporary file with the old file's
    // mode and owner. False, with nothing created, when the target is
    // refused or the temporary file cannot be made. Abandons any write in
    // progress first.
    bool Begin(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes all `n` bytes to the temporary file; false on any error.
    bool Write(const void* data, size_t n);
    // Syncs, closes and renames the temporary file over the target, then
    // syncs the folder. False, with the temporary file removed and the
    // target untouched, when any step before the rename fails.
    bool Commit();
    // Drops the write: the temporary file goes, the target stays.
    void Abandon();

private:
    int m_fd = -1;
    std::string m_target;
    std::string m_tmp;
};

// Writes `data` to `path` atomically with CZARVAtomicWrite.
ZARVLIB_API bool ZarvWriteFileAtomic(const std::string& path, const void* data, size_t n);

#endif  // ZARVLIB_FILE_OPS_H_
