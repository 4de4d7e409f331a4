// The command line itself: help, version, usage errors and their exit status.
#include "tools/tool_test_util.h"

namespace {

class ToolCommandLineTest : public ToolTest {};

TEST_F(ToolCommandLineTest, HelpAndVersionExitWithZeroAndUsageErrorsWithTwo) {
    const std::vector<std::string> commands = {"demo", "info",       "check",     "dump",
                                               "diff", "export-csv", "import-csv"};
    for (const char* help : {"--help", "help"}) {
        ToolRun run = Run({help});
        ExpectRun(run, 0, run.out, commands);
    }
    // The usage line names the tool as it is typed, not the path it ran from.
    ExpectParts(Run({"--help"}).out, {"Usage: zarvqen [OPTIONS]"});
    ExpectParts(Run({"check", "--help"}).out,
                {"Usage: zarvqen check [OPTIONS]", "--meta META.xml"});
    ToolRun one = Run({"help", "import-csv"});
    EXPECT_EQ(one.status, 0);
    ExpectParts(one.out, {"zarvqen import-csv", "--on-conflict"});
    for (const char* flag : {"-V", "--version"}) {
        ToolRun run = Run({flag});
        EXPECT_EQ(run.status, 0) << flag;
        EXPECT_EQ(run.out, std::string("zarvqen ") + ZarvqenVersion() + "\n") << flag;
    }
    ExpectParts(Run({"frobnicate"}).err, commands);  // an unknown command lists the known ones
}

// Every message of the command line names what is missing or wrong as the
// command's help does.
TEST_F(ToolCommandLineTest, UsageErrorsNameTheArgument) {
    WriteAll(dir.File("notes.txt"), "just text\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "a command is needed"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"check", "--meta"}, "check: --meta: 1 required META.xml"},
        {{"dump", "x", "--format", "yaml"}, "dump: --format"},
        {{"diff", "a.dat"}, "diff: missing B (new file)"},
        {{"export-csv"}, "export-csv: missing DB"},
        {{"check", "--type", "4", "x.dat"}, "check: --type: Value 4 not in range 0 to 3"},
        {{"check", "--type", "one", "x.dat"}, "--type: 'one' is not a whole number (0 to 3)"},
        {{"import-csv", "a.csv", "--rid", "7.5", "-o", "b.dat"},
         "--rid: '7.5' is not a whole number (0 to 255)"},
        {{"import-csv", "a.csv", "--rid", "7", "-o", "b.dat", "--on-conflict", "skip"},
         "import-csv: --on-conflict requires --into"},
        {{"info", "--bogus", "x"}, "info: "},
        {{"info", dir.File("notes.txt")}, "neither a configuration database"},
        {{"info", "--kind", "database", dir.File("notes.txt")},
         "not a configuration database file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ExpectRefused(Run(c.args), {c.message});
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
