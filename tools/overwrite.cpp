#include "tools/overwrite.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "engine/internal/db_file_format.h"
#include "tools/output.h"

namespace zarvtool {

namespace {

// What the existing file at `path` holds, for the refusal: "a database of
// RID 7", "not a configuration database".
std::string DatabaseOf(const std::string& path, int& rid) {
    std::ifstream in(path, std::ios::binary);
    char head[3] = {0, 0, 0};
    rid = -1;
    if (in.read(head, 3) && head[0] == zarvdbfile::kMagic1 && head[1] == zarvdbfile::kMagic2) {
        rid = static_cast<unsigned char>(head[2]);
        return "a configuration database of RID " + std::to_string(rid);
    }
    return "not a configuration database";
}

}  // namespace

bool MayWrite(const WriteIntent& intent, std::string& why) {
    const std::string& path = intent.path;
    if (IsStdPath(path)) return true;
    // stat follows symbolic links, as the save does: what counts is the
    // file that would be replaced.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        why = path + ": " + SystemReason(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = path + (S_ISDIR(st.st_mode) ? ": is a directory" : ": is not a regular file") +
              "; only a regular file is ever replaced";
        return false;
    }
    if (intent.force) return true;
    for (const std::string& input : intent.inputs) {
        struct stat in;
        if (input.empty() || IsStdPath(input) || ::stat(input.c_str(), &in) != 0) continue;
        if (in.st_dev == st.st_dev && in.st_ino == st.st_ino) {
            why = path + ": is the input " + input +
                  " itself; it is not replaced (give --force to do so anyway)";
            return false;
        }
    }
    if (intent.rid >= 0) {
        int rid = -1;
        std::string what = DatabaseOf(path, rid);
        if (rid == intent.rid) return true;
        why = path + ": exists and is " + what +
              (rid >= 0 ? ", not " + std::to_string(intent.rid)
                        : " of RID " + std::to_string(intent.rid)) +
              "; it is not replaced (give --force to do so anyway)";
        return false;
    }
    why = path + ": exists; it is not replaced (give --force to do so anyway)";
    return false;
}

}  // namespace zarvtool
