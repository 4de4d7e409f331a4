// Pooled per-point storage: records, live values and the blocks under them
// come from one process-wide pool, and a record keeps its common number of
// properties inside itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_pool.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;

// A text too long to sit inside a variant, so that a property moved the
// wrong way is freed twice or lost, which the sanitizer build reports.
std::string LongText(int n) {
    return "a text longer than a variant holds, number " + std::to_string(n);
}

TEST(PoolTest, ARecordGrowsPastItsInlinePropertiesAndShrinksBack) {
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
    const int many = CZARVMPInfo::kInlineProps * 3;
    // Descending, so that every insert moves all the others.
    for (int id = many; id >= 1; --id)
        ASSERT_TRUE(info->InsertMPProp(static_cast<unsigned short>(id),
                                       _zarvVAR(LongText(id).c_str()), id % 4));
    ASSERT_EQ(info->GetMPPropCount(), many);
    for (int i = 0; i < many; ++i) {
        EXPECT_EQ(info->GetMPPropIdAt(i), i + 1);
        EXPECT_EQ(info->GetMPTypeAt(i), (i + 1) % 4);
        EXPECT_STREQ(info->GetMPPropAt(i).GetText(), LongText(i + 1).c_str());
    }
    EXPECT_FALSE(info->InsertMPProp(7, _zarvVAR("again"), 0));
    // Down to two, from the middle, through the capacity inside the record.
    for (int id = 2; id < many; ++id)
        ASSERT_TRUE(info->RemoveMPProp(static_cast<unsigned short>(id)));
    std::vector<unsigned short> ids;
    EXPECT_EQ(info->GetMPPropVector(ids), 2);
    EXPECT_EQ(ids, (std::vector<unsigned short>{1, static_cast<unsigned short>(many)}));
    EXPECT_EQ(info->MPProp(1), _zarvVAR(LongText(1).c_str()));
    EXPECT_EQ(info->MPType(static_cast<unsigned short>(many)), many % 4);
    EXPECT_FALSE(info->IsExist(2));
    // And out again after shrinking.
    for (int id = 2; id < many; ++id)
        ASSERT_TRUE(info->SetMPProp(static_cast<unsigned short>(id), Var(id), 1));
    EXPECT_EQ(info->GetMPPropCount(), many);
    EXPECT_EQ(info->MPProp(static_cast<unsigned short>(many - 1)), Var(many - 1));
}

TEST(PoolTest, ARecordReservedBeyondItsInlinePropertiesKeepsThemInOrder) {
    CZARVMPInfo info(0x05031002);
    info.InsertMPProp(3, _zarvVAR(LongText(3).c_str()), 0);
    info.ReserveMPProps(CZARVMPInfo::kInlineProps + 5);
    info.InsertMPProp(1, Var(1), 1);
    ASSERT_EQ(info.GetMPPropCount(), 2);
    EXPECT_EQ(info.GetMPPropIdAt(0), 1);
    EXPECT_STREQ(info.GetMPPropAt(1).GetText(), LongText(3).c_str());
}

TEST(PoolTest, BlocksOfEverySizeNeverOverlapALiveBlockAlsoAfterReuse) {
    struct Block {
        unsigned char* p;
        size_t size;
        unsigned char fill;
    };
    std::vector<Block> live;
    auto take = [&](size_t size, unsigned char fill) {
        auto* p = static_cast<unsigned char*>(zarvpool::Allocate(size));
        std::memset(p, fill, size);
        live.push_back({p, size, fill});
    };
    for (int round = 0; round < 3; ++round) {
        for (size_t size = 1; size <= zarvpool::kMaxBlock + 64; size += 23)
            for (int k = 0; k < 40; ++k) take(size, static_cast<unsigned char>(size + k));
        // Every other block goes back; the next round takes them again.
        std::vector<Block> kept;
        for (size_t i = 0; i < live.size(); ++i) {
            if (i % 2)
                zarvpool::Free(live[i].p, live[i].size);
            else
                kept.push_back(live[i]);
        }
        live.swap(kept);
    }
    for (const Block& b : live) {
        for (size_t i = 0; i < b.size; ++i) ASSERT_EQ(b.p[i], b.fill) << "a block of " << b.size;
        zarvpool::Free(b.p, b.size);
    }
}

