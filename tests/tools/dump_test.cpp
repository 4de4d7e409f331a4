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
    EXPECT_TRUE(IsJson(run.out)) << run.out;
    ExpectParts(run.out, {"\"kind\": \"database\"", "\"rid\": 200", "\"key\": \"200.1.0.5\"",
                          "\"gmpid\": 3355508741", "\"gmpid_hex\": \"0xC8010005\"",
                          "\"kind_name\": \"double\",\n          \"valid\": 0,\n          \"value\": 0.001",
                          "\"valid\": 1,\n          \"value\": \"10.0.0.21:502\""});
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
    ASSERT_FALSE(IsJson("{\"a\": [1,]}") || IsJson("\"tab\there\"") || IsJson("{} x"));
    for (const std::string& f : files) {
        ToolRun run = Run({"dump", "--format", "json", f});
        EXPECT_EQ(run.status, 0) << f << run.err;
        EXPECT_TRUE(IsJson(run.out)) << f << "\n" << run.out;
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
