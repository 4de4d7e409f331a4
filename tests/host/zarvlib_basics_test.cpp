// The utility layer's objects, texts, variants and identifier map.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_id_map.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;

struct Probe : CZARVObj {
    explicit Probe(int* death_count, int probe_id = 0) : deaths(death_count), id(probe_id) {}
    ~Probe() override { ++*deaths; }
    int* deaths;
    int id;
};

TEST(ZarvObjTest, CountsAndDestroysAtZeroAndPtrHoldsOrAdopts) {
    int deaths = 0;
    Probe* p = new Probe(&deaths);
    EXPECT_EQ(p->AddRef(), 2);
    EXPECT_EQ(p->Release(), 1);
    {
        CZARVPtr<Probe> held(p);
        CZARVPtr<Probe> copy = held;
        EXPECT_EQ(p->GetRefCount(), 3);
    }
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(deaths, 0);
    { auto owner = CZARVPtr<Probe>::Adopt(p); }
    EXPECT_EQ(deaths, 1);
}

TEST(ZarvDataSetTest, TakesReferencesKeepsOrderAndReleasesOnClearAndDestruction) {
    int deaths = 0;
    std::vector<Probe*> probes;
    for (int i = 0; i < 3; ++i) probes.push_back(new Probe(&deaths, i));
    {
        CZARVDataSet<Probe> set;
        for (Probe* p : probes) EXPECT_TRUE(set.Add(p));
        EXPECT_TRUE(set.Add(probes[0]));  // the same element twice is two entries
        EXPECT_FALSE(set.Add(nullptr));
        EXPECT_EQ(probes[0]->GetRefCount(), 3);
        std::vector<int> ids;
        for (Probe* p : set) ids.push_back(p->id);
        EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 0}));
        EXPECT_EQ(set.GetAt(4), nullptr);
        EXPECT_EQ(set.GetAt(-1), nullptr);
        for (Probe* p : probes) p->Release();  // the set now holds the last references
        EXPECT_EQ(deaths, 0);
        set.Clear();
        EXPECT_EQ(deaths, 3);
        EXPECT_EQ(set.GetCount(), 0);
        Probe* last = new Probe(&deaths);
        set.Add(last);
        last->Release();
    }
    EXPECT_EQ(deaths, 4);
}

std::vector<std::string> Pieces(const std::vector<_zarv_str>& v) {
    std::vector<std::string> out;
    for (const auto& s : v) out.push_back(s.str());
    return out;
}

TEST(ZarvStrTest, ConstructionAppendAndFormatFromItself) {
    EXPECT_EQ(_zarv_str("abcdef", 0), "abcdef");
    EXPECT_EQ(_zarv_str("abcdef", 3), "abc");
    EXPECT_EQ(_zarv_str(static_cast<const char*>(nullptr)), "");
    _zarv_str s("n=");
    s << -42L;
    s += ",";
    s += _zarv_str("x");
    EXPECT_STREQ(static_cast<const char*>(s), "n=-42,x");
    s = "abc";
    s.Format("%s-%s-%d", s.c_str(), static_cast<const char*>(s), 7);
    EXPECT_EQ(s, "abc-abc-7");
    s.Format("%s", "");
    EXPECT_TRUE(s.empty());
}

TEST(ZarvStrTest, TrimAndCut) {
    _zarv_str trimmed("a.b.c///"), all("////"), first("a.b.c"), last("a.b.c"), none("abc");
    trimmed.TrimRight('/');
    all.TrimRight('/');
    EXPECT_EQ(first.DeleteAfterIncluding("."), 1);
    EXPECT_NE(last.DeleteAfterLastIncluding("."), 0);
    EXPECT_EQ(none.DeleteAfterIncluding("."), 0);
    EXPECT_EQ(Pieces({trimmed, all, first, last, none}),
              (std::vector<std::string>{"a.b.c", "", "a", "a.b", "abc"}));
}

TEST(ZarvStrTest, SplittingCountsEmptyPiecesAndReplacesTheOutput) {
    std::vector<_zarv_str> out{"stale"};
    EXPECT_EQ(SplitStrByComma("a,,b", out), 3);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitStrByComma("7,", out), 2);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"7", ""}));
    EXPECT_EQ(SplitStrByComma(",", out), 2);
    EXPECT_EQ(SplitStrByComma("", out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(SplitStrByComma(nullptr, out), 0);
    EXPECT_EQ(SplitStrByChar("x;y", ';', out), 2);
    EXPECT_EQ(SplitStrByStr("a::b::::c", "::", out), 4);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitStrByStr("abc", "", out), 1);
}

TEST(ZarvStrTest, DJBHashKnownValues) {
    EXPECT_EQ(DJBHash(""), 5381u);
    EXPECT_EQ(DJBHash(static_cast<const char*>(nullptr)), 5381u);
    EXPECT_EQ(DJBHash("abc"), 193485963u);
    EXPECT_EQ(DJBHash("\xff"), 5381u * 33 + 255);  // bytes are unsigned
}