TEST(PoolTest, AValueAndItsRecordOutliveTheDatabaseThatHeldThem) {
    constexpr unsigned char kRid = 7;
    const unsigned long gmpid = zarvgmpid::Make(kRid, 1, 0, 5);
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
    info->InsertMPProp(12, Var(42), 1);
    CZARVPtr<CZARVMPValue> kept;
    {
        auto db = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(kRid));
        auto value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
        ASSERT_EQ(db->StoreMPValue(value.get()), value.get());
        info->LinkValue(value.get());
        kept = CZARVPtr<CZARVMPValue>(db->GetMPValueObj(gmpid));
    }
    ASSERT_EQ(kept->GetRefCount(), 1);
    EXPECT_EQ(kept->GetGMPID(), gmpid);
    EXPECT_EQ(kept->GetLinkedRecord(), info.get());
    info.reset();
    EXPECT_EQ(kept->GetLinkedRecord(), nullptr);
}

// Each thread fills a live-value database of its own RID with records and
// values; the other thread then releases them, while the first goes on
// making more.
TEST(PoolTest, TwoThreadsMakeAndReleasePointsAtOnce) {
    constexpr int kPoints = 3000;
    struct Made {
        std::vector<CZARVMPInfo*> records;
        CZARVSubRtdb* db = nullptr;
    };
    auto make = [](unsigned char rid, Made& out) {
        out.db = new CZARVSubRtdb(rid);
        for (int i = 0; i < kPoints; ++i) {
            auto* info = new CZARVMPInfo(zarvgmpid::Make(rid, 1, 0, static_cast<unsigned>(i)));
            // Named, so that both threads enter and drop names at once.
            info->InsertMPProp(
                1, _zarvVAR(("t" + std::to_string(rid) + "_" + std::to_string(i)).c_str()), 0);
            for (unsigned short p = 10; p < 10 + CZARVMPInfo::kInlineProps + i % 3; ++p)
                info->InsertMPProp(p, Var(i * p), 1);
            auto value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
            info->LinkValue(out.db->StoreMPValue(value.get()));
            out.records.push_back(info);
        }
    };
    auto release = [](Made& made) {
        for (CZARVMPInfo* info : made.records) info->Release();
        made.db->Release();
    };
    auto check = [](const Made& made) {
        int linked = 0;
        for (const CZARVMPInfo* info : made.records)
            linked +=
                info->GetLinkedValue() && info->GetLinkedValue()->GetGMPID() == info->GetGMPID();
        return linked;
    };
    for (int round = 0; round < 4; ++round) {
        Made a, b;
        std::thread ta(make, 1, std::ref(a));
        std::thread tb(make, 2, std::ref(b));
        ta.join();
        tb.join();
        EXPECT_EQ(check(a), kPoints);
        EXPECT_EQ(check(b), kPoints);
        EXPECT_EQ(a.db->GetCount(), kPoints);
        Made c;
        std::thread ra(release, std::ref(a));
        std::thread mc(make, 3, std::ref(c));
        std::thread rb(release, std::ref(b));
        ra.join();
        mc.join();
        rb.join();
        EXPECT_EQ(check(c), kPoints);
        release(c);
    }
}

// The names of many points dropped again, the arena rebuilt on the way:
// those left are still found, under their own points.
TEST(PoolTest, NamesLeftAfterManyAreDroppedAreStillFound) {
    ClearRefNames();
    constexpr unsigned long kNames = 20000;
    auto name = [](unsigned long i) { return "a point name long enough " + std::to_string(i); };
    for (unsigned long i = 0; i < kNames; ++i) ASSERT_TRUE(RegisterRefName(name(i).c_str(), i));
    for (unsigned long i = 0; i < kNames; ++i)
        if (i % 50) {
            ASSERT_TRUE(UnregisterRefName(name(i).c_str(), i));
        }
    EXPECT_EQ(GetRefNameCount(), static_cast<int>(kNames / 50));
    for (unsigned long i = 0; i < kNames; ++i)
        ASSERT_EQ(GetGMPIDByRefName(name(i).c_str()), i % 50 ? ZARV_INVALID_GMPID : i) << i;
    EXPECT_FALSE(RegisterRefName(name(0).c_str(), 1));
    EXPECT_TRUE(RegisterRefName(name(1).c_str(), 1));
    ClearRefNames();
}

}  // namespace
