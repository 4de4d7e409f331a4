#include <gtest/gtest.h>

#include <vector>

#include "engine/config_db.h"
#include "engine/db_engine.h"
#include "host/zarvlib/zarv_str.h"
#include "tests/engine/engine_test_util.h"

namespace {

class IOLookupTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(kRid, 2));
        ASSERT_TRUE(engine->InsertMPInfo(ab.get()));
        ASSERT_TRUE(engine->InsertMPInfo(ac.get()));
        ASSERT_TRUE(engine->InsertMPInfo(xb.get()));
    }
    // The records of A$B and A$C in the order the index lists them.
    std::vector<unsigned long> ALeaves() const {
        return DJBHash("B") < DJBHash("C")
                   ? std::vector<unsigned long>{ab->GetGMPID(), ac->GetGMPID()}
                   : std::vector<unsigned long>{ac->GetGMPID(), ab->GetGMPID()};
    }
    int Count(const char* key) {
        CZARVDataSet<CZARVMPInfo> out;
        return engine->ListMPInfoByIO(kRid, key, out);
    }

    static constexpr unsigned char kRid = 192;
    RecordPtr ab = IORecord(Gmpid(kRid, 1, 3, 1), "A", "B");
    RecordPtr ac = IORecord(Gmpid(kRid, 1, 2, 1), "A", "C");
    RecordPtr xb = IORecord(Gmpid(kRid, 2, 3, 1), "X", "B");
};

TEST_F(IOLookupTest, FullKeyAndFirstPartFindTheirPoints) {
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A$B", out), 1);
    EXPECT_EQ(out[0], ab.get());
    CZARVDataSet<CZARVMPInfo> all;
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A", all), 2);
    EXPECT_EQ(Ids(all), ALeaves());
    EXPECT_EQ(ab->GetRefCount(), 4);  // test, database, two sets
}

TEST_F(IOLookupTest, ListingAppendsAndCountsOnlyTheLeaves) {
    CZARVDataSet<CZARVMPInfo> out;
    out.Add(xb.get());
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A", out), 2);
    EXPECT_EQ(out.GetCount(), 3);
}

TEST_F(IOLookupTest, BlockFormAppendsOnlyItsBlock) {
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 3, "A", out), 1);
    EXPECT_EQ(Ids(out), (std::vector<unsigned long>{ab->GetGMPID()}));
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 5, "A", out), 0);
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 19, "A", out), 0);  // 19 & 0xF would be 3
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, 3, "Q", out), -1);
    EXPECT_EQ(out.GetCount(), 1);
}

TEST_F(IOLookupTest, MissingIndexOrKeyGivesMinusOne) {
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(193, "A", out), -1);
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "A$Z", out), -1);
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, nullptr, out), -1);
    EXPECT_EQ(engine->ListMPInfoByIO(kRid, "", out), -1);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValueByIO(193, "A", values), -1);
    EXPECT_EQ(engine->ListValueByIO(kRid, "Q", values), -1);
    EXPECT_EQ(out.GetCount(), 0);
}

TEST_F(IOLookupTest, EmptiedBranchListsNothing) {
    engine->DeleteMPInfo(ab->GetGMPID());
    engine->DeleteMPInfo(ac->GetGMPID());
    EXPECT_EQ(Count("A"), 0);
    EXPECT_EQ(Count("A$B"), -1);
}

TEST_F(IOLookupTest, ValuesFollowTheLeavesAndSkipReferencePoints) {
    RecordPtr ref = Record(Gmpid(kRid, 1, 4, 1), {{401, "A"}, {402, "R"}, {499, "nobody"}});
    ASSERT_TRUE(engine->InsertMPInfo(ref.get()));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValueByIO(kRid, "A", values), 3);  // three leaves
    EXPECT_EQ(values.GetCount(), 2);                         // two values
    for (CZARVMPValue* v : values) EXPECT_NE(v->GetGMPID(), ref->GetGMPID());
    CZARVDataSet<CZARVMPValue> one;
    EXPECT_EQ(engine->ListValueByIO(kRid, "A$R", one), 1);
    EXPECT_EQ(one.GetCount(), 0);
}

