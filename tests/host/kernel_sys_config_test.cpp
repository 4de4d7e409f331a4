#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/sys_config.h"
#include "host/zarvkernel/zarv_time.h"

namespace {

TEST(SysConfigTest, SharesItsDescriptionsAndKeepsTheFirstOfAnIdentifier) {
    CZARVSysConfig config;
    ASSERT_TRUE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(42, "rtu", "R2", "S1")));
    EXPECT_FALSE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(42, "second")));
    EXPECT_FALSE(config.AddHwInfo(nullptr));
    std::shared_ptr<CZARVHwInfo> hw = config.GetHwInfo(42);
    ASSERT_TRUE(hw);
    EXPECT_STREQ(hw->GetName(), "rtu");
    EXPECT_EQ(hw.use_count(), 2);  // the configuration keeps its own
    EXPECT_FALSE(config.GetHwInfo(43));
    EXPECT_TRUE(config.RemoveHwInfo(42));
    EXPECT_FALSE(config.RemoveHwInfo(42));
    EXPECT_EQ(config.GetHwInfoCount(), 0);
    EXPECT_EQ(hw.use_count(), 1);
}

TEST(SysConfigTest, NullTextsAreStoredEmpty) {
    CZARVHwInfo hw(3, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::string(hw.GetName()) + hw.GetModel() + hw.GetSerial(), "");
}

TEST(TimeTest, FormatsUTCWithMillisecondsAndBigValuesAsNumbers) {
    _zarv_str text;
    EXPECT_STREQ(CZARVTime(0).Format(text), "1970-01-01 00:00:00.000");
    EXPECT_STREQ(CZARVTime(1700000000123LL).Format(text), "2023-11-14 22:13:20.123");
    EXPECT_STREQ(CZARVTime(-1).Format(text), "1969-12-31 23:59:59.999");
    EXPECT_STREQ(CZARVTime(INT64_MAX).Format(text), "9223372036854775807");
    EXPECT_GT(CZARVTime::Now(), CZARVTime(1600000000000LL));
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
