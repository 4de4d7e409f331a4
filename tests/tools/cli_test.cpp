// The command line itself: help, usage errors and their exit status.
#include "tools/tool_test_util.h"

namespace {

class ToolCommandLineTest : public ToolTest {};

TEST_F(ToolCommandLineTest, HelpOfTheToolNamesEveryCommand) {
    ToolRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* cmd : {"demo", "info", "check", "dump", "diff", "export-csv", "import-csv"})
        EXPECT_TRUE(Contains(run.out, cmd)) << cmd;
}

TEST_F(ToolCommandLineTest, EachCommandHasItsOwnHelp) {
    for (const char* cmd : {"demo", "info", "check", "dump", "diff", "export-csv", "import-csv"}) {
        ToolRun run = Run({cmd, "--help"});
        EXPECT_EQ(run.status, 0) << cmd;
        EXPECT_TRUE(Contains(run.out, cmd)) << cmd;
    }
    EXPECT_TRUE(Contains(Run({"import-csv", "--help"}).out, "--on-conflict"));
}

TEST_F(ToolCommandLineTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"frobnicate"}).status, 2);
    EXPECT_EQ(Run({"check"}).status, 2);
    EXPECT_EQ(Run({"dump", "x", "--format", "yaml"}).status, 2);
    EXPECT_EQ(Run({"import-csv", "in.csv", "--on-conflict", "merge"}).status, 2);
}

TEST_F(ToolCommandLineTest, UnreadableFileExitsWithTwoAndNamesIt) {
    std::string missing = dir.File("missing.dat");
    for (const char* cmd : {"info", "check", "dump"}) {
        ToolRun run = Run({cmd, missing});
        EXPECT_EQ(run.status, 2) << cmd;
        EXPECT_TRUE(Contains(run.err, missing)) << cmd << ": " << run.err;
    }
}

TEST_F(ToolCommandLineTest, FileOfNoKnownKindExitsWithTwo) {
    WriteAll(dir.File("notes.txt"), "just text\n");
    ToolRun run = Run({"info", dir.File("notes.txt")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "neither a configuration database"));
    std::string odd = Xml("odd.xml", "<catalogue/>");
    run = Run({"check", odd});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "unknown root element <catalogue>"));
}

}  // namespace
