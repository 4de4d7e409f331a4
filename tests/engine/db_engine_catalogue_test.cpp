#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/db_engine.h"
#include "host/zarvkernel/kernel_version.h"
#include "tests/engine/engine_test_util.h"

namespace {

// --- versions and flag -------------------------------------------------------

TEST_F(EngineTest, VersionTextGivesItsMajorNumber) {
    const std::pair<const char*, int> cases[] = {{"1.0.0", 1}, {"10.2", 10}, {nullptr, 0}, {"7", 0},
                                                 {"x.1", 0},   {".5", 0},    {"-3.1", -3}};
    for (auto [text, major] : cases)
        EXPECT_EQ(engine->GetVer(text), major) << (text ? text : "null");
}

TEST_F(EngineTest, ConstructorSetsTheKernelVersionEveryEngineComparesWith) {
    EXPECT_EQ(m_gZARVVer, 1);
    EXPECT_TRUE(engine->IsValid("1.9"));
    EXPECT_TRUE(engine->IsValid("7"));  // major 0
    EXPECT_FALSE(engine->IsValid("2.0"));
    {
        TestEngine other("3.1.4");
        EXPECT_EQ(m_gZARVVer, 3);
        EXPECT_TRUE(engine->IsValid("2.0"));
    }
    TestEngine reset;
    EXPECT_EQ(m_gZARVVer, 1);
}

TEST_F(EngineTest, OnlySetModifyChangesTheFlag) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    EXPECT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    engine->DeleteMPInfo(Gmpid(5, 0, 0, 1));
    EXPECT_FALSE(engine->IsModified());
    engine->SetModify(true);
    EXPECT_TRUE(engine->IsModified());
}

// --- configuration databases ----------------------------------------------

TEST_F(EngineTest, CreateConfigDBKeepsTheFirstType) {
    EXPECT_EQ(engine->GetConfigDBType(5), -1);
    EXPECT_TRUE(engine->CreateConfigDB(5, 1));
    EXPECT_TRUE(engine->CreateConfigDB(5, 3));
    EXPECT_EQ(engine->GetConfigDBType(5), 1);
    EXPECT_TRUE(engine->CreateConfigDB(0, -7));
    EXPECT_EQ(engine->GetConfigDBType(0), -7);
}

TEST_F(EngineTest, DeleteConfigDBDropsRecordsValuesAndIndex) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    RecordPtr info = IORecord(Gmpid(200, 1, 0, 1), "a", "b");
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    engine->DeleteConfigDB(200);
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(engine->GetConfigDBType(200), -1);
    EXPECT_EQ(Values(200, 1), -1);
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));  // a fresh database takes the point again
    EXPECT_TRUE(engine->InsertMPInfo(info.get()));
    // Without a configuration database the live values still go.
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(9, 1, 0, 1))));
    engine->DeleteConfigDB(9);
    EXPECT_EQ(Values(9, 1), -1);
}

// --- insert ---------------------------------------------------------------

TEST_F(EngineTest, InsertWithoutDatabaseOrRecordChangesNothing) {
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    EXPECT_FALSE(engine->InsertMPInfo(info.get()));
    EXPECT_FALSE(engine->InsertMPInfo(nullptr));
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(Values(5, 0), -1);  // no live-value database made
}

TEST_F(EngineTest, StoredRecordHoldsOneReferenceAndADuplicateGMPIDIsRefused) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr first = Record(Gmpid(5, 0, 0, 1), {{7, "first"}});
    RecordPtr second = Record(Gmpid(5, 0, 0, 1), {{7, "second"}});
    ASSERT_TRUE(engine->InsertMPInfo(first.get()));
    EXPECT_FALSE(engine->InsertMPInfo(second.get()));
    EXPECT_FALSE(engine->InsertMPInfo(first.get()));  // the same object again
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), first.get());
    EXPECT_EQ(first->GetRefCount(), 2);  // getters lend
    EXPECT_EQ(second->GetRefCount(), 1);
}

TEST_F(EngineTest, OnlyTheLowThirtyTwoBitsOfAGMPIDCount) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1), {{7, Var(42L)}})));
    unsigned long wide = 0xAB00000000UL | Gmpid(5, 0, 0, 1);
    EXPECT_EQ(static_cast<long>(engine->GetProperty(wide, 7)), 42);
    engine->DeleteMPInfo(wide);
    EXPECT_FALSE(Has(Gmpid(5, 0, 0, 1)));
}

TEST_F(EngineTest, InsertOfASetCountsTheStoredRecords) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    CZARVDataSet<CZARVMPInfo> set;
    EXPECT_EQ(engine->InsertMPInfo(set), 0);
    for (unsigned long id :
         {Gmpid(5, 0, 0, 1), Gmpid(5, 0, 0, 1), Gmpid(6, 0, 0, 1), Gmpid(5, 0, 0, 2)})
        set.Add(Record(id).get());  // a duplicate and one without database
    EXPECT_EQ(engine->InsertMPInfo(set), 2);
    EXPECT_EQ(set[0]->GetRefCount(), 2);
    EXPECT_EQ(set[1]->GetRefCount(), 1);
    EXPECT_EQ(set[2]->GetRefCount(), 1);
}