TEST_F(EngineTest, ValuesByIOWithoutLiveValueDatabaseGiveMinusOne) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(200, 0, 0, 1), {{401, "A"}, {402, "B"}, {499, "x"}})));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValueByIO(200, "A", values), -1);
    CZARVDataSet<CZARVMPInfo> records;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "A", records), 1);
}

TEST_F(IOLookupTest, DeleteByFirstPartDeletesEveryPointBehindIt) {
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(kRid, 9, 0, 1), "N")));
    ASSERT_TRUE(Insert(Record(Gmpid(kRid, 9, 1, 1), {{499, "N"}})));
    engine->DeleteMPInfoByIO(kRid, "A");
    EXPECT_EQ(ab->GetRefCount(), 1);
    EXPECT_EQ(ac->GetRefCount(), 1);
    EXPECT_EQ(engine->GetMPInfo(ab->GetGMPID()), nullptr);
    EXPECT_EQ(engine->GetMPInfo(ac->GetGMPID()), nullptr);
    EXPECT_EQ(Count("A"), -1);
    EXPECT_EQ(Count("X$B"), 1);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(kRid, 1, values), 0);
    EXPECT_EQ(engine->ListValue(kRid, 2, values), 1);
    EXPECT_EQ(engine->GetAssGMPID(Gmpid(kRid, 9, 0, 1), nullptr, 0), 1u);
}

TEST_F(IOLookupTest, DeleteByIOPrunesAssociationsKeyedByTheDeletedPoints) {
    ASSERT_TRUE(engine->CreateConfigDB(130, 0));
    RecordPtr named = Record(Gmpid(kRid, 1, 0, 7), {{1, "T"}, {401, "T"}, {402, "1"}});
    ASSERT_TRUE(engine->InsertMPInfo(named.get()));
    ASSERT_TRUE(Insert(Record(Gmpid(130, 0, 1, 1), {{499, "T"}})));
    ASSERT_EQ(engine->GetAssGMPID(named->GetGMPID(), nullptr, 0), 1u);
    engine->DeleteMPInfoByIO(kRid, "T$1");
    EXPECT_EQ(engine->GetAssGMPID(named->GetGMPID(), nullptr, 0), 0u);
    EXPECT_EQ(named->GetRefCount(), 1);
}

TEST_F(IOLookupTest, DeleteOfAMissingKeyOrIndexDoesNothing) {
    engine->DeleteMPInfoByIO(kRid, "Q");
    engine->DeleteMPInfoByIO(kRid, nullptr);
    engine->DeleteMPInfoByIO(193, "A");
    EXPECT_EQ(Count("A"), 2);
    EXPECT_EQ(Count("X"), 1);
}

// --- which points are indexed --------------------------------------------------

TEST_F(EngineTest, OnlyIndexedRIDsAndTypesWithBothTextsGetAnEntry) {
    struct Case {
        unsigned char rid;
        int type;
        const char* a;
        const char* b;
        bool indexed;
    };
    const Case cases[] = {
        {191, 2, "a", "b", false}, {255, 2, "a", "b", false}, {193, 0, "a", "b", false},
        {194, 4, "a", "b", false}, {195, 2, "", "b", false},  {196, 2, "a", "", false},
        {192, 2, "a", "b", true},  {254, 1, "a", "b", true},  {197, 3, "a", "b", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.rid));
        ASSERT_TRUE(engine->CreateConfigDB(c.rid, c.type));
        EXPECT_TRUE(Insert(IORecord(Gmpid(c.rid, 0, 0, 1), c.a, c.b)));
        // A second point with the same texts is refused only where indexed.
        EXPECT_EQ(Insert(IORecord(Gmpid(c.rid, 0, 0, 2), c.a, c.b)), !c.indexed);
        CZARVDataSet<CZARVMPInfo> out;
        EXPECT_EQ(engine->ListMPInfoByIO(c.rid, "a", out), c.indexed ? 1 : -1);
    }
}

