// Values served through the driver: each value operation reaches the
// engine's live values, references resolved, with the engine's results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/qen_driver.h"
#include "driver_test_util.h"
#include "engine/db_engine.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvkernel/zarv_time.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

using driver_test::Long;

// The source point P (RID 5) and the points that read through it.
constexpr unsigned long kSource = 0x05010001;
constexpr unsigned long kRef130 = 0x82011001;        // RID 130, block 1, names P
constexpr unsigned long kUnnamed130 = 0x82011002;    // RID 130, block 1, names nothing
constexpr unsigned long kDangling130 = 0x82011003;   // RID 130, block 1, unknown name
constexpr unsigned long kDirect200 = 0xC8022001;     // RID 200, block 2, direct
constexpr unsigned long kRef200 = 0xC8022002;        // RID 200, block 2, names P
constexpr unsigned long kBlockZero130 = 0x82010004;  // RID 130, block 0, names P
constexpr unsigned long kNoDatabase = 0x09000001;    // RID 9 has no live values
constexpr const char* kSourceName = "qen-driver-values.P";

class QENDriverValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine->CreateConfigDB(5, 0));
        ASSERT_TRUE(engine->CreateConfigDB(130, 0));
        ASSERT_TRUE(engine->CreateConfigDB(200, 0));
        ASSERT_TRUE(Insert(kSource, kSourceName, nullptr));
        ASSERT_TRUE(Insert(kRef130, nullptr, kSourceName));
        ASSERT_TRUE(Insert(kUnnamed130, nullptr, nullptr));
        ASSERT_TRUE(Insert(kDangling130, nullptr, "qen-driver-values.nobody"));
        ASSERT_TRUE(Insert(kDirect200, nullptr, nullptr));
        ASSERT_TRUE(Insert(kRef200, nullptr, kSourceName));
        ASSERT_TRUE(Insert(kBlockZero130, nullptr, kSourceName));

        CZARVPtr<CZARVMPInfo> own = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x00030000));
        ASSERT_TRUE(driver->Create(*own));
    }

    // A point with an optional reference name (1) and an optional name of
    // the point it reads through (499).
    bool Insert(unsigned long gmpid, const char* name, const char* refersTo) {
        CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
        if (name) info->InsertMPProp(1, _zarvVAR(name), 0);
        if (refersTo) info->InsertMPProp(CZARVQENDbEngine::kRefProp, _zarvVAR(refersTo), 0);
        return engine->InsertMPInfo(info.get());
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVQENDriver> driver =
        CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    const CMPQuality good;
    const CZARVTime stamp{1700000000123};
};

TEST_F(QENDriverValuesTest, WrittenValueIsReadBackWithQualityAndTime) {
    EXPECT_EQ(driver->WriteValue(kSource, Long(42), good, stamp), CZARVSubRtdb::WRITE_CHANGED);
    EXPECT_EQ(driver->WriteValue(kSource, Long(42), good, stamp), CZARVSubRtdb::WRITE_UNCHANGED);

    _zarvVAR value;
    CMPQuality quality(CMPQuality::QUALITY_INVALID);
    CZARVTime time;
    ASSERT_TRUE(driver->ReadValue(kSource, value, quality, time));
    EXPECT_EQ(static_cast<long>(value), 42);
    EXPECT_TRUE(quality.IsGood());
    EXPECT_EQ(time, stamp);
}

TEST_F(QENDriverValuesTest, ReferencePointsReadTheirSource) {
    const CMPQuality substituted(CMPQuality::QUALITY_SUBSTITUTED);
    ASSERT_NE(driver->WriteValue(kSource, _zarvVAR("on"), substituted, stamp), 0u);
    ASSERT_NE(driver->WriteValue(kDirect200, Long(-7), good, stamp), 0u);

    for (unsigned long gmpid : {kRef130, kRef200}) {
        _zarvVAR value;
        CMPQuality quality;
        CZARVTime time;
        ASSERT_TRUE(driver->ReadValue(gmpid, value, quality, time)) << std::hex << gmpid;
        EXPECT_EQ(static_cast<_zarv_str>(value), "on");
        EXPECT_EQ(quality, substituted);
        EXPECT_EQ(time, stamp);
    }

    _zarvVAR direct;
    CMPQuality quality;
    CZARVTime time;
    ASSERT_TRUE(driver->ReadValue(kDirect200, direct, quality, time));
    EXPECT_EQ(static_cast<long>(direct), -7);
}

