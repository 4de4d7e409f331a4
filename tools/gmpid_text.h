// GMPIDs as people read them: "RID.group.block.index" and hexadecimal.
#ifndef TOOLS_GMPID_TEXT_H_
#define TOOLS_GMPID_TEXT_H_

#include <cstdint>
#include <string>

namespace zarvtool {

// "200.1.0.5": RID, group, block and point index in decimal.
std::string GmpidDotted(uint32_t gmpid);
// "0xC8010005".
std::string GmpidHex(uint32_t gmpid);
// "200.1.0.5 (0xC8010005)".
std::string GmpidBoth(uint32_t gmpid);

// Reads a GMPID written as "RID.group.block.index", as "group.block.index"
// (the RID then comes from `rid`, which must not be -1), as hexadecimal
// "0x..." or as a decimal number. False, with `why` set, for any other text
// or a field out of its range.
bool ParseGmpid(const std::string& text, int rid, uint32_t& out, std::string& why);

}  // namespace zarvtool

#endif  // TOOLS_GMPID_TEXT_H_
