#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/db_engine.h"
#include "tests/engine/engine_test_util.h"

namespace {

using Gmpids = std::vector<unsigned long>;

TEST_F(EngineTest, FreeRIDIsTheFirstWithoutConfigurationDatabaseBelowTheBound) {
    for (auto [from, to] :
         std::initializer_list<std::pair<int, int>>{{0, 0}, {5, 4}, {-1, 10}, {0, 255}})
        EXPECT_EQ(engine->GetFreeRID(from, to), -1) << from << ".." << to;
    for (int rid : {0, 1, 3}) ASSERT_TRUE(engine->CreateConfigDB(rid, 0));
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(2, 0, 0, 1))));  // live values only: still free
    EXPECT_EQ(engine->GetFreeRID(0, 10), 2);
    EXPECT_EQ(engine->GetFreeRID(3, 4), -1);  // the upper bound is excluded
    for (int rid = 0; rid < 254; ++rid) engine->CreateConfigDB(rid, 0);
    EXPECT_EQ(engine->GetFreeRID(0, 254), -1);
}

TEST_F(EngineTest, FreeGMPIDsAreTheFirstGapsOfTheBlockInOrder) {
    ASSERT_TRUE(engine->CreateConfigDB(7, 1));
    // Offsets 0, 1 and 5 of block 3 taken; neighbours just outside must not count.
    for (unsigned long id : {Gmpid(7, 2, 3, 0), Gmpid(7, 2, 3, 1), Gmpid(7, 2, 3, 5),
                             Gmpid(7, 2, 2, 0xFFF), Gmpid(7, 2, 4, 0)})
        ASSERT_TRUE(Insert(Record(id)));
    EXPECT_EQ(engine->GetFreeGMPID(7, 2, 3, nullptr, 5), 4096u - 3);
    Gmpids out(5000, 0xDEAD);
    EXPECT_EQ(engine->GetFreeGMPID(7, 2, 3, out.data(), 3), 3u);
    EXPECT_EQ(Gmpids(out.begin(), out.begin() + 4),
              (Gmpids{Gmpid(7, 2, 3, 2), Gmpid(7, 2, 3, 3), Gmpid(7, 2, 3, 4), 0xDEAD}));
    ASSERT_EQ(engine->GetFreeGMPID(7, 2, 3, out.data(), 5000), 4096u - 3);
    EXPECT_EQ(out[4096 - 3], 0xDEADu);
    EXPECT_EQ(engine->GetFreeGMPID(8, 2, 3, nullptr, 0), 0u);      // no database
    EXPECT_EQ(engine->GetFreeGMPID(7, 2, 16, out.data(), 1), 0u);  // no block 16
}

// P is named; two reference points of RID 130 name it (the second first).
class AssociationTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        ASSERT_TRUE(engine->CreateConfigDB(130, 1));
        ASSERT_TRUE(Insert(NamedRecord(kP, "P")));
        ASSERT_TRUE(Insert(Record(kRef2, {{499, "P"}})));
        ASSERT_TRUE(Insert(Record(kRef1, {{499, "P"}})));
    }
    const unsigned long kP = Gmpid(5, 0, 0, 1), kRef1 = Gmpid(130, 0, 1, 1),
                        kRef2 = Gmpid(130, 0, 1, 9);
};

TEST_F(AssociationTest, EqualKeysKeepInsertionOrderAndCopyOnlyWhatFits) {
    EXPECT_EQ(Ass(kRef1), 0u);
    unsigned long out[3] = {0, 0, 0xDEAD};
    EXPECT_EQ(engine->GetAssGMPID(kP, out, -4), 0u);
    EXPECT_EQ(engine->GetAssGMPID(kP, out, 1), 1u);
    EXPECT_EQ(Gmpids(out, out + 3), (Gmpids{kRef2, 0, 0xDEAD}));
    EXPECT_EQ(engine->GetAssGMPID(kP, out, 3), 2u);
    EXPECT_EQ(Gmpids(out, out + 3), (Gmpids{kRef2, kRef1, 0xDEAD}));
}

TEST_F(AssociationTest, ResolvedAtInsertionOnlyAndPrunedOnlyByDeletesOfTheReferencedPoint) {
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 1, 1), {{499, "Later"}})));
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(5, 0, 0, 2), "Later")));
    EXPECT_EQ(Ass(Gmpid(5, 0, 0, 2)), 0u);
    engine->DeleteMPInfo(kRef1);  // the referencing point: the entry stays
    EXPECT_EQ(Ass(kP), 2u);
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(5, 1, 0, 0), "R")));
    ASSERT_TRUE(Insert(Record(Gmpid(130, 0, 1, 21), {{499, "R"}})));
    engine->DeleteMPInfo(5, 0);
    EXPECT_EQ(Ass(kP), 0u);
    EXPECT_EQ(Ass(Gmpid(5, 1, 0, 0)), 1u);
    engine->DeleteConfigDB(5);
    EXPECT_EQ(Ass(Gmpid(5, 1, 0, 0)), 0u);
}

}  // namespace
