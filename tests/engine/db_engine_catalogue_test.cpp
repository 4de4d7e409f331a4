#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/db_engine.h"
#include "host/zarvkernel/kernel_version.h"
#include "tests/engine/engine_test_util.h"

namespace {

TEST_F(EngineTest, CreateKeepsTheFirstTypeAndDeleteDropsRecordsValuesAndIndex) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    EXPECT_TRUE(engine->CreateConfigDB(200, 3));
    EXPECT_EQ(engine->GetConfigDBType(200), 2);
    RecordPtr info = IORecord(Gmpid(200, 1, 0, 1), "a", "b");
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    EXPECT_FALSE(engine->IsModified());  // only SetModify sets the flag
    engine->DeleteConfigDB(200);
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(engine->GetConfigDBType(200), -1);
    EXPECT_EQ(Values(200, 1), -1);
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));  // a fresh database takes the point again
    EXPECT_TRUE(engine->InsertMPInfo(info.get()));
}

constexpr unsigned char kRids[] = {0, 1, 192, 254, 255};

// A database of each of kRids with one point each, in that order.
std::vector<RecordPtr> OnePointPerRid(CZARVQENDbEngine& engine) {
    std::vector<RecordPtr> records;
    for (unsigned char rid : kRids) {
        EXPECT_TRUE(engine.CreateConfigDB(rid, 1));
        records.push_back(IORecord(Gmpid(rid, 1, 0, 1), "a", "b"));
        EXPECT_TRUE(engine.InsertMPInfo(records.back().get())) << int(rid);
    }
    return records;
}

TEST_F(EngineTest, EachRidHasItsOwnDatabasesReleasedAtTheEnginesEnd) {
    const std::vector<RecordPtr> records = OnePointPerRid(*engine);
    for (unsigned char rid : kRids) {
        EXPECT_EQ(Listed(rid, 1), 1) << int(rid);
        EXPECT_EQ(Values(rid, 1), 1) << int(rid);
        // Only the IO-indexed RIDs have an index.
        EXPECT_EQ(ByIO(rid, "a$b"), rid >= 192 && rid <= 254 ? 1 : -1) << int(rid);
    }
    EXPECT_EQ(engine->GetFreeRID(0, 3), 2);
    engine->DeleteConfigDB(192);
    EXPECT_EQ(records[2]->GetRefCount(), 1);
    EXPECT_EQ(Listed(254, 1), 1);  // the neighbours keep theirs
    engine.reset();                // the engine's end releases every RID's database
    for (const RecordPtr& info : records) EXPECT_EQ(info->GetRefCount(), 1);
}

TEST_F(EngineTest, VersionTextsGiveTheMajorNumberBeforeTheFirstPoint) {
    const std::pair<const char*, int> cases[] = {{"1.0.0", 1}, {"10.2", 10}, {nullptr, 0}, {"7", 0},
                                                 {"x.1", 0},   {" 3.1", 3},  {".5", 0}};
    for (auto [text, major] : cases)
        EXPECT_EQ(engine->GetVer(text), major) << (text ? text : "null");
    EXPECT_EQ(m_gZARVVer, 1);  // the default "1.0.0"
    EXPECT_TRUE(engine->IsValid("1.9"));
    EXPECT_TRUE(engine->IsValid("0.1"));
    EXPECT_FALSE(engine->IsValid("2.0"));  // a newer major version than the kernel's
    TestEngine newer("10.2");
    EXPECT_EQ(m_gZARVVer, 10);
    EXPECT_TRUE(newer.IsValid("9.9"));
}

TEST_F(EngineTest, InsertRefusalsLeaveTheRecordAndTheStoredOneHoldsOneReference) {
    RecordPtr first = Record(Gmpid(5, 0, 0, 1)), second = Record(Gmpid(5, 0, 0, 1));
    EXPECT_FALSE(engine->InsertMPInfo(first.get()));  // no database
    EXPECT_FALSE(engine->InsertMPInfo(nullptr));
    EXPECT_EQ(Values(5, 0), -1);
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(engine->InsertMPInfo(first.get()));
    EXPECT_FALSE(engine->InsertMPInfo(second.get()));
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 1)), first.get());
    EXPECT_EQ(first->GetRefCount(), 2);  // getters lend
    EXPECT_EQ(second->GetRefCount(), 1);
    CZARVDataSet<CZARVMPInfo> set;
    for (unsigned long id : {Gmpid(5, 0, 0, 2), Gmpid(5, 0, 0, 2), Gmpid(6, 0, 0, 1)})
        set.Add(Record(id).get());
    EXPECT_EQ(engine->InsertMPInfo(set), 1);
    EXPECT_EQ(engine->GetMPInfo(Gmpid(5, 0, 0, 2)), set[0]);
    EXPECT_EQ(set[1]->GetRefCount(), 1);
}

// Insert steps run in order: IO index, association or live value, record. A
// failing step leaves earlier ones done, except the index entry.
TEST_F(EngineTest, RefusedInsertsUndoOnlyTheirIndexEntry) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 1), "a", "b")));
    RecordPtr clash = IORecord(Gmpid(200, 0, 1, 1), "a", "c");  // same GMPID
    EXPECT_FALSE(engine->InsertMPInfo(clash.get()));
    EXPECT_EQ(clash->GetRefCount(), 1);
    EXPECT_EQ(ByIO(200, "a$c"), -1);
    RecordPtr twin = IORecord(Gmpid(200, 0, 1, 2), "a", "b");  // same address
    EXPECT_FALSE(engine->InsertMPInfo(twin.get()));
    EXPECT_EQ(Values(200, 0), 1);
    EXPECT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 2), "a", "c")));
}

