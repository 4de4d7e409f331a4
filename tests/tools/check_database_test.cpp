// zarvqen check on a configuration database: records and properties a load
// drops, with byte offsets.
#include "tools/tool_test_util.h"

namespace {

class ToolCheckDatabaseTest : public ToolTest {};

TEST_F(ToolCheckDatabaseTest, ASecondRecordOfAGmpidAndASecondPropertyAreDropped) {
    std::string db = dir.File("rs200.dat");
    RawDatabase raw(db, 200, 2);
    raw.Group(1, 1)
        .Record(5)
        .Prop(1, 0, Var("first"))
        .Prop(3, 0, Var("one"))
        .Prop(3, 2, Var("two"))
        .End();
    raw.Group(1, 1).Record(5).Prop(1, 0, Var("second")).End();
    ASSERT_TRUE(raw.Close());
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    // Offsets: header 4 bytes, group header 3, so the first record at 7; a
    // property takes its code (2) and a text 8 plus its length.
    ExpectParts(
        run.out,
        {"rs200.dat@55: point 0xC8010005 dropped: its GMPID is already stored (offset 7)",
         "note: 1 of 2 records stored", "(configuration database of RID 200, 1 point loads)",
         "rs200.dat@37: point 0xC8010005: property 3 given twice; the first is kept, this "
         "value is dropped: two (kind 7)"});
}

// A meta valid type outside 0 to 3 cannot be applied: the load keeps the
// stored one, so the value stays and the check only notes it.
TEST_F(ToolCheckDatabaseTest, AMetaValidTypeARecordCannotHoldIsANoteAndTheValueStays) {
    std::string db = dir.File("rs200.dat");
    RawDatabase raw(db, 200, 1);
    raw.Group(1, 1).Record(5).Prop(401, 1, Var("COM1")).End();
    ASSERT_TRUE(raw.Close());
    std::string meta = Xml("m.xml", "<meta><prop valid=\"5\">401,IO,7,,0</prop></meta>");
    ToolRun run = Run({"check", "--meta", meta, db});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    ExpectParts(run.out, {"note",
                          "property 401: valid type 5 from the meta property table does not fit a "
                          "record (0 to 3); the stored valid type 1 is kept"});
}

// The IO index refuses a second point of an address only in a database of
// type 1, 2 or 3; --type sets the type the check loads with.
TEST_F(ToolCheckDatabaseTest, ASecondPointOfAnIOAddressIsDroppedOnlyWhenTheTypeIndexesIt) {
    std::string db = dir.File("rs200.dat");
    RawDatabase raw(db, 200, 1);
    raw.Group(1, 2).Record(1).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
    raw.Record(2).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
    ASSERT_TRUE(raw.Close());
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(
        run.out,
        {"rs200.dat@33: point 0xC8010002 dropped: its IO address \"a$b\" is already indexed by "
         "point 0xC8010001 (offset 7)"});
    EXPECT_EQ(Run({"check", "--type", "0", db}).status, 0);
}

TEST_F(ToolCheckDatabaseTest, AFlippedByteIsAChecksumMismatchAndInfoAndDumpSayTheFileIsRefused) {
    std::string db = dir.File("rs200.dat");
    ASSERT_TRUE(SaveDatabase(db, 200, {{0xC8010005, {{1, Var("A")}}}}));
    std::string bytes = ReadAll(db);
    bytes[9] ^= 0x10;
    WriteAll(db, bytes);
    std::string at = "rs200.dat@" + std::to_string(bytes.size() - 4) + ": ";
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {at + "checksum mismatch: the whole file is refused",
                          "(configuration database of RID 200, refused)"});
    run = Run({"info", db});
    EXPECT_EQ(run.status, 1);  // a file the library refuses
    ExpectParts(run.out, {"load         REFUSED: checksum mismatch"}, {"checksum     ok"});
    run = Run({"dump", db});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"checksum mismatch"});
}

// A load of RID 7 reads rs7.dat of its folder: one holding RID 200 fails it.
TEST_F(ToolCheckDatabaseTest, AFileNamedForAnotherRidIsAProblem) {
    std::string db = dir.File("rs7.dat");
    ASSERT_TRUE(SaveDatabase(db, 200, {{0xC8010005, {{1, Var("A")}}}}));
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"rs7.dat: the file is named for RID 7 but holds the database of RID "
                          "200: a load of RID 7 from its folder refuses it"});
    for (const char* name : {"rs200.dat", "rs0200.dat", "copy.dat"}) {
        std::string other = dir.File(name);
        WriteAll(other, ReadAll(db));
        run = Run({"check", other});
        EXPECT_EQ(run.status, 0) << name << "\n" << run.out;
    }
}

}  // namespace
