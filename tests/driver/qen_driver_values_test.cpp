// Values served through the driver: each value operation is the engine's,
// with the engine's results, for every kind of point. How the engine
// resolves references is tested with the engine.
#include <gtest/gtest.h>

#include <vector>

#include "driver_test_util.h"
#include "host/zarvkernel/grp_data.h"

namespace {

using namespace driver_test;

// The source point P (RID 5) and the points that read through it.
constexpr unsigned long kSource = 0x05010001;
constexpr unsigned long kRef130 = 0x82011001;  // RID 130, block 1, names P
constexpr unsigned long kRef200 = 0xC8022002;  // RID 200, block 2, names P
constexpr unsigned long kDirect = 0xC8022001;  // RID 200, block 2, direct
constexpr const char* kSourceName = "qen-driver-values.P";

class QENDriverValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (unsigned char rid : {5, 130, 200}) ASSERT_TRUE(engine->CreateConfigDB(rid, 0));
        const struct {
            unsigned long gmpid;
            const char* name;
            const char* refersTo;
        } points[] = {
            {kSource, kSourceName, nullptr},
            {kRef130, nullptr, kSourceName},
            {0x82011002, nullptr, nullptr},                     // block 1 that names nothing
            {0x82011003, nullptr, "qen-driver-values.nobody"},  // unknown name
            {kDirect, nullptr, nullptr},
            {kRef200, nullptr, kSourceName},
            {0x82010004, nullptr, kSourceName},  // block 0 reads directly
        };
        for (const auto& p : points) {
            CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(p.gmpid));
            if (p.name) info->InsertMPProp(1, _zarvVAR(p.name), 0);
            if (p.refersTo) info->InsertMPProp(CZARVQENDbEngine::kRefProp, _zarvVAR(p.refersTo), 0);
            ASSERT_TRUE(engine->InsertMPInfo(info.get()));
            gmpids.push_back(p.gmpid);
        }
        gmpids.push_back(0x09000001);  // RID 9 has no live values
        gmpids.push_back(0xFFFFFFFFUL);
        CZARVMPInfo own(0x00030000);
        ASSERT_TRUE(driver->Create(own));
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVQENDriver> driver =
        CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    std::vector<unsigned long> gmpids;
    const CMPQuality good;
    const CZARVTime stamp{1700000000123};
};

TEST_F(QENDriverValuesTest, AnswersAreTheEnginesForEveryPoint) {
    ASSERT_NE(engine->WriteValue(kSource, Var(8L), good, stamp), 0u);
    ASSERT_NE(engine->WriteValue(kDirect, _zarvVAR("G1|3:9;"), good, stamp), 0u);
    for (unsigned long g : gmpids) {
        SCOPED_TRACE(::testing::Message() << std::hex << g);
        _zarvVAR v1("untouched"), v2("untouched");
        CMPQuality q1(CMPQuality::QUALITY_BLOCKED), q2(CMPQuality::QUALITY_BLOCKED);
        CZARVTime t1(5), t2(5);
        EXPECT_EQ(driver->ReadValue(g, v1, q1, t1), engine->ReadValue(g, v2, q2, t2));
        EXPECT_EQ(std::make_tuple(v1, q1, t1), std::make_tuple(v2, q2, t2));
        EXPECT_EQ(driver->ReadSGValue(g, 0, v1), engine->ReadSGValue(g, 0, v2));
        EXPECT_EQ(v1, v2);
        CZARVGRPData d1, d2;
        d1.Add(Var(1L));
        d2.Add(Var(1L));
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
