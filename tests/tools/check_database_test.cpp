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

}  // namespace
