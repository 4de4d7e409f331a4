// zarvqen check on catalogue files: what a loader passes over or drops is a
// finding with its line and status 1, a note keeps status 0. (The loaders'
// texts are the catalogue tests'; clean files the demo's test.)
#include "tools/tool_test_util.h"

namespace {

class ToolCheckCatalogueTest : public ToolTest {};

// Each case: the exit status, a file, the lines its report must hold and
// must not hold.
struct CheckCase {
    int status;
    const char* name;
    std::string body;
    std::vector<std::string> lines;
    std::vector<std::string> absent = {};
};

TEST_F(ToolCheckCatalogueTest, EveryProblemIsReportedWithItsLine) {
    const std::string lib_valid =
        "<driverlib><metadrv module=\"m\"><ai><prop "
        "valid=\"2\">900,A,3,1,0</prop></ai></metadrv></driverlib>";
    // clang-format off
    const CheckCase cases[] = {
        {1, "d.xml", "<driverlib>\n<metadrv module=\"m\">\n<ai><prop>905,A,6,1.5,0</prop></ai>\n"
                     "<protocol><prop>905,C,6,1.5,0</prop></protocol>\n<taskpar/>\n</metadrv>\n"
                     "<metasrv module=\"s\"><par><prop>905,P,3,1,0</prop></par></metasrv>\n</driverlib>",
         {"d.xml:5: prop 905 of category 'protocol'", "d.xml:6: element <taskpar> passed over",
          "d.xml:8: prop 905 of the parameters of service"}, {"d.xml:4:"}},
        {0, "d.xml", lib_valid, {"note: prop 900: the driver library ignores the \"valid\""}},
        {0, "m.xml", "<meta>\n<prop>1,Name,7,,0</prop>\n<prop>2,Name,7,,0</prop>\n</meta>\n",
         {"m.xml:4: note: prop 2: its meta name \"Name\""}},
        {1, "p.xml", "<pseudos>\n<pseudo id=\"1\">\n<dat mtno=\"4\" vt=\"7\" val=\"kV\"/>\n"
                     "<dat mtno=\"4\" vt=\"7\" val=\"A\"/>\n</pseudo>\n</pseudos>",
         {"p.xml:5: pseudo 1, meta number 4 dropped"}},
    };
    // clang-format on
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.body);
        ToolRun run = Run({"check", Xml(c.name, c.body)});
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        ExpectParts(run.out, c.lines, c.absent);
    }
}

// --meta takes only a meta property table: the table's loader would read
// any other XML document as an empty table.
TEST_F(ToolCheckCatalogueTest, AMetaOptionNamingAnotherKindOfFileIsAUsageError) {
    std::string db = dir.File("rs7.dat");
    ASSERT_TRUE(SaveDatabase(db, 7, {{0x07010005, {{1, Var("A")}}}}));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Xml("d.xml", "<driverlib/>"), "is a driver library, not a meta property table"},
        {Xml("x.xml", "<x><y/></x>"),
         "is not a meta property table: its root element <x> holds no <prop> elements"},
        {db, "is a configuration database, not a meta property table"}};
    for (const auto& [meta, why] : cases) {
        for (const char* command : {"check", "dump", "export-csv"}) {
            SCOPED_TRACE(command);
            ExpectRefused(Run({command, "--meta", meta, db}), {"--meta " + meta + ": " + why});
        }
    }
    // A table under another root element still serves.
    std::string odd = Xml("odd.xml", "<props><prop>1,Label,7,,0</prop></props>");
    EXPECT_EQ(Run({"check", "--meta", odd, db}).status, 0);
}

}  // namespace
