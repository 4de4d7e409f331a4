#include <gtest/gtest.h>

#include <memory>

#include "host/zarvkernel/kernel_version.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/sys_config.h"
#include "host/zarvkernel/zarv_time.h"

namespace {

TEST(SysConfigTest, HandsOutSharedHandlesOfItsDescriptions) {
    CZARVSysConfig config;
    ASSERT_TRUE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(42, "rtu", "R2", "S1")));
    std::shared_ptr<CZARVHwInfo> hw = config.GetHwInfo(42);
    ASSERT_TRUE(hw);
    EXPECT_STREQ(hw->GetName(), "rtu");
    EXPECT_EQ(hw.use_count(), 2);  // the configuration keeps its own
    EXPECT_FALSE(config.GetHwInfo(43));
}

TEST(SysConfigTest, FirstDescriptionOfAnIdentifierStays) {
    CZARVSysConfig config;
    config.AddHwInfo(std::make_shared<CZARVHwInfo>(1, "first"));
    EXPECT_FALSE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(1, "second")));
    EXPECT_FALSE(config.AddHwInfo(nullptr));
    EXPECT_STREQ(config.GetHwInfo(1)->GetName(), "first");
    EXPECT_TRUE(config.RemoveHwInfo(1));
    EXPECT_FALSE(config.RemoveHwInfo(1));
    EXPECT_EQ(config.GetHwInfoCount(), 0);
}

TEST(SysConfigTest, NullTextsAreStoredEmpty) {
    CZARVHwInfo hw(3, nullptr, nullptr, nullptr);
    EXPECT_STREQ(hw.GetName(), "");
    EXPECT_STREQ(hw.GetModel(), "");
    EXPECT_STREQ(hw.GetSerial(), "");
}

TEST(KernelVersionTest, StartsAtFormatVersionOne) { EXPECT_EQ(m_gZARVVer, 1); }

TEST(TimeTest, FormatsUTCWithMilliseconds) {
    _zarv_str text;
    EXPECT_STREQ(CZARVTime(0).Format(text), "1970-01-01 00:00:00.000");
    EXPECT_STREQ(CZARVTime(1700000000123LL).Format(text), "2023-11-14 22:13:20.123");
    EXPECT_STREQ(CZARVTime(-1).Format(text), "1969-12-31 23:59:59.999");
    EXPECT_STREQ(CZARVTime(INT64_MAX).Format(text), "9223372036854775807");
}

TEST(TimeTest, NowIsRecentAndOrdered) {
    const CZARVTime a = CZARVTime::Now();
    const CZARVTime b = CZARVTime::Now();
    EXPECT_LE(a, b);
    EXPECT_GT(a, CZARVTime(1600000000000LL));
    EXPECT_EQ(CZARVTime(5) - CZARVTime(2), 3);
}

TEST(QualityTest, BitsCombineAndClear) {
    CMPQuality q;
    EXPECT_TRUE(q.IsGood());
    q.Set(CMPQuality::QUALITY_INVALID | CMPQuality::QUALITY_COMM_FAIL);
    EXPECT_FALSE(q.IsValid());
    EXPECT_TRUE(q.Has(CMPQuality::QUALITY_COMM_FAIL));
    q.Reset(CMPQuality::QUALITY_INVALID);
    EXPECT_TRUE(q.IsValid());
    EXPECT_FALSE(q.IsGood());
}

}  // namespace
