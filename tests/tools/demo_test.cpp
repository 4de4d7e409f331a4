// zarvqen demo: the sample installation is written, loads back, serves
// values and checks clean, and the account is the same every time.
#include "tools/tool_test_util.h"

namespace {

class ToolDemoTest : public ToolTest {};

TEST_F(ToolDemoTest, WritesEveryFileServesValuesChecksCleanAndRepeatsItself) {
    std::string folder = dir.File("demo");
    ToolRun run = Run({"demo", folder});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ExpectParts(run.out, {"51 properties", "2 drivers, 1 service, 1 task",
                          "130.0.1.0 (0x82001000)   -> N_U_L1  20.91 kV",
                          "10.0.0.21:502   6 points", "all 8 files are clean"});
    ToolRun check = Run({"check", "--meta", folder + "/meta.xml", folder + "/rs200.dat"});
    EXPECT_EQ(check.status, 0) << check.out;
    ExpectParts(check.out, {"ok (configuration database of RID 200, 12 points load)"});

    ToolRun again = Run({"demo", dir.File("demz")});  // a folder name of the same length
    std::string a = run.out, b = again.out;
    for (size_t at; (at = b.find("/demz")) != std::string::npos;) b.replace(at, 5, "/demo");
    EXPECT_EQ(a, b);
}

TEST_F(ToolDemoTest, RefusesAFolderHoldingItsFilesAndNamesThem) {
    std::string folder = dir.File("site");
    ::mkdir(folder.c_str(), 0755);
    WriteAll(folder + "/rs200.dat", "the only copy");
    WriteAll(folder + "/meta.xml", "<meta/>");
    ExpectRefused(Run({"demo", folder}),
                  {folder + " already holds meta.xml, rs200.dat", "--force"});
    EXPECT_EQ(ReadAll(folder + "/rs200.dat"), "the only copy");
    EXPECT_FALSE(std::filesystem::exists(folder + "/rs5.dat"));

    ToolRun run = Run({"demo", folder, "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadAll(folder + "/rs200.dat"), "the only copy");
}

}  // namespace
