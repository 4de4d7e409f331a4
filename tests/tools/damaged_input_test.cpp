// Damaged files of every kind end in a report and an exit status, never in
// a crash: cut catalogues, flipped database bytes, broken CSV.
#include "tools/tool_test_util.h"

namespace {

class ToolDamagedInputTest : public ToolTest {
protected:
    // Exit statuses the tool may give; anything else is a crash or a signal.
    static bool Known(int status) { return status == 0 || status == 1 || status == 2; }
};

TEST_F(ToolDamagedInputTest, EveryCutOfADriverLibraryIsReported) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<driverlib>\n"
        "<metadrv module=\"m\" io=\"8\"><ai><prop par=\"p\" desc=\"d\">900,A,6,1.5,0</prop></ai>"
        "</metadrv>\n<metasrv module=\"s\"><par><prop>930,P,7,x,0</prop></par></metasrv>\n"
        "</driverlib>\n";
    std::string path = dir.File("lib.xml");
    for (size_t cut = 0; cut <= text.size(); cut += 9) {
        WriteAll(path, text.substr(0, cut));
        ToolRun check = Run({"check", "--kind", "driverlib", path});
        EXPECT_TRUE(Known(check.status)) << "cut " << cut << ": " << check.status;
        ToolRun dump = Run({"dump", "--kind", "driverlib", "--format", "json", path});
        EXPECT_TRUE(Known(dump.status)) << "cut " << cut;
        if (dump.status == 0) {
            Json doc;
            EXPECT_TRUE(ParseJson(dump.out, doc)) << "cut " << cut;
        }
    }
}

TEST_F(ToolDamagedInputTest, FlippedDatabaseBytesAreReportedNotFollowed) {
    std::string db = dir.File("rs9.dat");
    ASSERT_TRUE(SaveDatabase(
        db, 9, {{0x09010000, {{1, Var("A")}, {5, Var(2.5)}}}, {0x09010001, {{7, Var("text")}}}}));
    const std::string good = ReadAll(db);
    for (size_t at = 0; at < good.size(); at += 2) {
        std::string bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ 0xA5);
        WriteAll(db, bytes);
        ToolRun check = Run({"check", "--kind", "database", db});
        EXPECT_EQ(check.status, 1) << "byte " << at << ": " << check.out << check.err;
    }
}

TEST_F(ToolDamagedInputTest, AnUnclosedQuoteInCsvIsReportedWithItsLine) {
    WriteAll(dir.File("in.csv"), "gmpid,p1:text:0\n1.0.0,\"open\n1.0.1,x\n");
    ToolRun run = Run({"import-csv", dir.File("in.csv"), "--rid", "1", "-o", dir.File("o.dat")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "in.csv:2: quoted field not closed")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.dat")));
}

}  // namespace
