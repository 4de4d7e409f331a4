// Which existing files a command may replace. The tool runs on the only
// copy of an installation's configuration, so a write never lands on a
// file by accident:
//   - a database is written over an existing file only when that file is a
//     database of the same RID (the previous version of what is written);
//   - any other output (a CSV export, a sample installation) is written
//     over an existing file only with --force;
//   - a file the command reads is never replaced by its output (the same
//     file, also when reached through a symbolic or a hard link), unless
//     --force;
//   - a folder, device, FIFO or socket is never replaced, not even with
//     --force.
#ifndef TOOLS_OVERWRITE_H_
#define TOOLS_OVERWRITE_H_

#include <string>
#include <vector>

namespace zarvtool {

// What a command is about to write to a path.
struct WriteIntent {
    std::string path;  // "-" (standard output) is always allowed
    int rid = -1;      // the RID of the database written; -1 for other files
    // The files the command reads; a write to one of them needs --force.
    std::vector<std::string> inputs;
    bool force = false;
};

// True when the write may go ahead. False with `why` (the path, what it is
// and how to go on anyway, where that is possible).
bool MayWrite(const WriteIntent& intent, std::string& why);

}  // namespace zarvtool

#endif  // TOOLS_OVERWRITE_H_
