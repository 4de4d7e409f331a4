// The command line itself: help, usage errors and their exit status.
#include "tools/tool_test_util.h"

namespace {

class ToolCommandLineTest : public ToolTest {};

TEST_F(ToolCommandLineTest, HelpNamesEveryCommandAndUsageAndInputErrorsExitWithTwo) {
    ToolRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    ExpectParts(run.out, {"demo", "info", "check", "dump", "diff", "export-csv", "import-csv"});
    const std::vector<std::vector<std::string>> usage = {
        {}, {"frobnicate"}, {"dump", "x", "--format", "yaml"}};
    for (const auto& args : usage) EXPECT_EQ(Run(args).status, 2) << args.size();
    WriteAll(dir.File("notes.txt"), "just text\n");
    run = Run({"info", dir.File("notes.txt")});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"neither a configuration database"});
}

}  // namespace