TEST_F(EngineTest, PlainPointGetsALiveValueReferencePointDoesNot) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(engine->CreateConfigDB(6, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 2), {{499, "nobody"}})));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 3), {{499, ""}})));
    ASSERT_TRUE(Insert(Record(Gmpid(6, 0, 0, 2), {{499, "nobody"}})));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), 1);
    EXPECT_EQ(Ids(values), (std::vector<unsigned long>{Gmpid(5, 0, 0, 1)}));
    EXPECT_EQ(values[0]->GetRefCount(), 2);  // the live-value database's and the set's
    EXPECT_EQ(Ass(Gmpid(5, 0, 0, 1)), 0u);
    EXPECT_TRUE(Has(Gmpid(5, 0, 0, 2)));
    EXPECT_EQ(Values(6, 0), -1);  // reference points alone make no live-value database
}

// The insert steps run in a fixed order: IO index, association or live
// value, record. A step that fails leaves the earlier ones done, except the
// index entry, which goes with the refused record.
TEST_F(EngineTest, DuplicateGMPIDAfterTheIOStepLeavesTheAddressFree) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 1), "a", "b")));
    RecordPtr clash = IORecord(Gmpid(200, 0, 1, 1), "a", "c");
    EXPECT_FALSE(engine->InsertMPInfo(clash.get()));
    EXPECT_EQ(clash->GetRefCount(), 1);
    EXPECT_EQ(ByIO(200, "a$c"), -1);
    EXPECT_EQ(ByIO(200, "a"), 1);
    EXPECT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 2), "a", "c")));
}

TEST_F(EngineTest, DuplicateGMPIDKeepsTheAssociationItAdded) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(5, 0, 0, 1), "P")));
    RecordPtr ref = Record(Gmpid(5, 0, 1, 1), {{499, "P"}});
    ASSERT_TRUE(engine->InsertMPInfo(ref.get()));
    EXPECT_FALSE(engine->InsertMPInfo(ref.get()));
    EXPECT_EQ(Ass(Gmpid(5, 0, 0, 1)), 2u);
}

TEST_F(EngineTest, DuplicateIOAddressIsRefusedBeforeAnythingElse) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 1), "a", "b")));
    RecordPtr clash = IORecord(Gmpid(200, 0, 0, 2), "a", "b");
    EXPECT_FALSE(engine->InsertMPInfo(clash.get()));
    EXPECT_EQ(clash->GetRefCount(), 1);
    EXPECT_FALSE(Has(Gmpid(200, 0, 0, 2)));
    EXPECT_EQ(Values(200, 0), 1);  // no live value for the refused point
}

TEST_F(EngineTest, OnAddMPInfoAloneMakesTheLiveValueAndKeepsAnExistingOne) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    EXPECT_TRUE(engine->OnAddMPInfo(*info));
    EXPECT_TRUE(engine->OnAddMPInfo(*info));
    EXPECT_FALSE(Has(Gmpid(5, 0, 0, 1)));
    EXPECT_EQ(Values(5, 0), 1);
    EXPECT_EQ(info->GetRefCount(), 1);
}

// --- listing and deletes -------------------------------------------------------

class EngineListTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        // Group 3: blocks 1, 2 (ten records, inserted in descending order,
        // and the block's last GMPID) and 3; group 4: one; group 2: its last.
        ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 1, 0xFFF))));
        for (int i = 9; i >= 0; --i) ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 2, i * 100))));
        for (unsigned long id :
             {Gmpid(5, 3, 2, 0xFFF), Gmpid(5, 3, 3, 0), Gmpid(5, 4, 0, 0), Gmpid(5, 2, 15, 0xFFF)})
            ASSERT_TRUE(Insert(Record(id)));
    }
};

TEST_F(EngineListTest, BlockListingAppendsAscendingAndCountsWhatTheSetHolds) {
    CZARVDataSet<CZARVMPInfo> out;
    std::vector<unsigned long> expected;
    for (int i = 0; i < 4; ++i) {
        out.Add(Record(Gmpid(9, 9, 9, i)).get());
        expected.push_back(Gmpid(9, 9, 9, i));
    }
    for (int i = 0; i < 10; ++i) expected.push_back(Gmpid(5, 3, 2, i * 100));
    expected.push_back(Gmpid(5, 3, 2, 0xFFF));
    EXPECT_EQ(engine->ListMPInfo(5, 3, 2, out), 15);
    EXPECT_EQ(Ids(out), expected);
}

