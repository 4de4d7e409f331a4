#include <gtest/gtest.h>

#include <cstdio>

#include "host/zarvkernel/ref_names.h"

namespace {

constexpr unsigned long kNone = 0xFFFFFFFFUL;

class RefNamesTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override { ClearRefNames(); }
};

TEST_F(RefNamesTest, RegisteredNameResolvesExactlyAndOthersGiveNoPoint) {
    ASSERT_TRUE(RegisterRefName("Valve", 0x01020003));
    EXPECT_EQ(GetGMPIDByRefName("Valve"), 0x01020003UL);
    for (const char* other : {"valve", "Valve ", "nobody", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(GetGMPIDByRefName(other), kNone) << (other ? other : "(null)");
}

TEST_F(RefNamesTest, FirstOwnerKeepsTheNameAgainstOthers) {
    ASSERT_TRUE(RegisterRefName("Tank", 1));
    EXPECT_FALSE(RegisterRefName("Tank", 2));
    EXPECT_FALSE(UnregisterRefName("Tank", 2));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 1UL);
}

TEST_F(RefNamesTest, NameStaysUntilItsLastEntryIsDropped) {
    ASSERT_TRUE(RegisterRefName("Tank", 7));
    ASSERT_TRUE(RegisterRefName("Tank", 7));
    EXPECT_EQ(GetRefNameCount(), 1);
    EXPECT_TRUE(UnregisterRefName("Tank", 7));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 7UL);
    EXPECT_TRUE(UnregisterRefName("Tank", 7));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), kNone);
    EXPECT_FALSE(UnregisterRefName("Tank", 7));
}

TEST_F(RefNamesTest, UnregisterWithoutGMPIDRemovesOutright) {
    RegisterRefName("Tank", 7);
    RegisterRefName("Tank", 7);
    EXPECT_TRUE(UnregisterRefName("Tank"));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), kNone);
    EXPECT_FALSE(UnregisterRefName("Tank"));
    EXPECT_FALSE(UnregisterRefName(nullptr));
}

TEST_F(RefNamesTest, UnusableNamesAndTheNoPointGMPIDAreRefused) {
    EXPECT_FALSE(RegisterRefName(nullptr, 1));
    EXPECT_FALSE(RegisterRefName("", 1));
    EXPECT_FALSE(RegisterRefName("x", kNone));
    EXPECT_FALSE(RegisterRefName("x", 0x100000000UL));
    EXPECT_EQ(GetRefNameCount(), 0);
}

TEST_F(RefNamesTest, ManyNamesResolve) {
    char name[32];
    for (unsigned long i = 0; i < 20000; ++i) {
        snprintf(name, sizeof name, "P%lu", i);
        ASSERT_TRUE(RegisterRefName(name, i));
    }
    EXPECT_EQ(GetRefNameCount(), 20000);
    EXPECT_EQ(GetGMPIDByRefName("P12345"), 12345UL);
}

}  // namespace
