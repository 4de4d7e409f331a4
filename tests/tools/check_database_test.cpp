// zarvqen check on a configuration database: records and properties a load
// drops, with byte offsets.
#include "tools/tool_test_util.h"

namespace {

class ToolCheckDatabaseTest : public ToolTest {};

TEST_F(ToolCheckDatabaseTest, ASecondRecordOfAGmpidAndASecondPropertyAreDropped) {
    std::string db = dir.File("rs200.dat");
    RawDatabase raw(db, 200, 2);
    raw.Group(1, 1).Record(5).Prop(1, 0, Var("first")).Prop(3, 0, Var("one")).Prop(3, 2, Var("two")).End();
    raw.Group(1, 1).Record(5).Prop(1, 0, Var("second")).End();
    ASSERT_TRUE(raw.Close());
    ToolRun run = Run({"check", db});
    EXPECT_EQ(run.status, 1);
    ExpectParts(run.out, {"point 200.1.0.5 (0xC8010005) dropped: the GMPID is already used by the point at offset 7",
                          "1 of 2 points load",
                          "point 200.1.0.5 (0xC8010005): property 3 given twice; the load keeps the first and "
                          "drops text \"two\""});
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
    ExpectParts(run.out, {"note", "property 401: valid type 5 from the meta property table does not fit a "
                          "record (0 to 3); the load keeps the stored valid type 1"});
}

}  // namespace
