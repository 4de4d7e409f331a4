// Values served through the driver: each value operation is the engine's,
// with the engine's results. How the engine resolves references is tested
// with the engine.
#include <gtest/gtest.h>

#include "driver_test_util.h"
#include "host/zarvkernel/grp_data.h"

namespace {

using namespace driver_test;

TEST(QENDriverValuesTest, AnswersAreTheEnginesForEveryKindOfPoint) {
    auto engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    auto driver = CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    for (unsigned char rid : {5, 200}) ASSERT_TRUE(engine->CreateConfigDB(rid, 0));
    const char* kName = "qen-driver-values.P";
    // A named source, a point reading through it, a direct point, a point
    // naming nobody, a RID with no live values and the no-point GMPID.
    const unsigned long source = 0x05010001, ref = 0xC8022002, direct = 0xC8022001;
    const struct { unsigned long gmpid; const char* name; const char* refersTo; } points[] = {
        {source, kName, nullptr}, {ref, nullptr, kName}, {direct, nullptr, nullptr},
        {0xC8022003, nullptr, "qen-driver-values.nobody"}};
    for (const auto& p : points) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(p.gmpid));
        if (p.name) info->InsertMPProp(1, _zarvVAR(p.name), 0);
        if (p.refersTo) info->InsertMPProp(CZARVQENDbEngine::kRefProp, _zarvVAR(p.refersTo), 0);
        ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    }
    CZARVMPInfo own(0x00030000);
    ASSERT_TRUE(driver->Create(own));
    const CMPQuality good;
    const CZARVTime stamp{1700000000123};
    ASSERT_NE(engine->WriteValue(source, Var(8L), good, stamp), 0u);
    ASSERT_NE(engine->WriteValue(direct, _zarvVAR("G1|3:9;"), good, stamp), 0u);
    for (unsigned long g : {source, ref, direct, 0xC8022003UL, 0x09000001UL, 0xFFFFFFFFUL}) {
        SCOPED_TRACE(::testing::Message() << std::hex << g);
        _zarvVAR v1("untouched"), v2("untouched");
        CMPQuality q1(CMPQuality::QUALITY_BLOCKED), q2(CMPQuality::QUALITY_BLOCKED);
        CZARVTime t1(5), t2(5);
        EXPECT_EQ(driver->ReadValue(g, v1, q1, t1), engine->ReadValue(g, v2, q2, t2));
        EXPECT_EQ(std::make_tuple(v1, q1, t1), std::make_tuple(v2, q2, t2));
        EXPECT_EQ(driver->ReadSGValue(g, 0, v1), engine->ReadSGValue(g, 0, v2));
        EXPECT_EQ(v1, v2);
        CZARVGRPData d1, d2;
        EXPECT_EQ(driver->ReadSGValue(g, d1, q1, t1), engine->ReadSGValue(g, d2, q2, t2));
        EXPECT_EQ(d1, d2);
        // Writes compared on the second write of the same value, which both
        // see in the same state.
        driver->WriteValue(g, Var(4L), good, stamp);
        EXPECT_EQ(driver->WriteValue(g, Var(4L), good, stamp),
                  engine->WriteValue(g, Var(4L), good, stamp));
        EXPECT_EQ(driver->WriteSGValue(g, 1, Var(5L)), engine->WriteSGValue(g, 1, Var(6L)));
        driver->WriteSGValue(g, d1, good, stamp);
        EXPECT_EQ(driver->WriteSGValue(g, d1, good, stamp),
                  engine->WriteSGValue(g, d1, good, stamp));
    }
}

}  // namespace
