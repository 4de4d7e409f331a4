// zarvqen dump in its three formats.
#include "tools/tool_test_util.h"

namespace {

class ToolDumpTest : public ToolTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SaveDatabase(db, 200,
                                 {{0xC8010005,
                                   {{1, Var("N_U_L1")},
                                    {5, Var(0.001)},
                                    {401, Var("10.0.0.21:502"), 1},
                                    {499, Var(static_cast<unsigned short>(7)), 3}}}}));
    }
    std::string db = dir.File("rs200.dat");
};

TEST_F(ToolDumpTest, TextShowsGmpidsBothWaysKindsValidTypesAndMetaNames) {
    ToolRun run = Run({"dump", db});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectParts(run.out, {"point 200.1.0.5 (0xC8010005)", "p1 = text \"N_U_L1\" (valid 0)",
                          "p5 = double 0.001 (valid 0)", "p401 = text \"10.0.0.21:502\" (valid 1)",
                          "p499 = ushort 7 (valid 3)"});
    std::string meta = Xml("meta.xml", "<meta><prop>401,IOAddress,7,,0</prop></meta>");
    ExpectParts(Run({"dump", "--meta", meta, db}).out, {"p401 IOAddress = text"});
}

TEST_F(ToolDumpTest, JsonParsesAndCarriesGmpidKindsAndValues) {
    ToolRun run = Run({"dump", "--format", "json", db});
    ASSERT_EQ(run.status, 0) << run.err;
    Json doc;
    ASSERT_TRUE(ParseJson(run.out, doc)) << run.out;
    ASSERT_TRUE(doc.Get("kind") && doc.Get("summary") && doc.Get("entries"));
    EXPECT_EQ(doc.Get("kind")->text, "database");
    EXPECT_EQ(doc.Get("summary")->Get("rid")->number, 200);
    ASSERT_EQ(doc.Get("entries")->items.size(), 1u);
    const Json& point = doc.Get("entries")->items[0];
    EXPECT_EQ(point.Get("key")->text, "200.1.0.5");
    EXPECT_EQ(point.Get("gmpid")->number, 0xC8010005u);
    EXPECT_EQ(point.Get("gmpid_hex")->text, "0xC8010005");
    const Json& fields = *point.Get("fields");
    ASSERT_EQ(fields.items.size(), 4u);
    EXPECT_EQ(fields.items[1].Get("kind_name")->text, "double");
    EXPECT_EQ(fields.items[1].Get("value")->number, 0.001);
    EXPECT_EQ(fields.items[2].Get("valid")->number, 1);
    EXPECT_EQ(fields.items[2].Get("value")->text, "10.0.0.21:502");
}

TEST_F(ToolDumpTest, JsonOfEveryCatalogueParses) {
    std::vector<std::string> files = {
        Xml("m.xml", "<meta><prop par=\"a&quot;b\" desc=\"tab\">1,N\"x,7,line,0</prop></meta>"),
        Xml("d.xml",
            "<driverlib><metadrv module=\"a\"><ai><prop>900,X,5,0.5,0</prop></ai>"
            "</metadrv><metatask module=\"t\"/></driverlib>"),
        Xml("t.xml", "<metatbl><T1><prop>F,0,true,0</prop></T1></metatbl>"),
        Xml("o.xml", "<typeobj><prop desc=\"d\">1,1|2</prop></typeobj>"),
        Xml("p.xml",
            "<pseudos><pseudo id=\"2\"><dat mtno=\"4\" vt=\"6\" val=\"1e300\"/></pseudo>"
            "</pseudos>")};
    for (const std::string& f : files) {
        ToolRun run = Run({"dump", "--format", "json", f});
        EXPECT_EQ(run.status, 0) << f << run.err;
        Json doc;
        EXPECT_TRUE(ParseJson(run.out, doc)) << f << "\n" << run.out;
    }
}

TEST_F(ToolDumpTest, CsvHasOneRowPerField) {
    ToolRun run = Run({"dump", "--format", "csv", db});
    EXPECT_EQ(run.status, 0);
    ExpectParts(run.out, {"section,key,gmpid,field,label,kind,valid,value\n",
                          "point,200.1.0.5,0xC8010005,p5,,double,0,0.001\n",
                          "point,200.1.0.5,0xC8010005,p499,,ushort,3,7\n"});
}

TEST_F(ToolDumpTest, ADamagedDatabaseCannotBeDumped) {
    std::string bytes = ReadAll(db);
    WriteAll(db, bytes.substr(0, bytes.size() / 2));
    ToolRun run = Run({"dump", db});
    EXPECT_EQ(run.status, 2);
    ExpectParts(run.err, {"rs200.dat"});
}

}  // namespace
