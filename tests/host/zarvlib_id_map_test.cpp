#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "host/zarvlib/zarv_id_map.h"

namespace {

TEST(ZarvIdMapTest, FindsWhatWasInsertedAndRefusesADuplicateKey) {
    CZARVIdMap<int> map;
    int a = 1, b = 2;
    EXPECT_EQ(map.Find(7), nullptr);
    EXPECT_TRUE(map.Insert(7, &a));
    EXPECT_FALSE(map.Insert(7, &b));
    EXPECT_EQ(map.Find(7), &a);
    EXPECT_EQ(map.Find(8), nullptr);
    EXPECT_EQ(map.size(), 1u);
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
