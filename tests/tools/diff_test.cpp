// zarvqen diff: added, removed and changed entries, field by field.
#include "tools/tool_test_util.h"

namespace {

class ToolDiffTest : public ToolTest {};

TEST_F(ToolDiffTest, ExitStatusAndChangedPointsAndPropertiesWithKindAndValidType) {
    std::string a = dir.File("a.dat"), b = dir.File("b.dat");
    ASSERT_TRUE(
        SaveDatabase(a, 5,
                     {{0x05010000, {{1, Var("A")}, {3, Var("old")}, {6, Var(1)}, {7, Var("x"), 1}}},
                      {0x05010001, {{1, Var("GONE")}}}}));
    ASSERT_TRUE(SaveDatabase(
        b, 5,
        {{0x05010000, {{1, Var("A")}, {3, Var("new")}, {6, Var(1u)}, {7, Var("x"), 2}}},
         {0x05020000, {{1, Var("NEW")}}}}));
    ToolRun run = Run({"diff", a, b});
    ExpectRun(run, 1, run.out,
              {"~ point 5.1.0.0 (0x05010000)\n",
               "    p3: text \"old\" (valid 0) -> text \"new\" (valid 0)\n",
               "p6: long 1 (valid 0) -> ulong 1 (valid 0)",
               "p7: text \"x\" (valid 1) -> text \"x\" (valid 2)", "- point 5.1.0.1 (0x05010001)\n",
               "+ point 5.2.0.0 (0x05020000)\n", "1 added, 1 removed, 1 changed"},
              {"p1: text \"A\""});  // unchanged properties are not listed
    EXPECT_EQ(Run({"diff", a, a}).status, 0);
    run = Run({"diff", a, Xml("m.xml", "<meta/>")});
    ExpectRun(run, 2, run.err, {"only files of one kind compare"});
}

}  // namespace