TEST_F(QENDriverValuesTest, ReadsThatCannotResolveFailAndLeaveTheOutputs) {
    ASSERT_NE(driver->WriteValue(kSource, Long(1), good, stamp), 0u);
    // RID 130, block 1: the reference is required; block 0 is read directly
    // and has no live value of its own.
    for (unsigned long gmpid : {kUnnamed130, kDangling130, kBlockZero130, kNoDatabase}) {
        _zarvVAR value("untouched");
        CMPQuality quality(CMPQuality::QUALITY_BLOCKED);
        CZARVTime time(5);
        EXPECT_FALSE(driver->ReadValue(gmpid, value, quality, time)) << std::hex << gmpid;
        EXPECT_EQ(static_cast<_zarv_str>(value), "untouched");
        EXPECT_EQ(quality.GetValue(), CMPQuality::QUALITY_BLOCKED);
        EXPECT_EQ(time.GetMilliseconds(), 5);
    }
}

TEST_F(QENDriverValuesTest, WritesGoToTheGivenPointNeverToItsSource) {
    // The unnamed RID 130 point has a live value there, so RID 130 has a
    // live-value database; the reference point itself has no value.
    EXPECT_EQ(driver->WriteValue(kRef130, Long(3), good, stamp), CZARVSubRtdb::WRITE_UNKNOWN);
    EXPECT_EQ(driver->WriteValue(kUnnamed130, Long(3), good, stamp), CZARVSubRtdb::WRITE_CHANGED);
    EXPECT_EQ(driver->WriteValue(kNoDatabase, Long(3), good, stamp), 0u);

    // The source was never written.
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    ASSERT_TRUE(driver->ReadValue(kSource, value, quality, time));
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_TRUE(quality.Has(CMPQuality::QUALITY_NOT_INIT));
}

TEST_F(QENDriverValuesTest, GroupValuesTravelWholeAndByIndex) {
    CZARVGRPData group;
    group.Add(Long(10));
    group.Add(_zarvVAR("b|c;"));
    group.Add(Long(30));
    EXPECT_EQ(driver->WriteSGValue(kSource, group, good, stamp), CZARVSubRtdb::WRITE_CHANGED);

    CZARVGRPData back;
    CMPQuality quality;
    CZARVTime time;
    ASSERT_TRUE(driver->ReadSGValue(kRef130, back, quality, time));
    EXPECT_EQ(back, group);
    EXPECT_EQ(time, stamp);

    ASSERT_TRUE(driver->WriteSGValue(kSource, 2, Long(33)));
    _zarvVAR item;
    ASSERT_TRUE(driver->ReadSGValue(kRef200, 2, item));
    EXPECT_EQ(static_cast<long>(item), 33);
    EXPECT_FALSE(driver->ReadSGValue(kSource, 3, item));
    EXPECT_FALSE(driver->WriteSGValue(kNoDatabase, 0, Long(1)));
    EXPECT_EQ(driver->WriteSGValue(kNoDatabase, group, good, stamp), 0u);
}

TEST_F(QENDriverValuesTest, GroupReadOfANonGroupTextStillSucceeds) {
    ASSERT_NE(driver->WriteValue(kSource, _zarvVAR("not a group"), good, stamp), 0u);
    CZARVGRPData data;
    data.Add(Long(1));
    const CZARVGRPData before = data;
    CMPQuality quality;
    CZARVTime time;
    EXPECT_TRUE(driver->ReadSGValue(kSource, data, quality, time));
    EXPECT_EQ(data, before);
}

// Every answer is the engine's own, for every kind of point.
TEST_F(QENDriverValuesTest, AnswersAreTheEnginesForEveryPoint) {
    ASSERT_NE(engine->WriteValue(kSource, Long(8), good, stamp), 0u);
    ASSERT_NE(engine->WriteValue(kDirect200, Long(9), good, stamp), 0u);
    const std::vector<unsigned long> points = {kSource,       kRef130,     kUnnamed130,
                                               kDangling130,  kDirect200,  kRef200,
                                               kBlockZero130, kNoDatabase, 0xFFFFFFFFUL};
    for (unsigned long g : points) {
        SCOPED_TRACE(::testing::Message() << std::hex << g);
        _zarvVAR v1, v2;
        CMPQuality q1, q2;
        CZARVTime t1, t2;
        EXPECT_EQ(driver->ReadValue(g, v1, q1, t1), engine->ReadValue(g, v2, q2, t2));
        EXPECT_EQ(v1, v2);
        EXPECT_EQ(q1, q2);
        EXPECT_EQ(t1, t2);

        _zarvVAR i1, i2;
        EXPECT_EQ(driver->ReadSGValue(g, 0, i1), engine->ReadSGValue(g, 0, i2));
        CZARVGRPData d1, d2;
        EXPECT_EQ(driver->ReadSGValue(g, d1, q1, t1), engine->ReadSGValue(g, d2, q2, t2));
        EXPECT_EQ(d1, d2);

        // Writes compared on the second write of the same value, which both
        // see in the same state.
        driver->WriteValue(g, Long(4), good, stamp);
        EXPECT_EQ(driver->WriteValue(g, Long(4), good, stamp),
                  engine->WriteValue(g, Long(4), good, stamp));
    }
}

}  // namespace
