// The command line itself: help, usage errors and their exit status.
#include <sys/stat.h>

#include <utility>

#include "tools/tool_test_util.h"

namespace {

class ToolCommandLineTest : public ToolTest {};

TEST_F(ToolCommandLineTest, HelpNamesEveryCommandAndUsageAndInputErrorsExitWithTwo) {
    const std::vector<std::string> commands = {"demo", "info",       "check",     "dump",
                                               "diff", "export-csv", "import-csv"};
    for (const char* help : {"--help", "help"}) {
        ToolRun run = Run({help});
        EXPECT_EQ(run.status, 0) << help;
        ExpectParts(run.out, commands);
    }
    // The usage line names the tool as it is typed, not the path it ran from.
    ExpectParts(Run({"--help"}).out, {"Usage: zarvqen [OPTIONS]"});
    ExpectParts(Run({"check", "--help"}).out,
                {"Usage: zarvqen check [OPTIONS]", "--meta META.xml", "--type N"});
    ToolRun one = Run({"help", "import-csv"});
    EXPECT_EQ(one.status, 0);
    ExpectParts(one.out, {"zarvqen import-csv", "--on-conflict"});
    // An option without its value is named as the help names it.
    ExpectParts(Run({"check", "--meta"}).err, {"zarvqen: check: --meta: 1 required META.xml"});
    EXPECT_EQ(Run({"dump", "x", "--format", "yaml"}).status, 2);

    ToolRun unknown = Run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    ExpectParts(unknown.err, {"zarvqen: unknown command 'frobnicate'"});
    ExpectParts(unknown.err, commands);
    ToolRun none = Run({});
    EXPECT_EQ(none.status, 2);
    ExpectParts(none.err, {"zarvqen: a command is needed"});
    WriteAll(dir.File("notes.txt"), "just text\n");
    ToolRun notes = Run({"info", dir.File("notes.txt")});
    EXPECT_EQ(notes.status, 2);
    ExpectParts(notes.err, {"neither a configuration database"});
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

// Thousands of bad rows would bury the account: the first hundred are
// shown, the rest counted.
TEST_F(ToolCommandLineTest, AFloodOfErrorsShowsTheFirstHundredAndCountsTheRest) {
    std::string csv = "gmpid,p1:long:0\n";
    for (int i = 0; i < 250; ++i) csv += "7.1.0." + std::to_string(i) + ",x\n";
    WriteAll(dir.File("bad.csv"), csv);
    ToolRun run = Run({"import-csv", dir.File("bad.csv"), "--rid", "7", "-o", dir.File("o.dat")});
    EXPECT_EQ(run.status, 1);
    size_t lines = 0;
    for (size_t at = 0; (at = run.err.find("cannot be read as long", at)) != std::string::npos;
         ++at)
        ++lines;
    EXPECT_EQ(lines, 100u) << run.err;
    ExpectParts(run.err, {"zarvqen: 150 more messages not shown, 250 in all\n",
                          "250 problems, nothing written"});

    // One over the hundred, and a flood of check findings on standard output.
    csv.resize(csv.find("7.1.0.101,"));
    WriteAll(dir.File("bad.csv"), csv);
    run = Run({"import-csv", dir.File("bad.csv"), "--rid", "7", "-o", dir.File("o.dat")});
    ExpectParts(run.err, {"zarvqen: 1 more message not shown, 101 in all\n"});
    std::string meta = "<meta>\n";
    for (int i = 0; i < 150; ++i) meta += "<prop>x" + std::to_string(i) + ",A,7,,0</prop>\n";
    run = Run({"check", Xml("meta.xml", meta + "</meta>\n")});
    EXPECT_EQ(run.status, 1);
    // Two findings a prop but the first (x0 reads as 0, then each ID repeats).
    ExpectParts(run.out,
                {"meta.xml:53: prop ID \"x50\" reads as 0\n"
                 "zarvqen: 199 more messages not shown, 299 in all\n",
                 "meta.xml: 299 problems"},
                {"meta.xml:53: prop 0 dropped"});
}

}  // namespace
