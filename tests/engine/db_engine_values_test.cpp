#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "engine/db_engine.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/sys_config.h"
#include "tests/engine/engine_test_util.h"

namespace {

class ValuesTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (unsigned char rid : {5, 130, 131, 200, 20})
            ASSERT_TRUE(engine->CreateConfigDB(rid, 0));
        ASSERT_TRUE(Insert(NamedRecord(kP, "P")));
        ASSERT_EQ(Write(kP, 42, 1000), CZARVSubRtdb::WRITE_CHANGED);
    }
    // The value read as a number, or none when the read fails.
    std::optional<long> Read(unsigned long gmpid) {
        _zarvVAR value;
        CMPQuality quality;
        CZARVTime time;
        if (!engine->ReadValue(gmpid, value, quality, time)) return std::nullopt;
        return static_cast<long>(value);
    }
    unsigned Write(unsigned long gmpid, long value, long ms = 1) {
        return engine->WriteValue(gmpid, Var(value), CMPQuality(), CZARVTime(ms));
    }
    // Inserts a point and gives it the live value 7 where it has one.
    void Own(unsigned long gmpid, Props props = {}) {
        ASSERT_TRUE(Insert(Record(gmpid, props)));
        Write(gmpid, 7);
    }
    const unsigned long kP = Gmpid(5, 0, 0, 1);
};

// Which GMPIDs read through their reference (property 499) and which read
// their own value depends on the RID and the block.
TEST_F(ValuesTest, ReadsGoThroughTheReferenceOnlyWhereTheRIDAndBlockSaySo) {
    Own(Gmpid(130, 0, 1, 1), {{499, "P"}});  // reference-only RID: through the name
    Own(Gmpid(130, 0, 1, 2));                // ... without 499 it fails
    Own(Gmpid(130, 0, 0, 1), {{499, "P"}});  // block 0: direct, and a reference has none
    Own(Gmpid(200, 0, 2, 1));                // indexed RID: direct or through the name
    Own(Gmpid(200, 0, 2, 2), {{499, "P"}});
    Own(Gmpid(20, 0, 3, 1), {{499, "P"}});  // other RIDs: always direct
    const std::optional<long> none;
    const std::pair<unsigned long, std::optional<long>> reads[] = {
        {Gmpid(130, 0, 1, 1), 42}, {Gmpid(130, 0, 1, 2), none}, {Gmpid(130, 0, 0, 1), none},
        {Gmpid(200, 0, 2, 1), 7},  {Gmpid(200, 0, 2, 2), 42},   {Gmpid(20, 0, 3, 1), none}};
    for (auto [gmpid, value] : reads) EXPECT_EQ(Read(gmpid), value) << std::hex << gmpid;
}

TEST_F(ValuesTest, ResolutionIsOneStep) {
    // R1 (RID 130) names R2, a reference point of RID 131 that itself names P.
    ASSERT_TRUE(Insert(Record(Gmpid(131, 0, 1, 1), {{1, "R2"}, {499, "P"}})));
    ASSERT_TRUE(engine->OnAddMPInfo(*NamedRecord(Gmpid(131, 0, 1, 1), "R2")));  // a value and name
    Write(Gmpid(131, 0, 1, 1), 99);
    ASSERT_TRUE(Insert(Record(Gmpid(130, 0, 1, 5), {{499, "R2"}})));
    EXPECT_EQ(Read(Gmpid(130, 0, 1, 5)), 99);
}

TEST_F(ValuesTest, AFailedReadLeavesTheOutputsAlone) {
    _zarvVAR value("keep");
    CMPQuality quality(CMPQuality::QUALITY_BLOCKED);
    CZARVTime time(55);
    EXPECT_FALSE(engine->ReadValue(Gmpid(9, 0, 0, 1), value, quality, time));  // no database
    EXPECT_STREQ(value.GetText(), "keep");
    EXPECT_EQ(time.GetMilliseconds(), 55);
}

TEST_F(ValuesTest, WritesGoToTheGivenGMPID) {
    ASSERT_TRUE(Insert(Record(Gmpid(130, 0, 1, 1), {{499, "P"}})));
    EXPECT_EQ(Write(Gmpid(130, 0, 1, 1), 1), 0u);  // RID 130 has no live-value database yet
    Own(Gmpid(130, 0, 0, 9));
    EXPECT_EQ(Write(Gmpid(130, 0, 1, 1), 1), CZARVSubRtdb::WRITE_UNKNOWN);
    EXPECT_EQ(Write(kP, 42, 5), CZARVSubRtdb::WRITE_UNCHANGED);
    EXPECT_EQ(Write(0x1'0000'0000UL | kP, 44, 7), CZARVSubRtdb::WRITE_CHANGED);  // low 32 bits
    EXPECT_EQ(Read(kP), 44);
}

TEST_F(ValuesTest, GroupValuesTravelAsTextThatNeedNotParse) {
    ASSERT_EQ(Write(kP, 44, 7), CZARVSubRtdb::WRITE_CHANGED);
    CZARVGRPData data, back;
    data.Add(Var(3L));
    data.Add(_zarvVAR("x"));
    CMPQuality quality;
    CZARVTime time;
    back.Add(_zarvVAR("kept"));
    const CZARVGRPData before = back;
    EXPECT_TRUE(engine->ReadSGValue(kP, back, quality, time));  // 44 is no group text: read anyway
    EXPECT_EQ(back, before);
    EXPECT_EQ(engine->WriteSGValue(kP, data, CMPQuality(), CZARVTime(9)),
              CZARVSubRtdb::WRITE_CHANGED);
    ASSERT_TRUE(engine->ReadSGValue(kP, back, quality, time));
    EXPECT_EQ(back, data);
    EXPECT_FALSE(engine->ReadSGValue(Gmpid(5, 0, 0, 77), back, quality, time));
}

TEST_F(EngineTest, HwInfoComesFromProperty106OfTheHardwarePoint) {
    CZARVSysConfig config;
    ASSERT_TRUE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(12, "board")));
    ASSERT_TRUE(engine->CreateConfigDB(0, 0));
    RecordPtr hw = Record(0x0000F000);
    ASSERT_TRUE(engine->InsertMPInfo(hw.get()));
    EXPECT_EQ(engine->GetHwInfo(config), nullptr);  // no property 106
    ASSERT_TRUE(hw->InsertMPProp(106, "12", 0));
    EXPECT_EQ(engine->GetHwInfo(config), config.GetHwInfo(12).get());
    hw->SetMPProp(106, Var(13L), 0);
    EXPECT_EQ(engine->GetHwInfo(config), nullptr);  // unknown identifier
}

}  // namespace
