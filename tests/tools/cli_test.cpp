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

TEST_F(ToolCommandLineTest, HelpCommandAndUnknownCommandsNameTheCommands) {
    const std::vector<std::string> commands = {"demo", "info",       "check",     "dump",
                                               "diff", "export-csv", "import-csv"};
    ToolRun help = Run({"help"});
    EXPECT_EQ(help.status, 0);
    ExpectParts(help.out, commands);
    ToolRun one = Run({"help", "import-csv"});
    EXPECT_EQ(one.status, 0);
    ExpectParts(one.out, {"zarvqen import-csv", "--on-conflict"});

    ToolRun unknown = Run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    ExpectParts(unknown.err, {"zarvqen: unknown command 'frobnicate'"});
    ExpectParts(unknown.err, commands);
    ToolRun none = Run({});
    EXPECT_EQ(none.status, 2);
    ExpectParts(none.err, {"zarvqen: a command is needed"});
}

// Every message of the command line starts as the tool's messages do and
// names what is missing or wrong as the command's help does.
TEST_F(ToolCommandLineTest, UsageErrorsNameTheArgumentAndStartWithTheToolsName) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"diff", "a.dat"}, "zarvqen: diff: missing B (new file)"},
        {{"export-csv"}, "zarvqen: export-csv: missing DB"},
        {{"check", "--type", "4", "x.dat"}, "zarvqen: check: --type: Value 4 not in range 0 to 3"},
        {{"import-csv", "a.csv", "--rid", "7", "-o", "b.dat", "--on-conflict", "skip"},
         "zarvqen: import-csv: --on-conflict requires --into"},
        {{"info", "--bogus", "x"}, "zarvqen: info: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
    }
}

}  // namespace
