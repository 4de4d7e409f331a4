// The files a command reads, as the library can load them. The library
// loads regular files only; standard input ("-"), a pipe or a FIFO is read
// once to its end, as cat would, into a private temporary file that the
// loads then read. A folder, a device (such as /dev/zero, which never
// ends) or a socket is refused by the readers (file_kind.h) before
// anything is read; standard input that is a device is refused here.
//
// Commands keep naming inputs by the path the user gave; every open of an
// input goes through LoadPath(), which gives the file to read.
#ifndef TOOLS_INPUT_H_
#define TOOLS_INPUT_H_

#include <string>

namespace zarvtool {

// Makes `path` readable by the loads: a copy for standard input or a FIFO,
// nothing for any other path. False with `why` (what standard input is, or
// the system's reason) when the copy cannot be made. Standard input is
// read once, however often "-" is given.
bool StageInput(const std::string& path, std::string& why);

// The file to open for the input `path`: its copy once StageInput made
// one, else `path` itself.
const std::string& LoadPath(const std::string& path);

}  // namespace zarvtool

#endif  // TOOLS_INPUT_H_
