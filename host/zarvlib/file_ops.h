// CZARVFileOps: the seam between the library's file writers and the
// operating system. Binary files (CZARVFile) and XML documents (CMarkup)
// create, write, sync, rename and remove files only through the installed
// operations, so a test can make any single step fail and check that the
// old file survives. The default operations are plain POSIX calls.
#ifndef ZARVLIB_FILE_OPS_H_
#define ZARVLIB_FILE_OPS_H_

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

// Writes `data` to `path` atomically: a temporary file beside the target is
// written, synced and renamed over it; the folder is synced afterwards. On
// any failure the target is untouched and the temporary file removed.
ZARVLIB_API bool ZarvWriteFileAtomic(const std::string& path, const void* data, size_t n);

#endif  // ZARVLIB_FILE_OPS_H_
