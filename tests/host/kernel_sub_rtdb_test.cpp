#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;
using Ids = std::vector<unsigned long>;
constexpr unsigned char kRID = 7;
constexpr unsigned long kNone = 0xFFFFFFFFUL;

unsigned long Gmpid(unsigned group, unsigned block, unsigned index) {
    return zarvgmpid::Make(kRID, static_cast<unsigned char>(group), block, index);
}

class SubRtdbTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override {
        db.reset();
        ClearRefNames();
    }
    static CZARVPtr<CZARVMPValue> Value(unsigned long gmpid, const char* name = nullptr) {
        return CZARVPtr<CZARVMPValue>::Adopt(new CZARVMPValue(gmpid, name));
    }
    void Store(unsigned long gmpid, const char* name = nullptr) {
        ASSERT_TRUE(db->InsertMPValue(Value(gmpid, name).get()));
    }
    // The GMPIDs of `group`, in listed order.
    Ids Group(unsigned char group) {
        CZARVDataSet<CZARVMPValue> set;
        Ids ids(db->ListValue(group, set));
        for (int i = 0; i < set.GetCount(); ++i) ids[i] = set.GetAt(i)->GetGMPID();
        return ids;
    }
    unsigned int Write(unsigned long gmpid, const _zarvVAR& v, long long ms, unsigned q = 0) {
        return db->WriteValue(gmpid, v, CMPQuality(q), CZARVTime(ms));
    }

    CZARVPtr<CZARVSubRtdb> db = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(kRID));
};

// A stored value holds the database's reference until removed or the
// database goes; a second value of a point, a null or foreign one is not
// stored (the first value stays).
TEST_F(SubRtdbTest, StoresTheFirstValueOfAPointHoldingItsReferenceUntilRemovedOrDestroyed) {
    CZARVPtr<CZARVMPValue> v = Value(Gmpid(1, 0, 1)), w = Value(Gmpid(1, 0, 2));
    CZARVPtr<CZARVMPValue> second = Value(Gmpid(1, 0, 2)), foreign = Value(0x08000001);
    ASSERT_TRUE(db->InsertMPValue(v.get()));
    ASSERT_TRUE(db->InsertMPValue(w.get()));
    EXPECT_EQ(v->GetRefCount(), 2);
    Write(Gmpid(1, 0, 2), Var(42L), 1000);
    EXPECT_TRUE(db->InsertMPValue(second.get()));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(db->GetMPValueObj(Gmpid(1, 0, 2)), w.get());
    _zarvVAR out;
    ASSERT_TRUE(db->ReadValue(Gmpid(1, 0, 2), out, nullptr, nullptr));
    EXPECT_EQ(out, Var(42L));
    EXPECT_FALSE(db->InsertMPValue(nullptr));
    EXPECT_FALSE(db->InsertMPValue(foreign.get()));
    EXPECT_EQ(foreign->GetRefCount(), 1);
    db->RemoveMPValue(Gmpid(1, 0, 1));
    EXPECT_EQ(v->GetRefCount(), 1);
    db.reset();
    EXPECT_EQ(w->GetRefCount(), 1);
}

TEST_F(SubRtdbTest, ListsAppendInGMPIDOrderAndRemovesTakeOnlyTheirRange) {
    CZARVDataSet<CZARVMPValue> set;
    set.Add(Value(Gmpid(9, 0, 0)).get());  // lists append
    for (unsigned block : {3u, 1u, 15u})
        for (unsigned index : {9u, 0u, 4095u}) Store(Gmpid(3, block, index));
    Store(Gmpid(4, 1, 0));
    EXPECT_EQ(db->ListValue(3, 2, set), 1);  // no such block
    EXPECT_EQ(db->ListValue(3, 15, set), 4);
    EXPECT_EQ(set.GetAt(3)->GetGMPID(), Gmpid(3, 15, 4095));
    auto blocks = [](std::initializer_list<unsigned> list) {
        Ids ids;
        for (unsigned block : list)
            for (unsigned index : {0u, 9u, 4095u}) ids.push_back(Gmpid(3, block, index));
        return ids;
    };
    EXPECT_EQ(Group(3), blocks({1, 3, 15}));

    db->RemoveMPValue(3, 1);
    db->RemoveMPValue(Gmpid(7, 7, 7));  // absent: nothing
    EXPECT_EQ(Group(3), blocks({3, 15}));
    db->RemoveMPValue(static_cast<unsigned char>(3));
    EXPECT_EQ(Group(3), Ids{});
    EXPECT_EQ(Group(4), Ids{Gmpid(4, 1, 0)});
}

