// zarvqen info: each file recognised and summarised.
#include "tools/tool_test_util.h"

namespace {

class ToolInfoTest : public ToolTest {};

TEST_F(ToolInfoTest, DatabaseShowsRidGroupsPointsPropertiesAndChecksum) {
    std::string db = dir.File("rs200.dat");
    ASSERT_TRUE(SaveDatabase(db, 200,
                             {{0xC8010000, {{1, Var("A")}, {401, Var("COM1"), 1}}},
                              {0xC8010001, {{1, Var("B")}}},
                              {0xC8070000, {{5, Var(1.5)}}}}));
    ToolRun run = Run({"info", db});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"configuration database", "rid         200",
                          "groups      2: 1 (2 points), 7 (1 point)", "points      3",
                          "properties  4 (3 numbers: 1 5 401)", "checksum    ok"});
    std::string bytes = ReadAll(db);
    bytes.back() ^= 0x5A;
    WriteAll(db, bytes);
    run = Run({"info", db});
    EXPECT_EQ(run.status, 0);
    ExpectParts(run.out, {"checksum    MISMATCH"});
}

TEST_F(ToolInfoTest, CataloguesAreRecognisedByTheirRootAndCounted) {
    std::string meta =
        Xml("m.xml", "<meta><prop>1,Name,7,,0</prop><prop>401,IO,7,,0</prop></meta>");
    std::string lib = Xml("d.xml",
                          "<driverlib><metadrv module=\"a\"><ai><prop>900,X,3,1,0</prop></ai>"
                          "</metadrv><metasrv module=\"s\"/></driverlib>");
    std::string tbl = Xml("t.xml", "<metatbl><T1><prop>F,3,1,0</prop></T1><T2/></metatbl>");
    std::string obj = Xml("o.xml", "<typeobj><prop>1,1|2|3</prop></typeobj>");
    std::string psd = Xml("p.xml",
                          "<pseudos><pseudo id=\"1\"><dat mtno=\"4\" vt=\"7\" val=\"kV\"/>"
                          "</pseudo></pseudos>");
    ToolRun run = Run({"info", meta, lib, tbl, obj, psd});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"m.xml: meta property table", "ids         1 to 401",
                          "d.xml: driver library", "drivers     1", "services    1",
                          "t.xml: meta tables", "tables      2", "o.xml: typed object table",
                          "meta numbers 3", "p.xml: pseudo definitions", "values      1"});
}

TEST_F(ToolInfoTest, KindOptionReadsAFileWhoseRootIsUnusual) {
    std::string odd = Xml("odd.xml", "<props><prop>7,Name,7,,0</prop></props>");
    EXPECT_EQ(Run({"info", odd}).status, 2);
    ToolRun run = Run({"info", "--kind", "meta", odd});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"properties  1"});
}

TEST_F(ToolInfoTest, AnEmptyCatalogueIsRecognisedAsSuch) {
    CZARVPseudos empty;
    ASSERT_TRUE(empty.SaveToFile(dir.File("e.xml").c_str(), "1.0", "UTF-8"));
    ToolRun run = Run({"info", dir.File("e.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"empty catalogue"});
}

}  // namespace