TEST_F(EngineTest, MissingAddressPropertyMeansNoEntry) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    EXPECT_TRUE(Insert(Record(Gmpid(200, 0, 0, 1), {{401, "a"}})));
    EXPECT_TRUE(Insert(Record(Gmpid(200, 0, 0, 2), {{401, "a"}})));
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a", out), -1);
}

TEST_F(EngineTest, NumericAddressTextsAreIndexedByTheirText) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    EXPECT_TRUE(Insert(Record(Gmpid(200, 0, 0, 1), {{401, Var(17L)}, {402, Var(3L)}})));
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "17$3", out), 1);
}

TEST_F(EngineTest, CreateIOIndexHookIndexesWithoutStoring) {
    auto plain = CZARVPtr<CZARVConfigDB>::Adopt(new CZARVConfigDB(191, 2, engine.get()));
    auto indexed = CZARVPtr<CZARVConfigDB>::Adopt(new CZARVConfigDB(200, 2, engine.get()));
    RecordPtr info = IORecord(Gmpid(200, 0, 0, 1), "a", "b");
    EXPECT_TRUE(engine->CreateIOIndex(info.get(), plain.get()));  // nothing to index
    EXPECT_TRUE(engine->CreateIOIndex(info.get(), indexed.get()));
    EXPECT_FALSE(engine->CreateIOIndex(info.get(), indexed.get()));
    EXPECT_EQ(engine->GetMPInfo(info->GetGMPID()), nullptr);
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a$b", out), 1);
    EXPECT_EQ(engine->ListMPInfoByIO(191, "a$b", out), -1);
    engine->DeleteMPInfoByIO(200, "a");  // the record was never stored: only the key goes
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a", out), -1);
}

TEST_F(EngineTest, PrefixAndLeafClashesAreRefused) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 1), "a", "b")));
    EXPECT_FALSE(Insert(IORecord(Gmpid(200, 0, 0, 9), "a$b", "c")));  // "a$b" is a leaf
    EXPECT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 9), "a", "c$d")));   // a third level under a
    EXPECT_FALSE(Insert(IORecord(Gmpid(200, 0, 0, 10), "a", "c")));   // "a$c" is a branch now
}

// --- stale entries -------------------------------------------------------------

TEST_F(IOLookupTest, DeletedPointsAddressIsFreeAtOnce) {
    engine->DeleteMPInfo(ab->GetGMPID());
    EXPECT_EQ(Count("A$B"), -1);
    EXPECT_EQ(Count("A"), 1);
    EXPECT_TRUE(Insert(IORecord(Gmpid(kRid, 3, 0, 1), "A", "B")));
    CZARVDataSet<CZARVMPInfo> out;
    ASSERT_EQ(engine->ListMPInfoByIO(kRid, "A$B", out), 1);
    EXPECT_EQ(out[0]->GetGMPID(), Gmpid(kRid, 3, 0, 1));
}

TEST_F(IOLookupTest, BlockAndGroupDeletesWithdrawTheirEntries) {
    engine->DeleteMPInfo(kRid, 1, 3);
    EXPECT_EQ(Count("A$B"), -1);
    EXPECT_EQ(Count("A$C"), 1);
    engine->DeleteMPInfo(kRid, 1);
    EXPECT_EQ(Count("A$C"), -1);
    EXPECT_EQ(Count("X$B"), 1);
}

TEST_F(IOLookupTest, EntryFollowsTheRecordEvenAfterItsTextsChange) {
    ab->SetMPProp(401, "changed", 0);
    engine->DeleteMPInfo(ab->GetGMPID());
    EXPECT_EQ(Count("A$B"), -1);  // the entry made at insertion went with it
    EXPECT_TRUE(Insert(IORecord(Gmpid(kRid, 3, 0, 1), "A", "B")));
}

TEST_F(IOLookupTest, DeleteConfigDBDropsTheWholeIndex) {
    engine->DeleteConfigDB(kRid);
    EXPECT_EQ(Count("A"), -1);
    EXPECT_EQ(ab->GetRefCount(), 1);
}

}  // namespace
