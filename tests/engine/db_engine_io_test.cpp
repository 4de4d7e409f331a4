#include <gtest/gtest.h>

#include <vector>

#include "engine/db_engine.h"
#include "tests/engine/engine_test_util.h"

namespace {

class IOLookupTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(kRid, 2));
        for (RecordPtr* info : {&ab, &ac, &xb}) ASSERT_TRUE(engine->InsertMPInfo(info->get()));
    }
    int Count(const char* key) { return ByIO(kRid, key); }

    static constexpr unsigned char kRid = 192;
    RecordPtr ab = IORecord(Gmpid(kRid, 1, 3, 1), "A", "B");
    RecordPtr ac = IORecord(Gmpid(kRid, 1, 2, 1), "A", "C");
    RecordPtr xb = IORecord(Gmpid(kRid, 2, 3, 1), "X", "B");
};

TEST_F(IOLookupTest, FullKeyFirstPartAndBlockFormAppendTheirPoints) {
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A$B", out), 1);
    EXPECT_EQ(out[0], ab.get());
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A", out), 2);  // counts the leaves only
    EXPECT_EQ(Ids(out),
              (std::vector<unsigned long>{ab->GetGMPID(), ab->GetGMPID(), ac->GetGMPID()}));
    EXPECT_EQ(ab->GetRefCount(), 4);  // test, database, the set twice
    CZARVDataSet<CZARVMPInfo> block;
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 3, "A", block), 1);
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 19, "A", block), 0);  // 19 & 0xF would be 3
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 3, "Q", block), -1);
    EXPECT_EQ(Ids(block), (std::vector<unsigned long>{ab->GetGMPID()}));
    for (const char* key : {"A$Z", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(Count(key), -1);
    EXPECT_EQ(ByIO(193, "A"), -1);  // no index
}

TEST_F(IOLookupTest, ValuesFollowTheLeavesAndSkipReferencePoints) {
    RecordPtr ref = Record(Gmpid(kRid, 1, 4, 1), {{401, "A"}, {402, "R"}, {499, "nobody"}});
    ASSERT_TRUE(engine->InsertMPInfo(ref.get()));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValueByIO(kRid, "A", values), 3);  // three leaves
    EXPECT_EQ(Ids(values),
              (std::vector<unsigned long>{ab->GetGMPID(), ac->GetGMPID()}));  // two values
    EXPECT_EQ(engine->ListValueByIO(kRid, "Q", values), -1);
}

TEST_F(IOLookupTest, DeleteByFirstPartDeletesEveryPointBehindIt) {
    engine->DeleteMPInfoByIO(kRid, nullptr);
    engine->DeleteMPInfoByIO(193, "A");
    EXPECT_EQ(Count("A"), 2);
    engine->DeleteMPInfoByIO(kRid, "A");
    EXPECT_EQ(ac->GetRefCount(), 1);
    EXPECT_FALSE(Has(ab->GetGMPID()));
    EXPECT_EQ(Count("A"), -1);
    EXPECT_EQ(Count("X$B"), 1);
    EXPECT_EQ(Values(kRid, 1), 0);
}

// A second point with the same texts is refused only where indexed.
TEST_F(EngineTest, OnlyIndexedRIDsAndTypesWithBothTextsGetAnEntry) {
    const struct {
        unsigned char rid;
        int type;
        const char *a, *b;
        bool indexed;
    } cases[] = {
        {191, 2, "a", "b", false}, {255, 2, "a", "b", false}, {193, 0, "a", "b", false},
        {194, 4, "a", "b", false}, {196, 2, "a", "", false},  {254, 1, "a", "b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.rid));
        ASSERT_TRUE(engine->CreateConfigDB(c.rid, c.type));
        EXPECT_TRUE(Insert(IORecord(Gmpid(c.rid, 0, 0, 1), c.a, c.b)));
        EXPECT_EQ(Insert(IORecord(Gmpid(c.rid, 0, 0, 2), c.a, c.b)), !c.indexed);
    }
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));  // numbers are indexed by their text
    EXPECT_TRUE(Insert(Record(Gmpid(200, 0, 0, 3), {{401, Var(17L)}, {402, Var(3L)}})));
    EXPECT_EQ(ByIO(200, "17$3"), 1);
}

TEST_F(IOLookupTest, DeletesWithdrawTheEntryMadeAtInsertionEvenAfterTheTextsChanged) {
    ab->SetMPProp(401, "changed", 0);
    engine->DeleteMPInfo(ab->GetGMPID());
    EXPECT_EQ(Count("A$B"), -1);
    EXPECT_TRUE(Insert(IORecord(Gmpid(kRid, 3, 0, 1), "A", "B")));
    engine->DeleteMPInfo(kRid, 1);
    EXPECT_EQ(Count("A$C"), -1);
    engine->DeleteConfigDB(kRid);
    EXPECT_EQ(Count("X"), -1);
    EXPECT_EQ(xb->GetRefCount(), 1);
}

}  // namespace
