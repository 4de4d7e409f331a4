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

TEST_F(ToolDumpTest, TextJsonAndCsvCarryGmpidsKindsValidTypesAndEscapedValues) {
    ToolRun run = Run({"dump", db});
    ExpectRun(run, 0, run.out,
              {"point 200.1.0.5 (0xC8010005)", "p1 = text \"N_U_L1\" (valid 0)",
               "p5 = double 0.001 (valid 0)", "p499 = ushort 7 (valid 3)"});
    run = Run({"dump", "--format", "json", db});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(
        run.out,
        {"\"rid\": 200", "\"gmpid\": 3355508741", "\"gmpid_hex\": \"0xC8010005\"",
         "\"kind_name\": \"double\",\n          \"valid\": 0,\n          \"value\": 0.001"});
    run = Run({"dump", "--format", "csv", db});
    ExpectRun(run, 0, run.out,
              {"section,key,gmpid,field,label,kind,valid,value\n",
               "point,200.1.0.5,0xC8010005,p499,,ushort,3,7\n"});
    run = Run({"dump", "--format", "json",
               Xml("m.xml", "<meta><prop desc=\"a&#9;b\">1,N\"x,7,line,0</prop></meta>")});
    ExpectParts(run.out, {"N\\\"x", "a\\tb"}, {"a\tb"});  // texts escaped
}

// JSON is UTF-8: a text of other bytes goes out as its bytes in hexadecimal.
TEST_F(ToolDumpTest, JsonCarriesTextsThatAreNotUtf8AsHexBytesAndPassesUtf8Through) {
    ASSERT_TRUE(SaveDatabase(db, 200,
                             {{0xC8010005,
                               {{1, Var("A\xFF"
                                        "B")},
                                {2, Var("\xC0\x80")},          // overlong NUL
                                {3, Var("\xED\xA0\x80")},      // a surrogate
                                {4, Var("\xF4\x90\x80\x80")},  // above U+10FFFF
                                {5, Var("x\xE2\x82")},         // cut short
                                {6, Var("\xE2\x82\xAC \xF0\x90\x8D\x88 \xC3\xBC")}}}}));
    ToolRun run = Run({"dump", "--format", "json", db});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectParts(
        run.out,
        {"\"value\": {\"bytes_hex\": \"41FF42\"}", "\"value\": {\"bytes_hex\": \"C080\"}",
         "\"value\": {\"bytes_hex\": \"EDA080\"}", "\"value\": {\"bytes_hex\": \"F4908080\"}",
         "\"value\": {\"bytes_hex\": \"78E282\"}",
         "\"value\": \"\xE2\x82\xAC \xF0\x90\x8D\x88 \xC3\xBC\""},
        {"\xFF"});
}

}  // namespace
