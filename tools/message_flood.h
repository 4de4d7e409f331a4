// A flood of messages (thousands of bad rows in a CSV file, every record
// of a damaged database) is cut short: the first kFloodShown lines of a
// batch are printed, the rest only counted and told in one line when the
// batch ends. Every command prints its per-item problems through here.
#ifndef TOOLS_MESSAGE_FLOOD_H_
#define TOOLS_MESSAGE_FLOOD_H_

#include <cstddef>
#include <cstdio>
#include <string>

namespace zarvtool {

inline constexpr size_t kFloodShown = 100;

// Prints `line` and a newline on `to` (stdout or stderr) while fewer than
// kFloodShown lines were printed in this batch; counts it otherwise.
void PrintLimited(std::FILE* to, const std::string& line);

// Ends the batch: when lines were held back, one more line on the batch's
// stream says how many ("zarvqen: 4900 more messages not shown, 5000 in
// all"). The next line starts a new batch. main ends the last batch.
void EndFlood();

}  // namespace zarvtool

#endif  // TOOLS_MESSAGE_FLOOD_H_
