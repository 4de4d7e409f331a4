// The files a command reads, as the library can load them. The library
// loads regular files only; standard input ("-"), a pipe or a FIFO is read
// once to its end, as cat would, into a private temporary file that the
// loads then read. A folder, a device (such as /dev/zero, which never
// ends) or a socket is refused before anything is read.
//
// Commands keep naming inputs by the path the user gave; every open of an
// input goes through LoadPath(), which gives the file to read.
#ifndef TOOLS_INPUT_H_
#define TOOLS_INPUT_H_

#include <string>

namespace zarvtool {

// Makes `path` readable by the loads: nothing to do for a regular file, a
// copy for standard input or a stream. False with `why` (what the path is,
// or the system's reason) when it cannot be read. Standard input is read
// once, however often "-" is given.
bool StageInput(const std::string& path, std::string& why);

// The file to open for the input `path`: its copy once StageInput made
// one, else `path` itself.
const std::string& LoadPath(const std::string& path);

}  // namespace zarvtool

#endif  // TOOLS_INPUT_H_