TEST_F(EngineListTest, GroupListingCoversAllBlocksAndNothingElse) {
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfo(5, 3, out), 13);
    EXPECT_EQ(Ids(out).front(), Gmpid(5, 3, 1, 0xFFF));
    EXPECT_EQ(Ids(out).back(), Gmpid(5, 3, 3, 0));
    CZARVDataSet<CZARVMPInfo> none;
    EXPECT_EQ(engine->ListMPInfo(5, 7, none), 0);
    EXPECT_EQ(engine->ListMPInfo(5, 3, 16, none), 0);  // no block 16
    EXPECT_EQ(engine->ListMPInfo(6, 3, none), -1);
    EXPECT_EQ(engine->ListMPInfo(6, 3, 2, none), -1);
}

TEST_F(EngineListTest, ListedRecordsCarryTheSetsReference) {
    RecordPtr info(engine->GetMPInfo(Gmpid(5, 4, 0, 0)));  // the test's own reference
    {
        CZARVDataSet<CZARVMPInfo> out;
        engine->ListMPInfo(5, 4, out);
        EXPECT_EQ(info->GetRefCount(), 3);
        engine->DeleteMPInfo(Gmpid(5, 4, 0, 0));
        EXPECT_EQ(info->GetRefCount(), 2);  // the set still holds it
    }
    EXPECT_EQ(info->GetRefCount(), 1);
}

TEST_F(EngineListTest, BlockAndGroupDeletesTakeExactlyTheirRange) {
    RecordPtr edge(engine->GetMPInfo(Gmpid(5, 3, 2, 0xFFF)));
    engine->DeleteMPInfo(5, 3, 2);
    engine->DeleteMPInfo(5, 3, 16);  // no block 16: nothing
    EXPECT_EQ(edge->GetRefCount(), 1);
    EXPECT_EQ(Listed(5, 3), 2);
    EXPECT_EQ(Values(5, 3), 2);
    engine->DeleteMPInfo(5, 3);
    EXPECT_EQ(Listed(5, 3), 0);
    EXPECT_EQ(Listed(5, 4), 1);
    EXPECT_EQ(Listed(5, 2), 1);
}

TEST_F(EngineTest, DeletesWithoutDatabaseReachLiveValuesOnlyByBlockOrGroup) {
    for (unsigned long id : {Gmpid(5, 3, 0, 1), Gmpid(5, 3, 1, 1), Gmpid(5, 4, 1, 1)})
        ASSERT_TRUE(engine->OnAddMPInfo(*Record(id)));
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));
    EXPECT_EQ(Values(5, 3), 2);
    engine->DeleteMPInfo(5, 3, 1);
    EXPECT_EQ(Values(5, 3), 1);
    engine->DeleteMPInfo(5, 3);
    EXPECT_EQ(Values(5, 3), 0);
    EXPECT_EQ(Values(5, 4), 1);
}

TEST_F(EngineTest, PointDeleteRemovesRecordAndLiveValue) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 3, 0, 1));
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));  // again: nothing
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_FALSE(Has(Gmpid(5, 3, 0, 1)));
    EXPECT_EQ(Values(5, 3), 0);
    EXPECT_TRUE(engine->InsertMPInfo(info.get()));
}

// --- properties and lifetime ------------------------------------------------------

TEST_F(EngineTest, GetPropertyReportsPresenceAndLeavesOutputOnMiss) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1), {{7, "seven"}})));
    _zarvVAR out("untouched");
    EXPECT_FALSE(engine->GetProperty(Gmpid(6, 0, 0, 1), 7, out));
    EXPECT_FALSE(engine->GetProperty(Gmpid(5, 0, 0, 2), 7, out));
    EXPECT_EQ(_zarv_str(out), "untouched");
    EXPECT_TRUE(engine->GetProperty(Gmpid(5, 0, 0, 1), 7, out));
    EXPECT_EQ(_zarv_str(out), "seven");
    EXPECT_FALSE(engine->GetProperty(Gmpid(5, 0, 0, 1), 8, out));  // absent: emptied
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(_zarv_str(engine->GetProperty(Gmpid(5, 0, 0, 1), 7)), "seven");
    EXPECT_TRUE(engine->GetProperty(Gmpid(6, 0, 0, 1), 7).IsEmpty());
}

TEST_F(EngineTest, EngineEndReleasesEverythingItHeld) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    RecordPtr held[] = {NamedRecord(Gmpid(5, 0, 0, 1), "P"),
                        Record(Gmpid(5, 0, 1, 1), {{499, "P"}}),
                        IORecord(Gmpid(200, 0, 0, 1), "a", "b")};
    for (RecordPtr& info : held) ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    CZARVDataSet<CZARVMPValue> values;
    ASSERT_EQ(engine->ListValue(5, 0, values), 1);
    EXPECT_EQ(GetGMPIDByRefName("P"), Gmpid(5, 0, 0, 1));
    engine.reset();
    for (RecordPtr& info : held) EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(values[0]->GetRefCount(), 1);  // only the set's
    EXPECT_EQ(GetGMPIDByRefName("P"), ZARV_INVALID_GMPID);
}

}  // namespace
