// The command line itself: help, usage errors and their exit status.
#include <sys/stat.h>

#include <utility>

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

// A FIFO without a writer would block a read, a device would never end: the
// tool refuses both at once, as the library's loaders do.
TEST_F(ToolCommandLineTest, AFifoOrADeviceGivenAsAFileIsRefusedWithoutReading) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {dir.File("fifo"), "is a FIFO"}, {"/dev/zero", "is a device"}};
    for (const auto& [path, why] : inputs) {
        for (const char* command : {"info", "check", "dump"}) {
            SCOPED_TRACE(std::string(command) + " " + path);
            ToolRun run = Run({command, path});
            EXPECT_EQ(run.status, 2);
            ExpectParts(run.err, {why});
        }
    }
}

}  // namespace
