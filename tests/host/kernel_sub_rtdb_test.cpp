#include <gtest/gtest.h>

#include <vector>

#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

constexpr unsigned char kRID = 7;

unsigned long Gmpid(unsigned group, unsigned block, unsigned index) {
    return (static_cast<unsigned long>(kRID) << 24) | (group << 16) | (block << 12) | index;
}

class SubRtdbTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override {
        db.reset();
        ClearRefNames();
    }

    // A new value (the caller's reference adopted by the returned holder).
    static CZARVPtr<CZARVMPValue> Value(unsigned long gmpid, const char* name = nullptr) {
        return CZARVPtr<CZARVMPValue>::Adopt(new CZARVMPValue(gmpid, name));
    }
    // Stores a new value and gives up the test's reference.
    void Store(unsigned long gmpid, const char* name = nullptr) {
        ASSERT_TRUE(db->InsertMPValue(Value(gmpid, name).get()));
    }
    static std::vector<unsigned long> Ids(const CZARVDataSet<CZARVMPValue>& set) {
        std::vector<unsigned long> ids;
        for (CZARVMPValue* v : set) ids.push_back(v->GetGMPID());
        return ids;
    }

    CZARVPtr<CZARVSubRtdb> db = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(kRID));
};

TEST_F(SubRtdbTest, StoredValueHoldsTheDatabasesReferenceUntilRemoved) {
    CZARVPtr<CZARVMPValue> v = Value(Gmpid(1, 0, 1));
    ASSERT_TRUE(db->InsertMPValue(v.get()));
    EXPECT_EQ(v->GetRefCount(), 2);
    {
        CZARVDataSet<CZARVMPValue> set;
        db->ListValue(1, set);
        EXPECT_EQ(v->GetRefCount(), 3);
    }
    EXPECT_EQ(v->GetRefCount(), 2);
    db->RemoveMPValue(Gmpid(1, 0, 1));
    EXPECT_EQ(v->GetRefCount(), 1);
    EXPECT_EQ(db->GetMPValueObj(Gmpid(1, 0, 1)), nullptr);
}

TEST_F(SubRtdbTest, DestroyingTheDatabaseReleasesItsValues) {
    CZARVPtr<CZARVMPValue> v = Value(Gmpid(0, 0, 0));
    db->InsertMPValue(v.get());
    db.reset();
    EXPECT_EQ(v->GetRefCount(), 1);
}

TEST_F(SubRtdbTest, SecondValueForAStoredPointLeavesTheFirstAndItsStateAlone) {
    CZARVPtr<CZARVMPValue> first = Value(Gmpid(2, 1, 5));
    ASSERT_TRUE(db->InsertMPValue(first.get()));
    _zarvVAR live;
    live = 42L;
    db->WriteValue(Gmpid(2, 1, 5), live, CMPQuality(), CZARVTime(1000));

    CZARVPtr<CZARVMPValue> second = Value(Gmpid(2, 1, 5));
    EXPECT_TRUE(db->InsertMPValue(second.get()));
    EXPECT_EQ(second->GetRefCount(), 1);  // not taken
    EXPECT_EQ(db->GetMPValueObj(Gmpid(2, 1, 5)), first.get());
    _zarvVAR out;
    CMPQuality q(0xFF);
    CZARVTime t;
    ASSERT_TRUE(db->ReadValue(Gmpid(2, 1, 5), out, &q, &t));
    EXPECT_EQ(out, live);
    EXPECT_TRUE(q.IsGood());
    EXPECT_EQ(t, CZARVTime(1000));
    EXPECT_EQ(db->GetCount(), 1);
}

TEST_F(SubRtdbTest, RefusesNullAndValuesOfAnotherRID) {
    EXPECT_FALSE(db->InsertMPValue(nullptr));
    CZARVPtr<CZARVMPValue> foreign = Value(0x08000001);
    EXPECT_FALSE(db->InsertMPValue(foreign.get()));
    EXPECT_EQ(foreign->GetRefCount(), 1);
    EXPECT_EQ(db->GetCount(), 0);
}

TEST_F(SubRtdbTest, ListingsAppendInAscendingGMPIDOrderAndReturnTheSetSize) {
    for (unsigned block : {3u, 1u, 2u})
        for (unsigned index : {9u, 0u, 4u}) Store(Gmpid(3, block, index));
    Store(Gmpid(4, 2, 0));  // another group

    CZARVDataSet<CZARVMPValue> set;
    for (int i = 0; i < 4; ++i) set.Add(Value(Gmpid(9, 0, i)).get());
    EXPECT_EQ(db->ListValue(3, 2, set), 7);
    std::vector<unsigned long> ids = Ids(set);
    ids.erase(ids.begin(), ids.begin() + 4);
    EXPECT_EQ(ids, (std::vector<unsigned long>{Gmpid(3, 2, 0), Gmpid(3, 2, 4), Gmpid(3, 2, 9)}));

    CZARVDataSet<CZARVMPValue> group;
    EXPECT_EQ(db->ListValue(3, group), 9);
    std::vector<unsigned long> all = Ids(group);
    for (size_t i = 1; i < all.size(); ++i) EXPECT_LT(all[i - 1], all[i]);
    EXPECT_EQ(all.front(), Gmpid(3, 1, 0));
    EXPECT_EQ(all.back(), Gmpid(3, 3, 9));
}

