#include <gtest/gtest.h>

#include "host/zarvkernel/ref_names.h"

namespace {

class RefNamesTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override { ClearRefNames(); }
};

TEST_F(RefNamesTest, UnknownNullAndEmptyNamesGiveNoPoint) {
    EXPECT_EQ(GetGMPIDByRefName("nobody"), 0xFFFFFFFFUL);
    EXPECT_EQ(GetGMPIDByRefName(nullptr), 0xFFFFFFFFUL);
    EXPECT_EQ(GetGMPIDByRefName(""), 0xFFFFFFFFUL);
}

TEST_F(RefNamesTest, RegisteredNameResolvesExactly) {
    ASSERT_TRUE(RegisterRefName("Valve", 0x01020003));
    EXPECT_EQ(GetGMPIDByRefName("Valve"), 0x01020003UL);
    EXPECT_EQ(GetGMPIDByRefName("valve"), 0xFFFFFFFFUL);
    EXPECT_EQ(GetGMPIDByRefName("Valve "), 0xFFFFFFFFUL);
}

TEST_F(RefNamesTest, FirstOwnerKeepsTheName) {
    ASSERT_TRUE(RegisterRefName("Tank", 1));
    EXPECT_FALSE(RegisterRefName("Tank", 2));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 1UL);
    // Dropping for the refused point does not take the owner's name.
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
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 0xFFFFFFFFUL);
    EXPECT_FALSE(UnregisterRefName("Tank", 7));
}

TEST_F(RefNamesTest, UnregisterWithoutGMPIDRemovesOutright) {
    RegisterRefName("Tank", 7);
    RegisterRefName("Tank", 7);
    EXPECT_TRUE(UnregisterRefName("Tank"));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 0xFFFFFFFFUL);
    EXPECT_FALSE(UnregisterRefName("Tank"));
    EXPECT_FALSE(UnregisterRefName(nullptr));
}

TEST_F(RefNamesTest, UnusableNamesAndTheNoPointGMPIDAreRefused) {
    EXPECT_FALSE(RegisterRefName(nullptr, 1));
    EXPECT_FALSE(RegisterRefName("", 1));
    EXPECT_FALSE(RegisterRefName("x", 0xFFFFFFFFUL));
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
