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
    EXPECT_TRUE(Contains(run.out, "configuration database"));
    EXPECT_TRUE(Contains(run.out, "rid         200"));
    EXPECT_TRUE(Contains(run.out, "groups      2: 1 (2 points), 7 (1 point)"));
    EXPECT_TRUE(Contains(run.out, "points      3"));
    EXPECT_TRUE(Contains(run.out, "properties  4 (3 numbers: 1 5 401)"));
    EXPECT_TRUE(Contains(run.out, "checksum    ok"));
}

TEST_F(ToolInfoTest, DatabaseWithABrokenChecksumSaysSo) {
    std::string db = dir.File("rs3.dat");
    ASSERT_TRUE(SaveDatabase(db, 3, {{0x03000001, {{1, Var("A")}}}}));
    std::string bytes = ReadAll(db);
    bytes[bytes.size() - 1] ^= 0x5A;
    WriteAll(db, bytes);
    ToolRun run = Run({"info", db});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.out, "checksum    MISMATCH"));
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
    EXPECT_TRUE(Contains(run.out, "m.xml: meta property table"));
    EXPECT_TRUE(Contains(run.out, "ids         1 to 401"));
    EXPECT_TRUE(Contains(run.out, "d.xml: driver library"));
    EXPECT_TRUE(Contains(run.out, "drivers     1"));
    EXPECT_TRUE(Contains(run.out, "services    1"));
    EXPECT_TRUE(Contains(run.out, "t.xml: meta tables"));
    EXPECT_TRUE(Contains(run.out, "tables      2"));
    EXPECT_TRUE(Contains(run.out, "o.xml: typed object table"));
    EXPECT_TRUE(Contains(run.out, "meta numbers 3"));
    EXPECT_TRUE(Contains(run.out, "p.xml: pseudo definitions"));
    EXPECT_TRUE(Contains(run.out, "values      1"));
}

TEST_F(ToolInfoTest, KindOptionReadsAFileWhoseRootIsUnusual) {
    std::string odd = Xml("odd.xml", "<props><prop>7,Name,7,,0</prop></props>");
    EXPECT_EQ(Run({"info", odd}).status, 2);
    ToolRun run = Run({"info", "--kind", "meta", odd});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "properties  1"));
}

TEST_F(ToolInfoTest, AnEmptyCatalogueIsRecognisedAsSuch) {
    CZARVPseudos empty;
    ASSERT_TRUE(empty.SaveToFile(dir.File("e.xml").c_str(), "1.0", "UTF-8"));
    ToolRun run = Run({"info", dir.File("e.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "empty catalogue"));
}

}  // namespace
