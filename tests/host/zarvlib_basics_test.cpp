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
#include <tuple>
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
    explicit Probe(int* death_count) : deaths(death_count) {}
    ~Probe() override { ++*deaths; }
    int* deaths;
};

TEST(ZarvObjTest, PtrsAndDataSetsHoldAReferenceEachAndTheObjectDiesAtZero) {
    int deaths = 0;
    Probe* a = new Probe(&deaths);
    auto b = CZARVPtr<Probe>::Adopt(new Probe(&deaths));
    {
        CZARVPtr<Probe> held(a), copy = held;
        CZARVDataSet<Probe> set;
        EXPECT_TRUE(set.Add(a));
        EXPECT_TRUE(set.Add(b.get()));
        EXPECT_TRUE(set.Add(a));  // twice is two entries
        EXPECT_FALSE(set.Add(nullptr));
        EXPECT_EQ(a->GetRefCount(), 5);
        EXPECT_EQ(set.GetAt(3), nullptr);
        a->Release();
        set.Clear();
        EXPECT_EQ(a->GetRefCount(), 2);
        set.Add(b.get());
        b.reset();
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(ZarvStrTest, BuildsFromPrefixesNullAndItsOwnFormatAndCutsAtTheFirstOrLastSeparator) {
    EXPECT_EQ(_zarv_str("abcdef", 3), "abc");
    EXPECT_EQ(_zarv_str(static_cast<const char*>(nullptr)), "");
    _zarv_str s("abc");
    s.Format("%s-%s-%d", s.c_str(), static_cast<const char*>(s), 7);  // from itself
    EXPECT_EQ(s, "abc-abc-7");
    _zarv_str first("a.b.c"), last("a.b.c///");
    last.TrimRight('/');
    EXPECT_EQ(first.DeleteAfterIncluding("."), 1);
    EXPECT_NE(last.DeleteAfterLastIncluding("."), 0);
    EXPECT_EQ(first, "a");
    EXPECT_EQ(last, "a.b");
}

// The pieces as plain strings, so a whole split is compared at once.
std::vector<std::string> Strings(const std::vector<_zarv_str>& pieces) {
    std::vector<std::string> out;
    for (const _zarv_str& p : pieces) out.push_back(p.str());
    return out;
}

TEST(ZarvStrTest, SplitsKeepEmptyPiecesAndReplaceTheVectorAndTheHashTakesUnsignedBytes) {
    std::vector<_zarv_str> out{"stale"};
    EXPECT_EQ(SplitStrByComma("a,,b", out), 3);
    EXPECT_EQ(Strings(out), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitStrByComma(nullptr, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(SplitStrByStr("a::b::::c", "::", out), 4);
    EXPECT_EQ(Strings(out), (std::vector<std::string>{"a", "b", "", "c"}));
    // The hash takes bytes as unsigned.
    EXPECT_EQ(DJBHash("abc"), 193485963u);
    EXPECT_EQ(DJBHash("\xff"), 5381u * 33 + 255);
}

TEST(ZarvVarTest, KindTextAndConversionsFollowTheAssignedType) {
    constexpr long kMin = std::numeric_limits<long>::min(), kMax = std::numeric_limits<long>::max();
    const std::tuple<_zarvVAR, int, const char*, long> cases[] = {
        {_zarvVAR(), -1, "", 0},
        {Var(true), 0, "true", 1},
        {Var(static_cast<unsigned short>(65535)), 2, "65535", 65535},
        {Var(0x123456789L), 3, "591751049", 591751049},  // a long keeps its low 32 bits
        {Var(0xFFFFFFFFFFUL), 4, "4294967295", 4294967295},
        {Var(-2.9), 6, "-2.9", -2},
        {Var(1e300), 6, "1e+300", kMax},  // saturates
        {_zarvVAR("  42abc"), 7, "  42abc", 42},
        {Var(-9223372036854775807LL - 1), _zarvVAR::VT_I8, "-9223372036854775808", kMin},
        {Var(18446744073709551615ULL), _zarvVAR::VT_UI8, "18446744073709551615", -1}};
    for (const auto& [value, kind, text, asLong] : cases) {
        EXPECT_EQ(value.GetType(), kind) << text;
        EXPECT_EQ(value.ToString(), text);
        EXPECT_EQ(static_cast<long>(value), asLong) << text;
    }
    EXPECT_EQ(static_cast<long>(Var(std::nan(""))), 0);
    EXPECT_FALSE(Var(1L) == Var(1UL));       // equal only in kind and value
    for (float f : {0.1f, FLT_MAX, 1e-40f})  // float texts read back exactly
        EXPECT_EQ(std::strtof(Var(f).ToString().c_str(), nullptr), f);
    for (double d : {1.0 / 3.0, 4.9e-324}) EXPECT_EQ(std::atof(Var(d).ToString().c_str()), d);
}

// Keys that share their upper bits land in one run of neighbouring slots;
// erasing from the middle of such runs must keep every other key reachable.
TEST(ZarvIdMapTest, EraseKeepsEveryOtherKeyReachableThroughGrowthAndClusters) {
    CZARVIdMap<int> map;
    std::map<uint32_t, int*> model;
    std::vector<int> cells(64);
    std::mt19937 rng(5);
    for (int round = 0; round < 6000; ++round) {
        const uint32_t key = (rng() % 3) << 12 | (rng() % 1000);  // dense blocks of GMPIDs
        int* value = &cells[rng() % cells.size()];
        if (rng() % 3 == 0)
            ASSERT_EQ(map.Erase(key), model.erase(key) == 1);
        else
            ASSERT_EQ(map.Insert(key, value), model.emplace(key, value).second);
    }
    ASSERT_EQ(map.size(), model.size());
    for (uint32_t key = 0; key < (3u << 12); ++key) {
        auto it = model.find(key);
        ASSERT_EQ(map.Find(key), it == model.end() ? nullptr : it->second) << key;
    }
    CZARVIdMap<int> other(std::move(map));
    EXPECT_EQ(other.size(), model.size());
    EXPECT_TRUE(map.Insert(3, &cells[0]));  // NOLINT(bugprone-use-after-move)
}

}  // namespace
