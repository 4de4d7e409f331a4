// zarvqen export-csv and import-csv: round trips, bad rows, merges.
#include "tools/tool_test_util.h"

namespace {

class ToolCsvTest : public ToolTest {
protected:
    std::string db = dir.File("rs7.dat");
    std::string csv = dir.File("points.csv");
    std::string out = dir.File("out.dat");
};

// Kinds at the edges of their text form, each valid type, and awkward texts.
TEST_F(ToolCsvTest, ExportThenImportGivesBackTheSameFileForEveryKindAndValidType) {
    ASSERT_TRUE(SaveDatabase(db, 7,
                             {{0x07000000,
                               {{10, Var(true)},
                                {11, Var(static_cast<short>(-32768)), 1},
                                {15, Var(0.1f), 1},
                                {16, Var(1.0 / 3.0), 2},
                                {17, Var("a, \"quoted\"\ntext with\ttab"), 3},
                                {18, _zarvVAR()},
                                {19, Var(static_cast<long long>(INT64_MIN)), 1}}},
                              {0x07FF1FFF,
                               {{15, Var(-0.0f), 1},
                                {17, Var(static_cast<short>(4)), 3},
                                {21, Var(" p ")},
                                {22, Var("")}}}}));
    ToolRun exp = Run({"export-csv", db, "-o", csv});
    ASSERT_EQ(exp.status, 0) << exp.err;
    ToolRun imp = Run({"import-csv", csv, "--rid", "7", "--out", out});
    ASSERT_EQ(imp.status, 0) << imp.err;
    EXPECT_EQ(ReadAll(out), ReadAll(db));
    ExpectParts(imp.out, {"wrote " + out + ": 2 points of RID 7"});
    std::string meta = Xml("meta.xml", "<meta><prop>21,Label,7,,0</prop></meta>");
    // Meta names as headers; a CSV file is written over only with --force.
    ASSERT_EQ(Run({"export-csv", "--meta", meta, db, "-o", csv, "--force"}).status, 0);
    ExpectParts(ReadAll(csv), {",Label,"});
    EXPECT_EQ(Run({"import-csv", "--meta", meta, csv, "--rid", "7", "-o", out}).status, 0);
    EXPECT_EQ(ReadAll(out), ReadAll(db));
}

TEST_F(ToolCsvTest, EveryBadRowIsReportedWithItsLineAndNothingIsWritten) {
    WriteAll(csv,
             "gmpid,p1:text:0,p5:double:0,p9:ushort:0\n"
             "7.1.0.0,A,1.5\n"
             "7.1.0.4,B,abc,\n"
             "7.1.0.1,C,2.5,70000\n"
             "8.1.0.2,D,,\n"
             "7.1.0.3,\"F\nG\",x,\n");
    ToolRun run = Run({"import-csv", csv, "--rid", "7", "-o", out});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.err, {"points.csv:2: the row has 3 fields, the header 4",
                          "points.csv:4: field 4 (p9:ushort:0): \"70000\" cannot be read as ushort",
                          "points.csv:5: gmpid 8.1.0.2 (0x08010002) is not of RID 7"});
    // A record spanning lines is reported at the line it starts on.
    ExpectParts(run.err, {"points.csv:6: field 3 (p5:double:0)", "nothing written"});
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ToolCsvTest, MergeConflictsAndDryRunsWriteNothingAndOverwriteReplaces) {
    ASSERT_TRUE(
        SaveDatabase(db, 7, {{0x07010000, {{1, Var("KEEP")}}}, {0x07010001, {{1, Var("OLD")}}}}));
    WriteAll(csv, "gmpid,p1:text:0\n7.1.0.0,KEEP\n7.1.0.1,CHANGED\n7.1.0.2,ADDED\n");
    const std::string original = ReadAll(db);
    ToolRun run = Run({"import-csv", csv, "--into", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.err, {"points.csv:3: gmpid 7.1.0.1 (0x07010001) holds another point"},
                {"points.csv:2:"});  // an identical row is no conflict
    run = Run({"import-csv", csv, "--into", db, "--on-conflict", "overwrite", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"~ 7.1.0.1 (0x07010001): replace", "+ 7.1.0.2 (0x07010002): add",
                          "nothing written"});
    EXPECT_EQ(ReadAll(db), original);
    run = Run({"import-csv", csv, "--into", db, "--on-conflict", "overwrite"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"3 points of RID 7 (1 added, 1 replaced, 0 skipped, 1 unchanged)"});
    ExpectParts(Run({"dump", db}).out, {"\"CHANGED\"", "\"ADDED\""});
}

}  // namespace
