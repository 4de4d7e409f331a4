#include <gtest/gtest.h>

#include <vector>

#include "engine/db_engine.h"
#include "host/zarvkernel/kernel_version.h"
#include "tests/engine/engine_test_util.h"

namespace {

// --- versions -------------------------------------------------------------

TEST_F(EngineTest, VersionTextGivesItsMajorNumber) {
    EXPECT_EQ(engine->GetVer("1.0.0"), 1);
    EXPECT_EQ(engine->GetVer("10.2"), 10);
    EXPECT_EQ(engine->GetVer("2.5"), 2);
    EXPECT_EQ(engine->GetVer(nullptr), 0);
    EXPECT_EQ(engine->GetVer("7"), 0);    // no point at all
    EXPECT_EQ(engine->GetVer("x.1"), 0);  // no digit first
    EXPECT_EQ(engine->GetVer(".5"), 0);
    EXPECT_EQ(engine->GetVer("-3.1"), -3);
}

TEST_F(EngineTest, ConstructorSetsTheKernelVersion) {
    EXPECT_EQ(m_gZARVVer, 1);
    EXPECT_TRUE(engine->IsValid("1.9"));
    EXPECT_TRUE(engine->IsValid("0.1"));
    EXPECT_TRUE(engine->IsValid("7"));  // major 0
    EXPECT_FALSE(engine->IsValid("2.0"));
    {
        TestEngine other("3.1.4");
        EXPECT_EQ(m_gZARVVer, 3);
        EXPECT_TRUE(engine->IsValid("2.0"));  // every engine compares with the global
    }
    TestEngine reset;
    EXPECT_EQ(m_gZARVVer, 1);
}

TEST_F(EngineTest, FlagAndMetaTableAreOnlyWhatTheCallerSet) {
    EXPECT_FALSE(engine->IsModified());
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    EXPECT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    engine->DeleteMPInfo(Gmpid(5, 0, 0, 1));
    EXPECT_FALSE(engine->IsModified());
    engine->SetModify(true);
    EXPECT_TRUE(engine->IsModified());
    EXPECT_EQ(engine->GetMetaProps(), nullptr);
    auto* fake = reinterpret_cast<CZARVMetaPropTbl*>(0x1000);
    engine->SetMetaProps(fake);  // not owned: never dereferenced here, never freed
    EXPECT_EQ(engine->GetMetaProps(), fake);
    engine->SetMetaProps(nullptr);
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
    EXPECT_EQ(info->GetRefCount(), 2);
    engine->DeleteConfigDB(200);
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(engine->GetConfigDBType(200), -1);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(200, 1, values), -1);
    CZARVDataSet<CZARVMPInfo> records;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a", records), -1);
    // A fresh database of the RID takes the same point again.
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    EXPECT_TRUE(engine->InsertMPInfo(info.get()));
}

TEST_F(EngineTest, DeleteConfigDBWithoutDatabaseStillDropsLiveValues) {
    ASSERT_TRUE(engine->CreateConfigDB(9, 0));
    ASSERT_TRUE(Insert(Record(Gmpid(9, 1, 0, 1))));
    engine->DeleteConfigDB(9);
    engine->DeleteConfigDB(9);  // nothing left: no effect
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(9, 1, values), -1);
}

TEST_F(EngineTest, ResetDBChangesNothing) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    engine->ResetDB();
    EXPECT_NE(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), nullptr);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), 1);
}

// --- insert ---------------------------------------------------------------

TEST_F(EngineTest, InsertWithoutDatabaseChangesNothing) {
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    EXPECT_FALSE(engine->InsertMPInfo(info.get()));
    EXPECT_EQ(info->GetRefCount(), 1);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), -1);  // no live-value database made
    EXPECT_FALSE(engine->InsertMPInfo(nullptr));
}

TEST_F(EngineTest, StoredRecordHoldsOneDatabaseReference) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    EXPECT_EQ(info->GetRefCount(), 2);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), info.get());
    EXPECT_EQ(info->GetRefCount(), 2);  // getters lend
}

TEST_F(EngineTest, DuplicateGMPIDIsRefusedAndTheFirstRecordStays) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr first = Record(Gmpid(5, 0, 0, 1), {{7, "first"}});
    RecordPtr second = Record(Gmpid(5, 0, 0, 1), {{7, "second"}});
    ASSERT_TRUE(engine->InsertMPInfo(first.get()));
    EXPECT_FALSE(engine->InsertMPInfo(second.get()));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), first.get());
    EXPECT_FALSE(engine->InsertMPInfo(first.get()));  // the same object again
    EXPECT_EQ(first->GetRefCount(), 2);
}

