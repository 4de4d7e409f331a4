// zarvqen check on a configuration database: what a load drops or refuses is
// a finding with its byte offset and status 1; notes keep status 0.
#include "tools/tool_test_util.h"

namespace {

class ToolCheckDatabaseTest : public ToolTest {};

TEST_F(ToolCheckDatabaseTest, WhatALoadDropsIsAFindingWithItsOffset) {
    std::string db = dir.File("rs200.dat");
    RawDatabase raw(db, 200, 2);
    raw.Group(1, 2)
        .Record(1)
        .Prop(401, 1, Var("a"))
        .Prop(402, 0, Var("b"))
        .Prop(3, 0, Var("one"))
        .Prop(3, 2, Var("two"))
        .End();
    raw.Record(2).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
    raw.Group(1, 1).Record(1).Prop(1, 0, Var("second")).End();
    ASSERT_TRUE(raw.Close());
    // The load keeps the stored valid type where the meta one cannot apply.
    std::string meta = Xml("m.xml", "<meta><prop valid=\"5\">401,IO,7,,0</prop></meta>");
    ToolRun run = Run({"check", "--meta", meta, db});
    ExpectRun(run, 1, run.out,
              {"rs200.dat@44: point 0xC8010001: property 3 given twice",
               "rs200.dat@59: point 0xC8010002 dropped: its IO address \"a$b\"",
               "rs200.dat@88: point 0xC8010001 dropped: its GMPID is already stored", "note",
               "the stored valid type 1 is kept", "1 point loads"});
    // The IO index refuses a second point of an address only in a database
    // of type 1, 2 or 3.
    ExpectParts(Run({"check", "--type", "0", db}).out, {"2 points load"}, {"IO address"});
}

TEST_F(ToolCheckDatabaseTest, AFlippedByteIsAChecksumMismatchAndInfoAndDumpSayTheFileIsRefused) {
    std::string db = dir.File("rs200.dat");
    ASSERT_TRUE(SaveDatabase(db, 200, {{0xC8010005, {{1, Var("A")}}}}));
    std::string bytes = ReadAll(db);
    bytes[9] ^= 0x10;
    WriteAll(db, bytes);
    ToolRun run = Run({"check", db});
    ExpectRun(run, 1, run.out, {"checksum mismatch: the whole file is refused"});
    run = Run({"info", db});
    ExpectRun(run, 1, run.out, {"load         REFUSED: checksum mismatch"}, {"checksum     ok"});
    ExpectRefused(Run({"dump", db}), {"checksum mismatch"});
}

// A load of RID 7 reads rs7.dat of its folder: one holding RID 200 fails it.
TEST_F(ToolCheckDatabaseTest, AFileNamedForAnotherRidIsAProblem) {
    std::string db = dir.File("rs7.dat");
    ASSERT_TRUE(SaveDatabase(db, 200, {{0xC8010005, {{1, Var("A")}}}}));
    ToolRun run = Run({"check", db});
    ExpectRun(run, 1, run.out,
              {"rs7.dat: the file is named for RID 7 but holds the database of RID 200"});
    for (const char* name : {"rs200.dat", "rs0200.dat", "copy.dat"}) {
        std::string other = dir.File(name);
        WriteAll(other, ReadAll(db));
        EXPECT_EQ(Run({"check", other}).status, 0) << name;
    }
}

}  // namespace