TEST_F(SubRtdbTest, ListingNothingReturnsWhatTheSetHeld) {
    CZARVDataSet<CZARVMPValue> set;
    set.Add(Value(Gmpid(0, 0, 1)).get());
    EXPECT_EQ(db->ListValue(5, set), 1);       // empty database
    Store(Gmpid(5, 0, 0));
    EXPECT_EQ(db->ListValue(5, 16, set), 1);   // no block 16
}

TEST_F(SubRtdbTest, RemoveByBlockAndByGroupTakeOnlyTheirRange) {
    Store(Gmpid(1, 0, 1));
    Store(Gmpid(1, 1, 1));
    Store(Gmpid(1, 1, 2));
    Store(Gmpid(2, 1, 1));
    db->RemoveMPValue(1, 1);
    EXPECT_EQ(db->GetCount(), 2);
    EXPECT_NE(db->GetMPValueObj(Gmpid(1, 0, 1)), nullptr);
    EXPECT_NE(db->GetMPValueObj(Gmpid(2, 1, 1)), nullptr);
    db->RemoveMPValue(static_cast<unsigned char>(1));
    EXPECT_EQ(db->GetMPValueObj(Gmpid(1, 0, 1)), nullptr);
    EXPECT_EQ(db->GetCount(), 1);
    db->RemoveMPValue(Gmpid(7, 7, 7));  // absent: nothing
    db->RemoveMPValue(2, 200);          // no such block: nothing
    EXPECT_EQ(db->GetCount(), 1);
}

TEST_F(SubRtdbTest, ReadsOfUnknownPointsFailAndLeaveOutputsAlone) {
    _zarvVAR v("keep");
    CMPQuality q(0x20);
    CZARVTime t(5);
    EXPECT_FALSE(db->ReadValue(Gmpid(0, 0, 1), v, &q, &t));
    EXPECT_FALSE(db->ReadValueQos(Gmpid(0, 0, 1), q));
    EXPECT_FALSE(db->ReadValueTime(Gmpid(0, 0, 1), t));
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), 0, v));
    EXPECT_EQ(v.ToString(), "keep");
    EXPECT_EQ(q.GetValue(), 0x20u);
    EXPECT_EQ(t, CZARVTime(5));
}

TEST_F(SubRtdbTest, WriteReportsUnknownChangedAndUnchanged) {
    Store(Gmpid(0, 0, 1));
    _zarvVAR v;
    v = 3.5;
    EXPECT_EQ(db->WriteValue(Gmpid(0, 0, 2), v, CMPQuality(), CZARVTime(1)),
              CZARVSubRtdb::WRITE_UNKNOWN);
    EXPECT_EQ(db->WriteValue(Gmpid(0, 0, 1), v, CMPQuality(), CZARVTime(1)),
              CZARVSubRtdb::WRITE_CHANGED);
    EXPECT_EQ(db->WriteValue(Gmpid(0, 0, 1), v, CMPQuality(), CZARVTime(2)),
              CZARVSubRtdb::WRITE_UNCHANGED);
    CZARVTime t;
    ASSERT_TRUE(db->ReadValueTime(Gmpid(0, 0, 1), t));
    EXPECT_EQ(t, CZARVTime(2));  // the time is taken even when nothing changed
    EXPECT_EQ(db->WriteValue(Gmpid(0, 0, 1), v, CMPQuality(CMPQuality::QUALITY_INVALID),
                             CZARVTime(3)),
              CZARVSubRtdb::WRITE_CHANGED);
    CMPQuality q;
    ASSERT_TRUE(db->ReadValueQos(Gmpid(0, 0, 1), q));
    EXPECT_FALSE(q.IsValid());
}

TEST_F(SubRtdbTest, NullQualityAndTimePointersAreSkipped) {
    Store(Gmpid(0, 0, 1));
    _zarvVAR v;
    EXPECT_TRUE(db->ReadValue(Gmpid(0, 0, 1), v, nullptr, nullptr));
}

TEST_F(SubRtdbTest, GroupValuesWrittenWholeReadItemByItem) {
    Store(Gmpid(0, 0, 1));
    CZARVGRPData data;
    _zarvVAR a, b;
    a = 1L;
    b = "two";
    data.Add(a);
    data.Add(b);
    _zarv_str text;
    db->WriteValue(Gmpid(0, 0, 1), _zarvVAR(data.ToStream(text)), CMPQuality(), CZARVTime(1));

    _zarvVAR out;
    ASSERT_TRUE(db->ReadSGValue(Gmpid(0, 0, 1), 1, out));
    EXPECT_EQ(out, b);
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), 2, out));
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), -1, out));
}