TEST_F(SubRtdbTest, ReadsOfUnknownPointsFailAndWritesReportWhatChanged) {
    _zarvVAR v("keep");
    CMPQuality q(0x20);
    CZARVTime t(5);
    EXPECT_FALSE(db->ReadValue(Gmpid(0, 0, 1), v, &q, &t));
    EXPECT_EQ(v.ToString(), "keep");
    EXPECT_EQ(q.GetValue(), 0x20u);
    EXPECT_EQ(t, CZARVTime(5));

    Store(Gmpid(0, 0, 1));
    EXPECT_EQ(Write(Gmpid(0, 0, 2), Var(3.5), 1), CZARVSubRtdb::WRITE_UNKNOWN);
    EXPECT_EQ(Write(Gmpid(0, 0, 1), Var(3.5), 1), CZARVSubRtdb::WRITE_CHANGED);
    EXPECT_EQ(Write(Gmpid(0, 0, 1), Var(3.5), 2), CZARVSubRtdb::WRITE_UNCHANGED);
    ASSERT_TRUE(db->ReadValueTime(Gmpid(0, 0, 1), t));
    EXPECT_EQ(t, CZARVTime(2));  // the time is always taken
    EXPECT_EQ(Write(Gmpid(0, 0, 1), Var(3.5), 3, CMPQuality::QUALITY_INVALID),
              CZARVSubRtdb::WRITE_CHANGED);
    ASSERT_TRUE(db->ReadValueQos(Gmpid(0, 0, 1), q));
    EXPECT_FALSE(q.IsValid());
}

TEST_F(SubRtdbTest, GroupValuesTravelWholeOrItemByItem) {
    Store(Gmpid(0, 0, 1));
    Write(Gmpid(0, 0, 1), _zarvVAR("G2|3:1;7:3:two;"), 1);
    _zarvVAR out;
    ASSERT_TRUE(db->ReadSGValue(Gmpid(0, 0, 1), 1, out));
    EXPECT_EQ(out, _zarvVAR("two"));
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), 2, out));
    EXPECT_TRUE(db->WriteSGValue(Gmpid(0, 0, 1), 3, Var(2.25)));
    EXPECT_FALSE(db->WriteSGValue(Gmpid(0, 0, 3), 0, Var(2.25)));
    EXPECT_FALSE(db->WriteSGValue(Gmpid(0, 0, 1), CZARVGRPData::kMaxValues, Var(2.25)));
    ASSERT_TRUE(db->ReadValue(Gmpid(0, 0, 1), out, nullptr, nullptr));
    CZARVGRPData data;
    ASSERT_TRUE(data.FromStream(out.GetText()));
    ASSERT_EQ(data.GetCount(), 4);
    EXPECT_TRUE(data.At(2)->IsEmpty());
    EXPECT_EQ(*data.At(3), Var(2.25));
    Write(Gmpid(0, 0, 1), Var(5L), 2);  // a scalar has no items
    EXPECT_FALSE(db->ReadSGValue(Gmpid(0, 0, 1), 0, out));
}

TEST_F(SubRtdbTest, NamesComeWithStoredValuesAndGoWithTheirLastHolder) {
    CZARVPtr<CZARVSubRtdb> other = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(kRID));
    Store(Gmpid(1, 0, 1), "FLOW");
    Store(Gmpid(1, 0, 2), "FLOW");  // a second point does not steal the name
    ASSERT_TRUE(other->InsertMPValue(Value(Gmpid(1, 0, 1), "FLOW").get()));
    db->RemoveMPValue(Gmpid(1, 0, 2));  // nor does its removal drop it
    db->RemoveMPValue(Gmpid(1, 0, 1));  // the other database still holds it
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), Gmpid(1, 0, 1));
    other.reset();
    EXPECT_EQ(GetGMPIDByRefName("FLOW"), kNone);
}

}  // namespace