TEST_F(EngineTest, ListingsAppendAscendingAndDeletesTakeExactlyTheirRange) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    for (unsigned long id : {Gmpid(5, 3, 2, 0xFFF), Gmpid(5, 3, 2, 7), Gmpid(5, 3, 1, 0xFFF),
                             Gmpid(5, 3, 3, 0), Gmpid(5, 2, 15, 0xFFF)})
        ASSERT_TRUE(Insert(Record(id)));
    RecordPtr edge(engine->GetMPInfo(Gmpid(5, 3, 2, 0xFFF)));  // the test's own reference
    {
        CZARVDataSet<CZARVMPInfo> out;
        out.Add(Record(Gmpid(9, 9, 9, 1)).get());
        EXPECT_EQ(engine->ListMPInfo(5, 3, 2, out), 3);  // what the set holds
        EXPECT_EQ(Ids(out), (std::vector<unsigned long>{Gmpid(9, 9, 9, 1), Gmpid(5, 3, 2, 7),
                                                        Gmpid(5, 3, 2, 0xFFF)}));
        EXPECT_EQ(Listed(5, 3), 4);
        EXPECT_EQ(Listed(6, 3), -1);
        engine->DeleteMPInfo(Gmpid(5, 3, 3, 0));
        engine->DeleteMPInfo(5, 3, 2);
        EXPECT_EQ(edge->GetRefCount(), 2);  // the set still holds it
    }
    EXPECT_EQ(edge->GetRefCount(), 1);
    EXPECT_EQ(Listed(5, 3), 1);
    EXPECT_EQ(Values(5, 3), 1);
    engine->DeleteMPInfo(5, 3);
    EXPECT_EQ(Listed(5, 3), 0);
    EXPECT_EQ(Listed(5, 2), 1);
}

// Live values exist without a configuration database (OnAddMPInfo alone
// makes them): the block and group deletes still reach them, the GMPID
// delete does not.
TEST_F(EngineTest, DeletesByBlockOrGroupReachLiveValuesWithoutAConfigurationDatabase) {
    for (unsigned long id :
         {Gmpid(7, 3, 2, 1), Gmpid(7, 3, 1, 1), Gmpid(7, 4, 0, 1), Gmpid(7, 5, 0, 1)})
        ASSERT_TRUE(engine->OnAddMPInfo(*Record(id)));
    ASSERT_EQ(engine->GetConfigDBType(7), -1);
    engine->DeleteMPInfo(Gmpid(7, 5, 0, 1));
    EXPECT_EQ(Values(7, 5), 1);
    engine->DeleteMPInfo(7, 3, 2);
    EXPECT_EQ(Values(7, 3), 1);  // block 1 stays
    CZARVDataSet<CZARVMPValue> left;
    ASSERT_EQ(engine->ListValue(7, 3, 1, left), 1);
    engine->DeleteMPInfo(7, 4);
    EXPECT_EQ(Values(7, 4), 0);
    EXPECT_EQ(Values(7, 3), 1);
}

TEST_F(EngineTest, GetPropertyReportsPresenceAndLeavesOutputOnMiss) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1), {{7, "seven"}})));
    _zarvVAR out("untouched");
    EXPECT_FALSE(engine->GetProperty(Gmpid(5, 0, 0, 2), 7, out));  // no record: output kept
    EXPECT_TRUE(engine->GetProperty(0xAB00000000UL | Gmpid(5, 0, 0, 1), 7, out));  // low 32 bits
    EXPECT_EQ(_zarv_str(out), "seven");
    EXPECT_FALSE(engine->GetProperty(Gmpid(5, 0, 0, 1), 8, out));  // absent: emptied
    EXPECT_TRUE(out.IsEmpty());
}

TEST_F(EngineTest, OnlyPlainPointsGetALiveValueAndTheEnginesEndReleasesEverything) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    RecordPtr held[] = {NamedRecord(Gmpid(5, 0, 0, 1), "P"),
                        Record(Gmpid(5, 0, 1, 1), {{499, "P"}}),
                        IORecord(Gmpid(200, 0, 0, 1), "a", "b")};
    for (RecordPtr& info : held) ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    CZARVDataSet<CZARVMPValue> values;  // the reference point gets no live value
    ASSERT_EQ(engine->ListValue(5, 0, values), 1);
    EXPECT_EQ(Ids(values), (std::vector<unsigned long>{Gmpid(5, 0, 0, 1)}));
    EXPECT_EQ(values[0]->GetRefCount(), 2);  // the live-value database's and the set's
    EXPECT_EQ(GetGMPIDByRefName("P"), Gmpid(5, 0, 0, 1));
    engine.reset();
    for (RecordPtr& info : held) EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(values[0]->GetRefCount(), 1);  // only the set's
    EXPECT_EQ(GetGMPIDByRefName("P"), ZARV_INVALID_GMPID);
}

}  // namespace
