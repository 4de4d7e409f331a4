// The command line itself: help, usage errors and their exit status.
#include "tools/tool_test_util.h"

namespace {

class ToolCommandLineTest : public ToolTest {};

TEST_F(ToolCommandLineTest, HelpNamesEveryCommandAndEachCommandHasItsOwn) {
    const std::vector<std::string> commands{"demo", "info",       "check",     "dump",
                                            "diff", "export-csv", "import-csv"};
    ToolRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    ExpectParts(run.out, commands);
    for (const std::string& cmd : commands) {
        run = Run({cmd, "--help"});
        EXPECT_EQ(run.status, 0) << cmd;
        ExpectParts(run.out, {cmd});
    }
    ExpectParts(run.out, {"--on-conflict"});  // of import-csv
}

TEST_F(ToolCommandLineTest, UsageAndInputErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> usage = {
        {},
        {"frobnicate"},
        {"check"},
        {"dump", "x", "--format", "yaml"},
        {"import-csv", "in.csv", "--on-conflict", "merge"}};
    for (const auto& args : usage) EXPECT_EQ(Run(args).status, 2) << args.size();
    std::string missing = dir.File("missing.dat");
    for (const char* cmd : {"info", "check", "dump"}) {
        ToolRun run = Run({cmd, missing});
        EXPECT_EQ(run.status, 2) << cmd;
        ExpectParts(run.err, {missing});
    }
    WriteAll(dir.File("notes.txt"), "just text\n");
    ToolRun run = Run({"info", dir.File("notes.txt")});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"neither a configuration database"});
    run = Run({"check", Xml("odd.xml", "<catalogue/>")});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"unknown root element <catalogue>"});
}

}  // namespace