TEST_F(SubRtdbTest, GroupValuesWrittenItemByItemReadWhole) {
    Store(Gmpid(0, 0, 1));
    _zarvVAR v;
    v = 2.25;
    EXPECT_TRUE(db->WriteSGValue(Gmpid(0, 0, 1), 2, v));
    EXPECT_FALSE(db->WriteSGValue(Gmpid(0, 0, 2), 0, v));
    EXPECT_FALSE(db->WriteSGValue(Gmpid(0, 0, 1), -1, v));
    EXPECT_FALSE(db->WriteSGValue(Gmpid(0, 0, 1), CZARVGRPData::kMaxValues, v));

    _zarvVAR whole;
    ASSERT_TRUE(db->ReadValue(Gmpid(0, 0, 1), whole, nullptr, nullptr));
    CZARVGRPData data;
    ASSERT_TRUE(data.FromStream(whole.GetText()));
    ASSERT_EQ(data.GetCount(), 3);
    EXPECT_TRUE(data.At(0)->IsEmpty());
    EXPECT_EQ(*data.At(2), v);
}

TEST_F(SubRtdbTest, ScalarValueHasNoGroupValues) {
    Store(Gmpid(0, 0, 1));
    _zarvVAR v;
    v = 5L;
    db->WriteValue(Gmpid(0, 0, 1), v, CMPQuality(), CZARVTime(1));
    _zarvVAR out;
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), 0, out));
}

TEST_F(SubRtdbTest, NamesComeWithStoredValuesAndGoWithThem) {
    Store(Gmpid(1, 0, 1), "FLOW");
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), Gmpid(1, 0, 1));
    db->RemoveMPValue(Gmpid(1, 0, 1));
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), 0xFFFFFFFFUL);

    Store(Gmpid(1, 0, 2), "LEVEL");
    db->RemoveMPValue(static_cast<unsigned char>(1));
    EXPECT_EQ(GetGMPIDByRefName("LEVEL"), 0xFFFFFFFFUL);

    Store(Gmpid(1, 0, 3), "TEMP");
    db.reset();
    EXPECT_EQ(GetGMPIDByRefName("TEMP"), 0xFFFFFFFFUL);
}

TEST_F(SubRtdbTest, ASecondPointWithATakenNameDoesNotStealOrDropIt) {
    Store(Gmpid(1, 0, 1), "FLOW");
    Store(Gmpid(1, 0, 2), "FLOW");
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), Gmpid(1, 0, 1));
    db->RemoveMPValue(Gmpid(1, 0, 2));
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), Gmpid(1, 0, 1));
}

TEST_F(SubRtdbTest, RefusedDuplicateValueDoesNotCountItsName) {
    Store(Gmpid(1, 0, 1), "FLOW");
    Store(Gmpid(1, 0, 1), "FLOW");  // duplicate: keeps the first value
    db->RemoveMPValue(Gmpid(1, 0, 1));
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), 0xFFFFFFFFUL);
}

TEST_F(SubRtdbTest, SamePointInTwoDatabasesKeepsItsNameUntilBothDropIt) {
    CZARVPtr<CZARVSubRtdb> other = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(kRID));
    Store(Gmpid(1, 0, 1), "FLOW");
    ASSERT_TRUE(other->InsertMPValue(Value(Gmpid(1, 0, 1), "FLOW").get()));
    db->RemoveMPValue(Gmpid(1, 0, 1));
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), Gmpid(1, 0, 1));
    other.reset();
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), 0xFFFFFFFFUL);
}

TEST_F(SubRtdbTest, ValuesFromRecordsRoundTrip) {
    CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(Gmpid(9, 15, 4095)));
    info->InsertMPProp(1, _zarvVAR("EDGE"), 0);
    CZARVPtr<CZARVMPValue> v = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    ASSERT_TRUE(db->InsertMPValue(v.get()));
    EXPECT_EQ(db->GetMPValueObj(GetGMPIDByRefName("EDGE")), v.get());
}

TEST_F(SubRtdbTest, ManyPointsInRandomOrderAreFoundAndListedInOrder) {
    constexpr unsigned kPoints = 50000;
    for (unsigned i = 0; i < kPoints; ++i) {
        const unsigned n = (i * 40503u) % kPoints;  // a permutation
        Store(Gmpid(n / 4096 / 16, (n / 4096) % 16, n % 4096));
    }
    EXPECT_EQ(db->GetCount(), static_cast<int>(kPoints));
    EXPECT_NE(db->GetMPValueObj(Gmpid(0, 5, 17)), nullptr);
    CZARVDataSet<CZARVMPValue> set;
    EXPECT_EQ(db->ListValue(0, set), static_cast<int>(kPoints));
    std::vector<unsigned long> ids = Ids(set);
    for (size_t i = 1; i < ids.size(); ++i) ASSERT_LT(ids[i - 1], ids[i]);
}

}  // namespace
