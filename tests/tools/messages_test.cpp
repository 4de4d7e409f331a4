// What the tool says when something is wrong: every message starts with
// "zarvqen: " and names the file, says why and where, and counts in words
// that fit the count.
#include <sstream>

#include "tools/tool_test_util.h"

namespace {

class ToolMessagesTest : public ToolTest {
protected:
    // Expects every line of `err` to start with "zarvqen: ".
    static void ExpectPrefixed(const std::string& err) {
        std::istringstream lines(err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("zarvqen: ", 0), 0u) << line;
    }
};

TEST_F(ToolMessagesTest, XmlThatCannotBeLoadedSaysWhyWithLineAndColumnAndInfoPrintsNoKind) {
    std::string deep;
    for (int i = 0; i < 300; ++i) deep = "<a>" + deep + "</a>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Xml("two.xml", "<meta/>\n<meta/>\n"),
         "line 3, column 2: not well-formed XML: a second "
         "root element"},
        {Xml("deep.xml", "<meta>\n" + deep + "</meta>"),
         "line 3, column 770: not well-formed XML: elements "
         "nest deeper than 256 levels"},
        {Xml("cr.xml", "<meta>\r<prop>1,A,3,1,0</prp>\r</meta>\r"), "line 3, column "},
    };
    for (const auto& [path, why] : cases) {
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"info", "--kind", "meta", path},
                                                   {"dump", "--kind", "meta", path},
                                                   {"diff", "--kind", "meta", path, path}}) {
            SCOPED_TRACE(args[0] + " " + path);
            ToolRun run = Run(args);
            EXPECT_EQ(run.status, 2);
            ExpectParts(run.err, {path + ": " + why});
            ExpectPrefixed(run.err);
            EXPECT_EQ(run.out, "");  // no kind printed for a file that then fails
        }
    }
}

TEST_F(ToolMessagesTest, AnUnreadableDatabaseValueSaysWhatAndAtWhichByte) {
    std::string db = dir.File("rs7.dat");
    RawDatabase text(db, 7, 1);
    text.Group(1, 1).Record(5);
    // Property 1, kind 7 (text) with a length of 0xFFFFFFFF at byte 15.
    for (unsigned short word : {1, 7, 0, 0xFFFF, 0xFFFF}) text.Record(word);
    ASSERT_TRUE(text.Close());
    ToolRun run = Run({"info", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"text length 4294967295 at byte 15 runs past the end"});
    RawDatabase kind(db, 7, 1);
    kind.Group(1, 1).Record(5);
    for (unsigned short word : {1, 99, 0, 0, 0, 0xFFFF}) kind.Record(word);
    ASSERT_TRUE(kind.Close());
    run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"rs7.dat@", "unknown kind 99 at byte 11"});
    run = Run({"dump", db});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"rs7.dat: unreadable property value: unknown kind 99 at byte 11"});
    ExpectPrefixed(run.err);
}

TEST_F(ToolMessagesTest, AFileTooShortForAHeaderSaysSoAndNamesNoRid) {
    std::string db = dir.File("rs5.dat");
    WriteAll(db, "RS");
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"too short for its header", "no configuration database header"},
                {"RID 0"});
    run = Run({"info", db});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"rs5.dat: too short for its header"}, {"RID 0"});
    EXPECT_EQ(run.out, "");
}

// Spreadsheets and editors on other systems write CR-only line ends, a UTF-8
// byte-order mark or UTF-16, in CSV and XML alike.
TEST_F(ToolMessagesTest, LineEndsMarksAndEncodingsAreReadOrRefusedWithAHint) {
    std::string csv = dir.File("p.csv"), out = dir.File("out.dat");
    WriteAll(csv, "\xEF\xBB\xBFgmpid,p1:long:0\r7.1.0.0,1\r7.1.0.1,\"a\rb\"\r7.1.0.2,x\r");
    ToolRun run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.err,
                {"p.csv:3: field 2 (p1:long:0)", "p.csv:5: field 2 (p1:long:0): \"x\" cannot"});
    ExpectPrefixed(run.err);

    WriteAll(csv, "\xEF\xBB\xBFgmpid,p1:long:0\r\n7.1.0.0,1\r\n");
    run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"wrote " + out + ": 1 point of RID 7"});

    const std::string utf16le("\xFF\xFEg\0m\0p\0i\0d\0", 12);
    WriteAll(csv, utf16le);
    run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"p.csv: is UTF-16LE text", "iconv"});
    std::string xml = dir.File("m.xml");
    WriteAll(xml, "\xEF\xBB\xBF<meta>\r<prop>1,A,3,1,0</prop>\r<prp/>\r</meta>\r");
    run = Run({"check", xml});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"m.xml:3: element <prp> passed over"});
    WriteAll(xml, std::string("<\0m\0e\0t\0a\0/\0>\0", 14));
    for (const char* command : {"info", "check", "dump"}) {
        run = Run({command, xml});
        EXPECT_EQ(run.status, 2) << command;
        ExpectParts(run.err, {"m.xml: is UTF-16LE text"});
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
