#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "engine/db_engine.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/sys_config.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/temp_dir.h"

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

// A read learns from the point's live value whether its record names
// another point; every change of property 499 on the stored record must
// reach that knowledge, whichever way the record is changed.
TEST_F(ValuesTest, ReadsFollowProperty499WhenTheStoredRecordChanges) {
    const unsigned long indexed = Gmpid(200, 0, 2, 1), refOnly = Gmpid(130, 0, 1, 2);
    Own(indexed);
    Own(refOnly);
    CZARVMPInfo* a = engine->GetMPInfo(indexed);
    CZARVMPInfo* b = engine->GetMPInfo(refOnly);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Read(indexed), 7);
    EXPECT_EQ(Read(refOnly), std::nullopt);

    ASSERT_TRUE(a->InsertMPProp(499, _zarvVAR("P"), 0));
    ASSERT_TRUE(b->SetMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(indexed), 42);
    EXPECT_EQ(Read(refOnly), 42);

    ASSERT_TRUE(a->SetMPProp(499, _zarvVAR(), 0));  // an empty reference reads the own value
    EXPECT_EQ(Read(indexed), 7);
    ASSERT_TRUE(a->SetMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(indexed), 42);

    ASSERT_TRUE(a->RemoveMPProp(499));
    ASSERT_TRUE(b->RemoveMPProp(499));
    EXPECT_EQ(Read(indexed), 7);
    EXPECT_EQ(Read(refOnly), std::nullopt);
}

TEST_F(ValuesTest, ARecordThatLeftNoLongerSpeaksForItsPoint) {
    const unsigned long g = Gmpid(200, 0, 2, 1);
    Own(g);
    RecordPtr old(engine->GetMPInfo(g));  // the caller keeps the record after the delete
    engine->DeleteMPInfo(g);
    EXPECT_EQ(Read(g), std::nullopt);

    // Back with a reference: no value of its own, the read goes through P.
    ASSERT_TRUE(Insert(Record(g, {{499, "P"}})));
    EXPECT_EQ(Read(g), 42);
    ASSERT_TRUE(old->SetMPProp(499, _zarvVAR(""), 0));  // the old record changes nothing
    EXPECT_EQ(Read(g), 42);

    // Deleted again and back without one: its own new value, whatever the
    // old record does.
    engine->DeleteMPInfo(g);
    Own(g);
    ASSERT_TRUE(old->SetMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(g), 7);
    ASSERT_TRUE(engine->GetMPInfo(g)->InsertMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(g), 42);
}

// A load links every record it stores to the live value it makes for it,
// the first (which sizes the tables) as well as the ones after it.
TEST_F(ValuesTest, ALoadLinksEveryNewValueToItsRecord) {
    const unsigned long points[] = {Gmpid(200, 0, 2, 1), Gmpid(200, 0, 2, 2), Gmpid(200, 1, 3, 4)};
    for (unsigned long g : points) Own(g);
    TempDir dir;
    const std::string file = dir.File("rs200.dat");
    ASSERT_TRUE(engine->SaveToTemplate(200, file.c_str(), "3.0"));
    for (unsigned long g : points) {
        engine->DeleteMPInfo(g);
        ASSERT_EQ(Read(g), std::nullopt) << std::hex << g;
    }

    ASSERT_TRUE(engine->LoadFromFile(200, file.c_str(), "3.0", 0));
    for (unsigned long g : points) {
        SCOPED_TRACE(g);
        ASSERT_EQ(Write(g, 7), CZARVSubRtdb::WRITE_CHANGED);
        CZARVMPInfo* loaded = engine->GetMPInfo(g);
        ASSERT_TRUE(loaded);
        // Linked both ways: a read of the point stops at its value.
        ASSERT_TRUE(loaded->GetLinkedValue());
        EXPECT_EQ(loaded->GetLinkedValue()->GetLinkedRecord(), loaded);
        ASSERT_TRUE(loaded->InsertMPProp(499, _zarvVAR("P"), 0));
        EXPECT_EQ(Read(g), 42);
        ASSERT_TRUE(loaded->RemoveMPProp(499));
        EXPECT_EQ(Read(g), 7);
    }
}

TEST_F(ValuesTest, AReloadedRecordTakesOverTheKeptLiveValue) {
    const unsigned long g = Gmpid(200, 0, 2, 1);
    Own(g);
    TempDir dir;
    const std::string file = dir.File("rs200.dat");
    ASSERT_TRUE(engine->SaveToTemplate(200, file.c_str(), "3.0"));
    RecordPtr old(engine->GetMPInfo(g));

    // The reload replaces the record and keeps the value: the new record,
    // not the old one, says whether a read goes through a reference.
    ASSERT_TRUE(engine->LoadFromFile(200, file.c_str(), "3.0", 0));
    CZARVMPInfo* loaded = engine->GetMPInfo(g);
    ASSERT_TRUE(loaded && loaded != old.get());
    ASSERT_TRUE(old->InsertMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(g), 7);
    ASSERT_TRUE(loaded->InsertMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(g), 42);

    // A refused duplicate does not take the value over either.
    ASSERT_TRUE(loaded->RemoveMPProp(499));
    RecordPtr refused = Record(g);
    EXPECT_FALSE(engine->InsertMPInfo(refused.get()));
    ASSERT_TRUE(refused->InsertMPProp(499, _zarvVAR("P"), 0));
    EXPECT_EQ(Read(g), 7);
}

TEST_F(ValuesTest, ResolutionIsOneStep) {
    // R1 (RID 130) names R2, a reference point of RID 131 that itself names P.
    ASSERT_TRUE(Insert(Record(Gmpid(131, 0, 1, 1), {{1, "R2"}, {499, "P"}})));
    ASSERT_TRUE(engine->OnAddMPInfo(*NamedRecord(Gmpid(131, 0, 1, 1), "R2")));  // a value and name
    Write(Gmpid(131, 0, 1, 1), 99);
    ASSERT_TRUE(Insert(Record(Gmpid(130, 0, 1, 5), {{499, "R2"}})));
    EXPECT_EQ(Read(Gmpid(130, 0, 1, 5)), 99);
}

TEST_F(ValuesTest, WritesGoToTheGivenGMPIDAndAFailedReadLeavesTheOutputsAlone) {
    _zarvVAR value("keep");
    CMPQuality quality(CMPQuality::QUALITY_BLOCKED);
    CZARVTime time(55);
    EXPECT_FALSE(engine->ReadValue(Gmpid(9, 0, 0, 1), value, quality, time));  // no database
    EXPECT_STREQ(value.GetText(), "keep");
    EXPECT_EQ(time.GetMilliseconds(), 55);
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
