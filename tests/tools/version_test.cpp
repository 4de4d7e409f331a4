// `zarvqen --version` names the version of the library the tool runs with.
#include <zarvqencore.h>

#include "tools/tool_test_util.h"

namespace {

class ToolVersionTest : public ToolTest {};

TEST_F(ToolVersionTest, VersionFlagPrintsTheLibraryVersionAndExitsWithZero) {
    for (const char* flag : {"-V", "--version"}) {
        ToolRun run = Run({flag});
        EXPECT_EQ(run.status, 0) << flag;
        EXPECT_EQ(run.out, std::string("zarvqen ") + ZarvqenVersion() + "\n") << flag;
    }
}

}  // namespace