TEST(ZarvVarTest, KindAndTextFollowTheAssignedType) {
    const struct {
        _zarvVAR value;
        int kind;
        const char* text;
    } cases[] = {
        {_zarvVAR(), -1, ""},
        {Var(true), 0, "true"},
        {Var(false), 0, "false"},
        {Var(short{-32768}), 1, "-32768"},
        {Var(static_cast<unsigned short>(65535)), 2, "65535"},
        {Var(-1L), 3, "-1"},
        {Var(0x123456789L), 3, "591751049"},  // a long keeps its low 32 bits
        {Var(0xFFFFFFFFFFUL), 4, "4294967295"},
        {Var(1.5f), 5, "1.5"},
        {Var(1.5), 6, "1.5"},
        {_zarvVAR("a \"text\" & more"), 7, "a \"text\" & more"},
        {_zarvVAR(static_cast<const char*>(nullptr)), 7, ""},
        {Var(-9223372036854775807LL - 1), _zarvVAR::VT_I8, "-9223372036854775808"},
        {Var(18446744073709551615ULL), _zarvVAR::VT_UI8, "18446744073709551615"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.GetType(), c.kind) << c.text;
        EXPECT_EQ(c.value.ToString(), c.text);
    }
    EXPECT_FALSE(Var(1L) == Var(1UL));  // equal only in kind and value
    EXPECT_TRUE(_zarvVAR() == _zarvVAR());
}

TEST(ZarvVarTest, FloatTextReadsBackExactly) {
    for (float f : {0.1f, 1.0f / 3.0f, FLT_MIN, FLT_MAX, -123.456f, 1e-40f}) {
        const _zarv_str text = Var(f).ToString();
        EXPECT_EQ(static_cast<float>(std::atof(text.c_str())), f) << text;
    }
    for (double d : {0.1, 1.0 / 3.0, DBL_MIN, DBL_MAX, -2.5e-300, 4.9e-324}) {
        const _zarv_str text = Var(d).ToString();
        EXPECT_EQ(std::atof(text.c_str()), d) << text;
    }
}

TEST(ZarvVarTest, ConversionsFollowCRulesAndSaturate) {
    const struct {
        _zarvVAR value;
        long asLong;
    } cases[] = {
        {Var(-2.9), -2},        {Var(1e300), std::numeric_limits<long>::max()},
        {Var(std::nan("")), 0}, {_zarvVAR("  42abc"), 42},
        {_zarvVAR("abc"), 0},   {Var(true), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<long>(c.value), c.asLong) << c.value.ToString();
    EXPECT_EQ(static_cast<short>(Var(70000L)), static_cast<short>(70000));
    EXPECT_EQ(static_cast<short>(Var(static_cast<unsigned short>(65535))), -1);
}

// Keys that share their upper bits land in one run of neighbouring slots;
// erasing from the middle of such runs must keep every other key reachable.
TEST(ZarvIdMapTest, EraseKeepsEveryOtherKeyReachableThroughGrowthAndClusters) {
    CZARVIdMap<int> map;
    std::map<uint32_t, int*> model;
    std::vector<int> cells(20000);
    std::mt19937 rng(5);
    for (int round = 0; round < 60000; ++round) {
        // A few blocks of GMPIDs, dense inside each block.
        uint32_t key = (rng() % 6) << 12 | (rng() % 3000);
        int* value = &cells[rng() % cells.size()];
        if (rng() % 3 == 0)
            EXPECT_EQ(map.Erase(key), model.erase(key) == 1);
        else
            EXPECT_EQ(map.Insert(key, value), model.emplace(key, value).second);
    }
    ASSERT_EQ(map.size(), model.size());
    for (uint32_t key = 0; key < (6u << 12); ++key) {
        auto it = model.find(key);
        ASSERT_EQ(map.Find(key), it == model.end() ? nullptr : it->second) << key;
    }
}

TEST(ZarvIdMapTest, ReservedClearedAndMovedFromMapsStayUsable) {
    CZARVIdMap<int> map;
    int a = 1;
    map.Reserve(1000);
    for (uint32_t k = 0; k < 1000; ++k) ASSERT_TRUE(map.Insert(k * 4096, &a));
    EXPECT_EQ(map.Find(999 * 4096), &a);
    map.Clear();
    EXPECT_EQ(map.size(), 0u);
    EXPECT_EQ(map.Find(0), nullptr);
    EXPECT_FALSE(map.Erase(0));
    EXPECT_TRUE(map.Insert(3, &a));

    CZARVIdMap<int> other(std::move(map));
    EXPECT_EQ(other.Find(3), &a);
    EXPECT_EQ(map.Find(3), nullptr);  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(map.Insert(3, &a));
}

}  // namespace