TEST_F(EngineTest, OnlyTheLowThirtyTwoBitsOfAGMPIDCount) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1), {{7, Var(42L)}})));
    unsigned long wide = 0xAB00000000UL | Gmpid(5, 0, 0, 1);
    EXPECT_NE(engine->GetMPInfo(wide), nullptr);
    EXPECT_EQ(static_cast<long>(engine->GetProperty(wide, 7)), 42);
    engine->DeleteMPInfo(wide);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), nullptr);
}

TEST_F(EngineTest, InsertOfASetCountsTheStoredRecords) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    CZARVDataSet<CZARVMPInfo> set;
    EXPECT_EQ(engine->InsertMPInfo(set), 0);
    set.Add(Record(Gmpid(5, 0, 0, 1)).get());
    set.Add(Record(Gmpid(5, 0, 0, 1)).get());  // duplicate
    set.Add(Record(Gmpid(6, 0, 0, 1)).get());  // no database
    set.Add(Record(Gmpid(5, 0, 0, 2)).get());
    EXPECT_EQ(engine->InsertMPInfo(set), 2);
    EXPECT_EQ(set[0]->GetRefCount(), 2);
    EXPECT_EQ(set[1]->GetRefCount(), 1);
    EXPECT_EQ(set[2]->GetRefCount(), 1);
}

TEST_F(EngineTest, PlainPointGetsALiveValueReferencePointDoesNot) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 2), {{499, "nobody"}})));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 3), {{499, ""}})));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), 1);
    EXPECT_EQ(Ids(values), (std::vector<unsigned long>{Gmpid(5, 0, 0, 1)}));
    EXPECT_EQ(engine->GetAssGMPID(Gmpid(5, 0, 0, 1), nullptr, 0), 0u);
    EXPECT_NE(engine->GetMPInfo(Gmpid(5, 0, 0, 2)), nullptr);
}

TEST_F(EngineTest, ReferencePointsOnlyNeverMakeALiveValueDatabase) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 2), {{499, "nobody"}})));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), -1);
}

TEST_F(EngineTest, LiveValueIsHeldOnlyByItsDatabase) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    CZARVDataSet<CZARVMPValue> values;
    ASSERT_EQ(engine->ListValue(5, 0, values), 1);
    EXPECT_EQ(values[0]->GetRefCount(), 2);  // the database's and the set's
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
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a$c", out), -1);
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a", out), 1);
    EXPECT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 2), "a", "c")));
}

TEST_F(EngineTest, DuplicateGMPIDKeepsTheAssociationItAdded) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(5, 0, 0, 1), "P")));
    RecordPtr ref = Record(Gmpid(5, 0, 1, 1), {{499, "P"}});
    ASSERT_TRUE(engine->InsertMPInfo(ref.get()));
    EXPECT_FALSE(engine->InsertMPInfo(ref.get()));
    EXPECT_EQ(engine->GetAssGMPID(Gmpid(5, 0, 0, 1), nullptr, 0), 2u);
}

TEST_F(EngineTest, DuplicateIOAddressIsRefusedBeforeAnythingElse) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 1), "a", "b")));
    RecordPtr clash = IORecord(Gmpid(200, 0, 0, 2), "a", "b");
    EXPECT_FALSE(engine->InsertMPInfo(clash.get()));
    EXPECT_EQ(clash->GetRefCount(), 1);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(200, 0, 0, 2)), nullptr);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(200, 0, values), 1);  // no live value for the refused point
}

TEST_F(EngineTest, OnAddMPInfoAloneMakesTheLiveValue) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    EXPECT_TRUE(engine->OnAddMPInfo(*info));
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), nullptr);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 0, values), 1);
    // The live value outlives the refused record: an existing value stays.
    EXPECT_TRUE(engine->OnAddMPInfo(*info));
    EXPECT_EQ(info->GetRefCount(), 1);
}

// --- listing ---------------------------------------------------------------

class EngineListTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        // Group 3: blocks 1, 2 (ten records, inserted in descending order) and 3;
        // group 4: one record; block ends of group 3 block 2.
        ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 1, 0xFFF))));
        for (int i = 9; i >= 0; --i) ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 2, i * 100))));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 2, 0xFFF))));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 3, 3, 0))));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 4, 0, 0))));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 2, 15, 0xFFF))));
    }
};

TEST_F(EngineListTest, BlockListingAppendsAscendingAndCountsWhatTheSetHolds) {
    CZARVDataSet<CZARVMPInfo> out;
    for (int i = 0; i < 4; ++i) out.Add(Record(Gmpid(9, 9, 9, i)).get());
    EXPECT_EQ(engine->ListMPInfo(5, 3, 2, out), 15);
    std::vector<unsigned long> expected;
    for (int i = 0; i < 4; ++i) expected.push_back(Gmpid(9, 9, 9, i));
    for (int i = 0; i < 10; ++i) expected.push_back(Gmpid(5, 3, 2, i * 100));
    expected.push_back(Gmpid(5, 3, 2, 0xFFF));
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
    EXPECT_EQ(info->GetRefCount(), 2);
    {
        CZARVDataSet<CZARVMPInfo> out;
        engine->ListMPInfo(5, 4, out);
        EXPECT_EQ(info->GetRefCount(), 3);
        engine->DeleteMPInfo(Gmpid(5, 4, 0, 0));
        EXPECT_EQ(info->GetRefCount(), 2);  // the set still holds it
    }
    EXPECT_EQ(info->GetRefCount(), 1);
}

