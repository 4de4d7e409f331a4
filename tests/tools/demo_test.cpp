// zarvqen demo: the sample installation is written, loads back, serves
// values and checks clean.
#include "tools/tool_test_util.h"

namespace {

class ToolDemoTest : public ToolTest {};

TEST_F(ToolDemoTest, WritesEveryFileServesValuesAndChecksClean) {
    std::string folder = dir.File("demo");
    ToolRun run = Run({"demo", folder});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const char* name : {"meta.xml", "driverlib.xml", "typeobj.xml", "metatbl.xml",
                             "pseudos.xml", "rs5.dat", "rs200.dat", "rs130.dat"})
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + name)) << name;
    EXPECT_TRUE(Contains(run.out, "51 properties"));
    EXPECT_TRUE(Contains(run.out, "2 drivers, 1 service, 1 task"));
    EXPECT_TRUE(Contains(run.out, "130.0.1.0 (0x82001000)   -> N_U_L1  20.91 kV"));
    EXPECT_TRUE(Contains(run.out, "10.0.0.21:502   6 points"));
    EXPECT_TRUE(Contains(run.out, "all 8 files are clean"));

    ToolRun check = Run({"check", "--meta", folder + "/meta.xml", folder + "/meta.xml",
                         folder + "/driverlib.xml", folder + "/rs200.dat"});
    EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(ToolDemoTest, PrintsTheSameAccountEveryTime) {
    ToolRun first = Run({"demo", dir.File("one")});
    ToolRun second = Run({"demo", dir.File("two")});
    ASSERT_EQ(first.status, 0);
    std::string a = first.out, b = second.out;
    for (std::string* s : {&a, &b}) {
        for (size_t at; (at = s->find(dir.path())) != std::string::npos;)
            s->replace(at, dir.path().size() + 4, "DIR");
    }
    EXPECT_EQ(a, b);
}

}  // namespace
