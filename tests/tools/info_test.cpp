// zarvqen info: each file recognised and summarised.
#include "tools/tool_test_util.h"

namespace {

class ToolInfoTest : public ToolTest {};

TEST_F(ToolInfoTest, EachFileIsRecognisedAndSummarised) {
    std::string db = dir.File("rs200.dat");
    ASSERT_TRUE(SaveDatabase(db, 200,
                             {{0xC8010000, {{1, Var("A")}, {401, Var("COM1"), 1}}},
                              {0xC8010001, {{1, Var("B")}}},
                              {0xC8070000, {{5, Var(1.5)}}}}));
    ToolRun run = Run({"info", db});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string size = "size         " + std::to_string(ReadAll(db).size()) + " bytes\n";
    ExpectParts(run.out, {"rid          200", "groups       2: 1 (2 points), 7 (1 point)",
                          "properties   4 (3 numbers: 1 5 401)", "checksum     ok", size});
    // Read from standard input, the same database has the same size.
    ExpectParts(Run({"info", "-"}, ToolShell::In(db)).out, {"-: configuration database", size});
    std::string lib =
        Xml("d.xml", "<driverlib><metadrv module=\"a\"/><metasrv module=\"s\"/></driverlib>");
    ExpectParts(Run({"info", lib}).out,
                {"d.xml: driver library", "drivers      1", "services     1"});
    std::string odd = Xml("odd.xml", "<props><prop>7,Name,7,,0</prop></props>");
    ExpectParts(Run({"info", "--kind", "meta", odd}).out, {"properties   1"});
}

}  // namespace
