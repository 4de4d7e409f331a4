// What the tool says when something is wrong: every message starts with
// "zarvqen: " and names the file, and counts in words that fit the count.
// (The library's own texts are told by the engine's and catalogues' tests.)
#include <sstream>

#include "tools/tool_test_util.h"

namespace {

class ToolMessagesTest : public ToolTest {
protected:
    static void ExpectEveryLinePrefixed(const std::string& err) {
        std::istringstream lines(err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("zarvqen: ", 0), 0u) << line;
    }
};

TEST_F(ToolMessagesTest, FilesThatCannotBeReadAreNamedWithTheReasonAndNothingElseIsPrinted) {
    std::string xml = Xml("two.xml", "<meta/>\n<meta/>\n");
    std::string db = dir.File("rs7.dat");
    RawDatabase kind(db, 7, 1);
    kind.Group(1, 1).Record(5);
    // Property 1 of kind 99 at byte 11.
    for (unsigned short word : {1, 99, 0, 0, 0, 0xFFFF}) kind.Record(word);
    ASSERT_TRUE(kind.Close());
    std::string short_db = dir.File("rs5.dat");
    WriteAll(short_db, "RS");
    struct Case {
        std::vector<std::string> args;
        std::string phrase;
    };
    const std::vector<Case> cases = {
        {{"info", "--kind", "meta", xml}, xml + ": line 3, column 2: not well-formed XML"},
        {{"dump", "--kind", "meta", xml}, xml + ": line 3, column 2: not well-formed XML"},
        {{"diff", "--kind", "meta", xml, xml}, xml + ": line 3, column 2: not well-formed XML"},
        {{"dump", db}, "rs7.dat: unreadable property value: unknown kind 99 at byte 11"},
        {{"info", short_db}, "rs5.dat: too short for its header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        ToolRun run = Run(c.args);
        ExpectRefused(run, {c.phrase});
        ExpectEveryLinePrefixed(run.err);
        EXPECT_EQ(run.out, "");  // no kind printed for a file that then fails
    }
    // The check reports the same files as findings, with status 1.
    ToolRun run = Run({"check", db});
    ExpectRun(run, 1, run.out, {"rs7.dat@", "unknown kind 99"});
    run = Run({"check", short_db});
    ExpectRun(run, 1, run.out, {"too short for its header"}, {"RID 0"});
}

// Spreadsheets and editors on other systems write CR-only line ends, a UTF-8
// byte-order mark or UTF-16, in CSV and XML alike.
TEST_F(ToolMessagesTest, LineEndsMarksAndEncodingsAreReadOrRefusedWithAHint) {
    std::string csv = dir.File("p.csv"), out = dir.File("out.dat");
    WriteAll(csv, "\xEF\xBB\xBFgmpid,p1:long:0\r7.1.0.0,1\r7.1.0.1,\"a\rb\"\r7.1.0.2,x\r");
    ToolRun run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    ExpectRun(run, 1, run.err, {"p.csv:3: field 2 (p1:long:0)", "p.csv:5: field 2 (p1:long:0)"});
    ExpectEveryLinePrefixed(run.err);

    WriteAll(csv, "\xEF\xBB\xBFgmpid,p1:long:0\r\n7.1.0.0,1\r\n");
    run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    ExpectRun(run, 0, run.out, {"wrote " + out + ": 1 point of RID 7"});

    WriteAll(csv, std::string("\xFF\xFEg\0m\0p\0i\0d\0", 12));
    ExpectRefused(Run({"import-csv", csv, "--rid", "7", "-o", out}),
                  {"p.csv: is UTF-16LE text", "iconv"});
    std::string xml = dir.File("m.xml");
    WriteAll(xml, "\xEF\xBB\xBF<meta>\r<prop>1,A,3,1,0</prop>\r<prp/>\r</meta>\r");
    run = Run({"check", xml});
    ExpectRun(run, 1, run.out, {"m.xml:3: element <prp> passed over"});
    WriteAll(xml, std::string("<\0m\0e\0t\0a\0/\0>\0", 14));
    for (const char* command : {"info", "check", "dump"}) {
        SCOPED_TRACE(command);
        ExpectRefused(Run({command, xml}), {"m.xml: is UTF-16LE text"});
    }
}

TEST_F(ToolMessagesTest, CountsOfOneAreSingularAndInfoValuesLineUp) {
    std::string csv = dir.File("p.csv"), db = dir.File("rs7.dat");
    WriteAll(csv, "gmpid,p1:long:0\n7.1.0.0\n");
    ToolRun run = Run({"import-csv", csv, "--rid", "7", "-o", db});
    ExpectParts(run.err, {"p.csv:2: the row has 1 field, the header 2"});
    ASSERT_TRUE(SaveDatabase(db, 7, {{0x07010000, {{1, Var(1)}}}}));
    run = Run({"export-csv", db, "-o", csv, "--force"});
    ExpectParts(run.out, {": 1 point, 1 column\n"});
    run = Run({"info", db, Xml("t.xml", "<typeobj><prop>1,4|5</prop></typeobj>")});
    ExpectParts(run.out, {"(1 number: 1)", "  rid          7\n", "  meta numbers 2\n"});
}

}  // namespace
