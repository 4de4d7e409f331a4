// `zarvqen --version` names the version of the library the tool runs with.
#include <zarvqencore.h>

#include "tools/tool_test_util.h"

namespace {

class ToolVersionTest : public ToolTest {};

TEST_F(ToolVersionTest, VersionFlagPrintsTheLibraryVersionAndExitsWithZero) {
    ToolRun run = Run({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("zarvqen ") + ZarvqenVersion() + "\n");
}

}  // namespace
