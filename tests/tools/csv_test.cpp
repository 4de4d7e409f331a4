// zarvqen export-csv and import-csv: round trips, bad rows, merges.
#include <cstring>

#include "tools/tool_test_util.h"

namespace {

class ToolCsvTest : public ToolTest {
protected:
    std::string db = dir.File("rs7.dat");
    std::string csv = dir.File("points.csv");
    std::string out = dir.File("out.dat");
    // Writes `text` as the CSV file and imports it as the database of `rid`.
    ToolRun Import(const std::string& text, const std::string& rid = "7") {
        WriteAll(csv, text);
        return Run({"import-csv", csv, "--rid", rid, "-o", out});
    }
    // Writes `text` as the CSV file and merges it into the database `into`.
    ToolRun Merge(const std::string& text, const std::string& into,
                  std::vector<std::string> options = {}) {
        WriteAll(csv, text);
        options.insert(options.begin(), {"import-csv", csv, "--into", into});
        return Run(options);
    }
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
    ToolRun run = Import(
        "gmpid,p1:text:0,p5:double:0,p9:ushort:0\n"
        "7.1.0.0,A,1.5\n"
        "7.1.0.4,B,abc,\n"
        "7.1.0.1,C,2.5,70000\n"
        "8.1.0.2,D,,\n"
        "7.1.0.3,\"F\nG\",x,\n");
    ExpectRun(run, 1, run.err,
              {"points.csv:2: the row has 3 fields, the header 4",
               "points.csv:4: field 4 (p9:ushort:0): \"70000\" cannot be read as ushort",
               "points.csv:5: gmpid 8.1.0.2 (0x08010002) is not of RID 7"});
    // A record spanning lines is reported at the line it starts on.
    ExpectParts(run.err, {"points.csv:6: field 3 (p5:double:0)", "nothing written"});
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ToolCsvTest, MergeConflictsAndDryRunsWriteNothingAndOverwriteReplaces) {
    ASSERT_TRUE(
        SaveDatabase(db, 7, {{0x07010000, {{1, Var("KEEP")}}}, {0x07010001, {{1, Var("OLD")}}}}));
    const std::string text = "gmpid,p1:text:0\n7.1.0.0,KEEP\n7.1.0.1,CHANGED\n7.1.0.2,ADDED\n";
    const std::string original = ReadAll(db);
    ToolRun run = Merge(text, db);
    ExpectRun(run, 1, run.err, {"points.csv:3: gmpid 7.1.0.1 (0x07010001) holds another point"},
              {"points.csv:2:"});  // an identical row is no conflict
    run = Merge(text, db, {"--on-conflict", "overwrite", "--dry-run"});
    ExpectRun(
        run, 0, run.out,
        {"~ 7.1.0.1 (0x07010001): replace", "+ 7.1.0.2 (0x07010002): add", "nothing written"});
    EXPECT_EQ(ReadAll(db), original);
    run = Merge(text, db, {"--on-conflict", "overwrite"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"3 points of RID 7 (1 added, 1 replaced, 0 skipped, 1 unchanged)"});
    ExpectParts(Run({"dump", db}).out, {"\"CHANGED\"", "\"ADDED\""});
}

TEST_F(ToolCsvTest, UpdateReplacesNamedPropertiesKeepsOthersAndEmptyCellsRemove) {
    ASSERT_TRUE(SaveDatabase(db, 7,
                             {{0x07010000, {{1, Var("A")}, {2, Var(1)}, {3, Var("x")}}},
                              {0x07010001, {{1, Var("B")}, {3, Var("y")}}}}));
    // Column p3 is not named: every stored p3 stays. p2 left empty goes.
    WriteAll(csv,
             "gmpid,p1:text:0,p2:long:0,p4:double:1\n"
             "7.1.0.0,NEW,,2.5\n"
             "7.1.0.1,B,,\n");
    const std::string original = ReadAll(db);
    ToolRun run = Run({"import-csv", csv, "--into", db, "--on-conflict", "update", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out,
                {"~ 7.1.0.0 (0x07010000): update\n"
                 "    p1: text \"A\" (valid 0) -> text \"NEW\" (valid 0)\n"
                 "    - p2: long 1 (valid 0)\n"
                 "    + p4: double 2.5 (valid 1)\n",
                 "(0 added, 1 updated, 0 skipped, 1 unchanged)"},
                {"p3", "7.1.0.1"});
    EXPECT_EQ(ReadAll(db), original);

    run = Run({"import-csv", csv, "--into", db, "--on-conflict", "overwrite", "--dry-run"});
    ExpectParts(run.out, {"~ 7.1.0.1 (0x07010001): replace\n    - p3: text \"y\" (valid 0)\n"});

    run = Run({"import-csv", csv, "--into", db, "--on-conflict", "update"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(SaveDatabase(out, 7,
                             {{0x07010000, {{1, Var("NEW")}, {3, Var("x")}, {4, Var(2.5), 1}}},
                              {0x07010001, {{1, Var("B")}, {3, Var("y")}}}}));
    EXPECT_EQ(ReadAll(db), ReadAll(out));
}

// What the load of the target passes over is not in the merged file: the
// merge names each such record and property.
TEST_F(ToolCsvTest, MergingIntoADatabaseWithDuplicatesSaysWhatTheMergeDrops) {
    RawDatabase raw(db, 7, 1);
    raw.Group(1, 2).Record(5).Prop(3, 0, Var("one")).Prop(3, 0, Var("two")).End();
    raw.Record(5).Prop(1, 0, Var("second")).End();
    ASSERT_TRUE(raw.Close());
    ToolRun run = Merge("gmpid,p1:text:0\n7.1.0.6,NEW\n", db);
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(run.err, {"rs7.dat@22: point 0x07010005: property 3 given twice",
                          "rs7.dat@37: point 0x07010005 dropped",
                          "rs7.dat: warning: 2 records or properties passed over by the load"});
    EXPECT_EQ(Run({"check", db}).status, 0);
}

TEST_F(ToolCsvTest, CellsWithANulByteOrFloatingLiteralsOutOfRangeAreBadRows) {
    ToolRun run =
        Import(std::string("gmpid,p1:long:0,p2:float:0,p3:double:0\n"
                           "7.1.0.0,5\0junk,,\n"
                           "7.1.0.1,,1e39,\n"
                           "7.1.0.2,,1e-50,1e-400\n"
                           "7.1.0.3,,-0x0p0,-1e400\n",
                           116));
    ExpectRun(
        run, 1, run.err,
        {"points.csv:2: field 2 holds a NUL byte", ":3: field 3 (p2:float:0): \"1e39\" is beyond",
         ":4: field 3 (p2:float:0): \"1e-50\" is too small",
         ":4: field 4 (p3:double:0): "
         "\"1e-400\" is too small",
         ":5: field 4 (p3:double:0): \"-1e400\" is beyond"},
        {"points.csv:5: field 3"});  // a zero written as zero is no underflow
    EXPECT_FALSE(std::filesystem::exists(out));

    run = Import(std::string("gmpid\0x,p1:long:0\n7.1.0.0,5\n", 28));
    ExpectRun(run, 1, run.err, {"points.csv:1: field 1 holds a NUL byte"});

    // Infinities, NaN and the smallest subnormal are read as written.
    run = Import(
        "gmpid,p2:float:0,p3:double:0\n7.1.0.0,inf,-inf\n7.1.0.1,nan,-nan\n"
        "7.1.0.2,1e-45,4.9e-324\n");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(Run({"dump", out}).out,
                {"p2 = float inf", "p3 = double -inf", "p2 = float nan", "p3 = double -nan",
                 "p2 = float 1e-45", "p3 = double 5e-324"});
}

// NaNs with a payload and a sign, as a device or a converter may leave them.
TEST_F(ToolCsvTest, NanPayloadsAndSignsRoundTripBitExactAndDiffTellsThemApart) {
    auto float_of = [](uint32_t bits) {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return Var(f);
    };
    auto double_of = [](uint64_t bits) {
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return Var(d);
    };
    // A signalling float NaN, a negative double NaN, the negative quiet NaN.
    auto save = [&](const std::string& path, uint32_t first) {
        return SaveDatabase(path, 7,
                            {{0x07000000,
                              {{1, float_of(first)},
                               {2, double_of(0xFFF0000000000001u)},
                               {3, float_of(0xFFC00000u)}}}});
    };
    ASSERT_TRUE(save(db, 0x7FA00001u));
    ASSERT_EQ(Run({"export-csv", db, "-o", csv}).status, 0);
    ExpectParts(ReadAll(csv), {",nan(0x200001),-nan(0x1),-nan\n"});
    ToolRun imp = Run({"import-csv", csv, "--rid", "7", "-o", out});
    ASSERT_EQ(imp.status, 0) << imp.err;
    EXPECT_EQ(ReadAll(out), ReadAll(db));

    std::string other = dir.File("other.dat");
    ASSERT_TRUE(save(other, 0x7FA00002u));
    ToolRun diff = Run({"diff", db, other});
    EXPECT_EQ(diff.status, 1);
    ExpectParts(diff.out, {"p1: float nan(0x200001) (valid 0) -> float nan(0x200002) (valid 0)"},
                {"p2:", "p3:"});
    ExpectParts(Run({"dump", "--format", "json", db}).out, {"\"value\": \"nan(0x200001)\""});
}

// The import reads its file in chunks of a megabyte, after its first four
// bytes: the chunk ends at byte 4 + 2^20. Cut there between a doubled
// quote, inside a quoted CR LF, after a closing quote and inside the CR LF
// that ends a record, the file reads as from one piece, with true line
// numbers.
TEST_F(ToolCsvTest, AChunkOfTheFileEndingAnywhereInARecordReadsAsOnePiece) {
    const std::string header = "gmpid,p1:text:0,p2:long:0\r\n";
    const std::string row = "7.1.0.1,\"a\"\"b\r\nc\",5\r\n";
    const size_t chunk_end = 4 + (1u << 20);
    for (size_t cut : {10u, 13u, 16u, 19u}) {  // the last byte of the row before the cut
        SCOPED_TRACE("cut after byte " + std::to_string(cut) + " of the row");
        // Byte `cut` of the row is the last one of the chunk.
        const std::string filler(chunk_end - 1 - cut - header.size() - 12, 'f');
        const std::string text = header + "7.1.0.0," + filler + ",1\r\n" + row;
        ASSERT_EQ(text.size(), chunk_end - 1 - cut + row.size());
        WriteAll(csv, text + "7.1.0.2,x,notanumber\r\n");
        ToolRun run = Run({"import-csv", csv, "--rid", "7", "-o", out});
        ExpectRun(run, 1, run.err, {"points.csv:5: field 3", "1 problem,"});
        WriteAll(csv, text);
        run = Run({"import-csv", csv, "--rid", "7", "-o", out, "--force"});
        ASSERT_EQ(run.status, 0) << run.err;
        std::string exported = Run({"export-csv", out}).out;
        // Not EXPECT_EQ: a difference of a megabyte would be printed whole.
        EXPECT_TRUE(exported.substr(exported.find('\n') + 1) ==
                    "7.1.0.0," + filler + ",1\n7.1.0.1,\"a\"\"b\r\nc\",5\n");
    }
}

// RID 200 keeps an IO index when loaded (the tool loads with type 1): a
// second point of an IO address would be dropped by the load.
TEST_F(ToolCsvTest, ARowWhoseIOAddressALoadWouldRefuseIsAnErrorAndNothingIsWritten) {
    ToolRun run = Import(
        "gmpid,p401:text:0,p402:text:0\n"
        "200.1.0.1,COM1,7\n"
        "200.1.0.2,COM1,8\n"
        "200.1.0.3,COM1,7\n",
        "200");
    ExpectRun(run, 1, run.err,
              {"points.csv:4: point 0xC8010003 refused: its IO address", "nothing written"},
              {"points.csv:2:", "points.csv:3:"});
    EXPECT_FALSE(std::filesystem::exists(out));

    // Merged into a stored point of a higher GMPID, the row takes the
    // address first, so the stored point is the one a load would drop.
    std::string into = dir.File("rs200.dat");
    ASSERT_TRUE(SaveDatabase(into, 200, {{0xC8010009, {{401, Var("COM2")}, {402, Var("1")}}}}));
    const std::string original = ReadAll(into), header = "gmpid,p401:text:0,p402:text:0\n";
    run = Merge(header + "200.1.0.1,COM2,1\n", into);
    ExpectRun(run, 1, run.err, {"points.csv: stored point 0xC8010009 refused"});
    EXPECT_EQ(ReadAll(into), original);
    // Rows are merged as they are read, yet the lower GMPID keeps the
    // address whatever the order of the rows, as in a load.
    run = Merge(header + "200.1.0.5,COM3,1\n200.1.0.4,COM3,1\n", into);
    ExpectRun(run, 1, run.err, {"points.csv:2: point 0xC8010005 refused"}, {"points.csv:3:"});
    // A row may take the address a later row moves a stored point away from.
    run = Merge(header + "200.1.0.1,COM2,1\n200.1.0.9,COM2,9\n", into,
                {"--on-conflict", "overwrite", "--dry-run"});
    ExpectRun(run, 0, run.out, {"would hold 2 points of RID 200 (1 added, 1 replaced"});
    EXPECT_EQ(ReadAll(into), original);
    // Distinct addresses: every point written loads.
    run = Merge(header + "200.1.0.1,COM2,2\n200.1.0.2,COM2,3\n", into);
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(Run({"check", into}).out, {"3 points load"});
}

}  // namespace
