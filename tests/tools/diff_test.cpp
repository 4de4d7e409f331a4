// zarvqen diff: added, removed and changed entries, field by field.
#include "tools/tool_test_util.h"

namespace {

class ToolDiffTest : public ToolTest {
protected:
    std::string a = dir.File("a.dat");
    std::string b = dir.File("b.dat");
};

TEST_F(ToolDiffTest, IdenticalFilesExitWithZero) {
    std::vector<TestPoint> points = {{0x05010000, {{1, Var("A")}}}};
    ASSERT_TRUE(SaveDatabase(a, 5, points));
    ASSERT_TRUE(SaveDatabase(b, 5, points));
    ToolRun run = Run({"diff", a, b});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.out, "hold the same content"));
}

TEST_F(ToolDiffTest, ChangedDatabasesListPointsAndPropertiesAndExitWithOne) {
    ASSERT_TRUE(SaveDatabase(a, 5,
                             {{0x05010000, {{1, Var("A")}, {3, Var("old")}, {4, Var(1)}}},
                              {0x05010001, {{1, Var("GONE")}}}}));
    ASSERT_TRUE(SaveDatabase(b, 5,
                             {{0x05010000, {{1, Var("A")}, {3, Var("new")}, {5, Var(2.5), 2}}},
                              {0x05020000, {{1, Var("NEW")}}}}));
    ToolRun run = Run({"diff", a, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "~ point 5.1.0.0 (0x05010000)\n"));
    EXPECT_TRUE(Contains(run.out, "    p3: text \"old\" (valid 0) -> text \"new\" (valid 0)\n"));
    EXPECT_TRUE(Contains(run.out, "    - p4: long 1 (valid 0)\n"));
    EXPECT_TRUE(Contains(run.out, "    + p5: double 2.5 (valid 2)\n"));
    EXPECT_TRUE(Contains(run.out, "- point 5.1.0.1 (0x05010001)\n"));
    EXPECT_TRUE(Contains(run.out, "+ point 5.2.0.0 (0x05020000)\n"));
    EXPECT_TRUE(Contains(run.out, "1 added, 1 removed, 1 changed"));
    EXPECT_FALSE(Contains(run.out, "p1: text \"A\"")) << "unchanged properties are not listed";
}

TEST_F(ToolDiffTest, AKindOrValidTypeChangeIsAChange) {
    ASSERT_TRUE(SaveDatabase(a, 5, {{0x05010000, {{4, Var(1)}, {6, Var("x"), 1}}}}));
    ASSERT_TRUE(SaveDatabase(b, 5, {{0x05010000, {{4, Var(1u)}, {6, Var("x"), 2}}}}));
    ToolRun run = Run({"diff", a, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "p4: long 1 (valid 0) -> ulong 1 (valid 0)"));
    EXPECT_TRUE(Contains(run.out, "p6: text \"x\" (valid 1) -> text \"x\" (valid 2)"));
}

TEST_F(ToolDiffTest, CataloguesCompareEntryByEntry) {
    std::string m1 = Xml("m1.xml", "<meta><prop>1,Name,7,,0</prop><prop>2,Old,3,5,0</prop></meta>");
    std::string m2 = Xml("m2.xml",
                         "<meta><prop desc=\"d\">1,Name,7,,0</prop><prop>3,New,3,5,0</prop>"
                         "</meta>");
    ToolRun run = Run({"diff", m1, m2});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "~ prop 1\n    desc: \"\" -> \"d\"\n"));
    EXPECT_TRUE(Contains(run.out, "- prop 2\n"));
    EXPECT_TRUE(Contains(run.out, "+ prop 3\n"));
}

TEST_F(ToolDiffTest, FilesOfDifferentKindsDoNotCompare) {
    ASSERT_TRUE(SaveDatabase(a, 5, {}));
    std::string m = Xml("m.xml", "<meta/>");
    ToolRun run = Run({"diff", a, m});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "only files of one kind compare"));
}

TEST_F(ToolDiffTest, DatabasesOfDifferentRidsDiffer) {
    ASSERT_TRUE(SaveDatabase(a, 5, {}));
    ASSERT_TRUE(SaveDatabase(b, 6, {}));
    ToolRun run = Run({"diff", a, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "~ rid: 5 -> 6"));
}

}  // namespace