// --- delete -----------------------------------------------------------------

TEST_F(EngineListTest, BlockDeleteTakesExactlyTheBlock) {
    RecordPtr edge(engine->GetMPInfo(Gmpid(5, 3, 2, 0xFFF)));
    engine->DeleteMPInfo(5, 3, 2);
    EXPECT_EQ(edge->GetRefCount(), 1);
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfo(5, 3, out), 2);
    EXPECT_NE(engine->GetMPInfo(Gmpid(5, 3, 1, 0xFFF)), nullptr);
    EXPECT_NE(engine->GetMPInfo(Gmpid(5, 3, 3, 0)), nullptr);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 3, values), 2);
    engine->DeleteMPInfo(5, 3, 16);  // no block 16: nothing
    EXPECT_EQ(engine->ListMPInfo(5, 3, out), 4);
}

TEST_F(EngineListTest, GroupDeleteTakesExactlyTheGroup) {
    engine->DeleteMPInfo(5, 3);
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(engine->ListMPInfo(5, 3, out), 0);
    EXPECT_EQ(engine->ListMPInfo(5, 4, out), 1);
    EXPECT_EQ(engine->ListMPInfo(5, 2, out), 2);
}

TEST_F(EngineTest, GroupDeleteWithoutDatabaseStillRemovesLiveValues) {
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(5, 3, 0, 1))));
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(5, 3, 1, 1))));
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(5, 4, 1, 1))));
    engine->DeleteMPInfo(5, 3, 1);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 3, values), 1);
    engine->DeleteMPInfo(5, 3);
    CZARVDataSet<CZARVMPValue> rest;
    EXPECT_EQ(engine->ListValue(5, 3, rest), 0);
    EXPECT_EQ(engine->ListValue(5, 4, rest), 1);
}

TEST_F(EngineTest, PointDeleteWithoutDatabaseLeavesTheLiveValue) {
    ASSERT_TRUE(engine->OnAddMPInfo(*Record(Gmpid(5, 3, 0, 1))));
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 3, values), 1);
}

TEST_F(EngineTest, PointDeleteRemovesRecordAndLiveValue) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 3, 0, 1));
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 3, 0, 1)), nullptr);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(engine->ListValue(5, 3, values), 0);
    engine->DeleteMPInfo(Gmpid(5, 3, 0, 1));  // again: nothing
    EXPECT_TRUE(engine->InsertMPInfo(info.get()));
}

// --- properties -------------------------------------------------------------

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
    EXPECT_TRUE(engine->GetProperty(Gmpid(5, 0, 0, 2), 7).IsEmpty());
    EXPECT_TRUE(engine->GetProperty(Gmpid(6, 0, 0, 1), 7).IsEmpty());
}

// --- lifetime ---------------------------------------------------------------

TEST_F(EngineTest, EngineEndReleasesEverythingItHeld) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    RecordPtr plain = NamedRecord(Gmpid(5, 0, 0, 1), "P");
    RecordPtr ref = Record(Gmpid(5, 0, 1, 1), {{499, "P"}});
    RecordPtr io = IORecord(Gmpid(200, 0, 0, 1), "a", "b");
    ASSERT_TRUE(engine->InsertMPInfo(plain.get()));
    ASSERT_TRUE(engine->InsertMPInfo(ref.get()));
    ASSERT_TRUE(engine->InsertMPInfo(io.get()));
    CZARVDataSet<CZARVMPValue> values;
    ASSERT_EQ(engine->ListValue(5, 0, values), 1);
    CZARVMPValue* value = values[0];
    EXPECT_EQ(GetGMPIDByRefName("P"), Gmpid(5, 0, 0, 1));
    engine.reset();
    EXPECT_EQ(plain->GetRefCount(), 1);
    EXPECT_EQ(ref->GetRefCount(), 1);
    EXPECT_EQ(io->GetRefCount(), 1);
    EXPECT_EQ(value->GetRefCount(), 1);  // only the set's
    EXPECT_EQ(GetGMPIDByRefName("P"), ZARV_INVALID_GMPID);
}

TEST_F(EngineTest, EngineIsReferenceCounted) {
    engine->AddRef();
    EXPECT_EQ(engine->Release(), 1);
}

}  // namespace
