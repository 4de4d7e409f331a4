#include "meta/meta_prop_tbl.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "meta/catalogue_test_util.h"

namespace {

class MetaPropTblTest : public ::testing::Test {
protected:
    static CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id, const char* name = "n") {
        return CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, name, _zarvVAR(), static_cast<CZARVMetaProp::METAINPUTTYPE>(0),
                              "", "", static_cast<CZARVMetaProp::METAVALIDTYPE>(0)));
    }

    // Inserts fresh records with these IDs, leaving the table their only owner.
    static void Fill(CZARVMetaPropTbl& tbl, std::initializer_list<unsigned short> ids) {
        for (unsigned short id : ids) ASSERT_TRUE(tbl.InsertMetaProp(MakeProp(id).get()));
    }

    static std::vector<unsigned long> Ids(CZARVMetaPropTbl& tbl) { return WalkIds(tbl); }

    std::string WriteFile(const std::string& body) { return WriteXml(m_dir, body); }

    TempDir m_dir;
    CZARVMetaPropTbl m_tbl;
};

TEST_F(MetaPropTblTest, InsertTakesAReferenceAndTheFirstRecordOfAnIdWins) {
    CZARVPtr<CZARVMetaProp> first = MakeProp(5, "first");
    CZARVPtr<CZARVMetaProp> second = MakeProp(5, "second");
    EXPECT_TRUE(m_tbl.InsertMetaProp(first.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(m_tbl.InsertMetaProp(second.get()));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(m_tbl.GetMetaProp(5), first.get());
    EXPECT_FALSE(m_tbl.InsertMetaProp(first.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(m_tbl.InsertMetaProp(nullptr));
    EXPECT_EQ(m_tbl.GetSize(), 1u);
}

TEST_F(MetaPropTblTest, DeleteReleasesTheRecord) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(8);
    EXPECT_FALSE(m_tbl.DeleteMetaProp(8));  // empty table
    ASSERT_TRUE(m_tbl.InsertMetaProp(p.get()));
    EXPECT_FALSE(m_tbl.DeleteMetaProp(9));
    EXPECT_TRUE(m_tbl.DeleteMetaProp(8));
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(m_tbl.GetMetaProp(8), nullptr);
    EXPECT_EQ(m_tbl.GetSize(), 0u);
}

TEST_F(MetaPropTblTest, DestroyingTheTableReleasesEveryRecord) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(1);
    CZARVMetaPropTbl* tbl = new CZARVMetaPropTbl;
    ASSERT_TRUE(tbl->InsertMetaProp(p.get()));
    EXPECT_EQ(tbl->Release(), 0);
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST_F(MetaPropTblTest, WalkGoesUpByIdWhateverTheInsertOrder) {
    Fill(m_tbl, {300, 1, 65535, 0, 2});
    EXPECT_EQ(Ids(m_tbl), (std::vector<unsigned long>{0, 1, 2, 300, 65535}));
    CZARVMetaPropTbl::iterator it = m_tbl.GetFirst();
    while (m_tbl.GetNext(it)) {
    }
    EXPECT_EQ(m_tbl.GetNext(it), nullptr);  // stays at the end
    CZARVMetaPropTbl empty;
    CZARVMetaPropTbl::iterator none = empty.GetFirst();
    EXPECT_EQ(empty.GetNext(none), nullptr);
}

TEST_F(MetaPropTblTest, LookupFindsEveryIdAndNothingElse) {
    Fill(m_tbl, {1, 2, 4});
    EXPECT_EQ(m_tbl.GetMetaProp(3), nullptr);
    ASSERT_NE(m_tbl.GetMetaProp(4), nullptr);
    EXPECT_EQ(m_tbl.GetMetaProp(4)->GetID(), 4);
    EXPECT_EQ(CZARVMetaPropTbl().GetMetaProp(0), nullptr);
}

TEST_F(MetaPropTblTest, VectorLookupAddsInTheGivenOrderWithRepeats) {
    Fill(m_tbl, {5, 7});
    CZARVDataSet<CZARVMetaProp> out;
    EXPECT_TRUE(m_tbl.GetMetaProp({7, 5, 6, 5}, out));
    ASSERT_EQ(out.GetCount(), 3);
    EXPECT_EQ(out[0]->GetID(), 7);
    EXPECT_EQ(out[1]->GetID(), 5);
    EXPECT_EQ(out[2]->GetID(), 5);
    EXPECT_EQ(m_tbl.GetMetaProp(5)->GetRefCount(), 3);  // table + twice in the data set
}

TEST_F(MetaPropTblTest, VectorLookupCountsWhatTheDataSetHeldBefore) {
    Fill(m_tbl, {5});
    CZARVDataSet<CZARVMetaProp> out;
    EXPECT_FALSE(m_tbl.GetMetaProp({6}, out));
    EXPECT_TRUE(m_tbl.GetMetaProp({5}, out));
    EXPECT_TRUE(m_tbl.GetMetaProp({6}, out));
    EXPECT_EQ(out.GetCount(), 1);
}

TEST_F(MetaPropTblTest, VectorLookupOnAnEmptyTableLeavesTheDataSetAlone) {
    CZARVPtr<CZARVMetaProp> held = MakeProp(5);
    CZARVDataSet<CZARVMetaProp> out;
    out.Add(held.get());
    EXPECT_FALSE(m_tbl.GetMetaProp({5}, out));
    EXPECT_EQ(out.GetCount(), 1);
}

TEST_F(MetaPropTblTest, FreeMetaNoIsTheSmallestGapFromOne) {
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 1);
    Fill(m_tbl, {0, 1, 2, 4});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 3);
    EXPECT_EQ(m_tbl.GetSize(), 4u);  // the search reserves nothing
}

TEST_F(MetaPropTblTest, FreeMetaNoAtTheTopOfItsRange) {
    for (unsigned id = 1; id <= 16381; ++id)
        ASSERT_TRUE(m_tbl.InsertMetaProp(MakeProp(static_cast<unsigned short>(id)).get()));
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 16382);
    Fill(m_tbl, {16382});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), -1);  // 0 and 16383 up are never handed out
    Fill(m_tbl, {16383, 65535});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), -1);
    EXPECT_TRUE(m_tbl.DeleteMetaProp(1));
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 1);
}

TEST_F(MetaPropTblTest, RoundTripKeepsEveryFieldAndValueKind) {
    const char* hostile = kHostileText;
    std::vector<_zarvVAR> values = EveryValueKind(hostile);
    for (unsigned short i = 0; i < 8; ++i) {
        CZARVPtr<CZARVMetaProp> p = CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(static_cast<unsigned short>(100 - i), hostile, values[i],
                              static_cast<CZARVMetaProp::METAINPUTTYPE>(i * 3), hostile, "desc",
                              static_cast<CZARVMetaProp::METAVALIDTYPE>(i % 4)));
        ASSERT_TRUE(m_tbl.InsertMetaProp(p.get()));
    }
    std::string path = m_dir.File("meta.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));

    CZARVMetaPropTbl back(path.c_str());
    ASSERT_EQ(back.GetSize(), 8u);
    for (unsigned short i = 0; i < 8; ++i) {
        CZARVMetaProp* p = back.GetMetaProp(static_cast<unsigned short>(100 - i));
        ASSERT_NE(p, nullptr);
        _zarvVAR v;
        p->GetInitValue(v);
        EXPECT_TRUE(v == values[i]) << i << ": " << v.ToString();
        EXPECT_STREQ(p->GetMetaName(), hostile);
        EXPECT_STREQ(p->GetParameter(), hostile);
        EXPECT_STREQ(p->GetDesc(), "desc");
        EXPECT_EQ(p->GetInputType(), i * 3);
        EXPECT_EQ(p->GetValidType(), i % 4);
    }
}

TEST_F(MetaPropTblTest, FileHoldsTheDeclarationAndAscendingRecords) {
    Fill(m_tbl, {3, 1});
    std::string path = m_dir.File("meta.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "2.5", "GB2312"));
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"2.5\" encoding=\"GB2312\"?>"), 0u) << text;
    size_t root = text.find("<meta>");
    size_t one = text.find(">1,n,");
    size_t three = text.find(">3,n,");
    ASSERT_NE(root, std::string::npos) << text;
    ASSERT_NE(one, std::string::npos) << text;
    ASSERT_NE(three, std::string::npos) << text;
    EXPECT_LT(root, one);
    EXPECT_LT(one, three);
    EXPECT_NE(text.find("<prop par=\"\" desc=\"\" valid=\"0\">1,n,4294967295,,0</prop>"),
              std::string::npos)
        << text;
}

TEST_F(MetaPropTblTest, EmptyTableSavesOnlyTheDeclarationAndLoadsBackEmpty) {
    std::string path = m_dir.File("empty.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    std::string text = ReadAll(path);
    EXPECT_NE(text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), std::string::npos);
    EXPECT_EQ(text.find("<meta"), std::string::npos) << text;

    Fill(m_tbl, {1});
    EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(m_tbl.GetSize(), 0u);
}

TEST_F(MetaPropTblTest, RootOfAnyNameLoads) {
    std::string path = WriteFile("<other><prop>1,a,3,5,0</prop><prop>2,b,3,6,0</prop></other>");
    EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(Ids(m_tbl), (std::vector<unsigned long>{1, 2}));
}

TEST_F(MetaPropTblTest, LoaderSkipsMalformedElementsAndKeepsTheFirstOfAnId) {
    std::string path = WriteFile(
        "<meta>"
        "<prop>1,first,3,10,0</prop>"
        "<other>2,x,3,1,0</other>"
        "<prop>3,a,b,3,1,0</prop>"  // comma in the name: six pieces
        "<prop>4,short,3,1</prop>"  // four pieces
        "<prop>1,second,3,20,0</prop>"
        "<group><prop>5,nested,3,1,0</prop></group>"
        "<prop>6,last,7,x,0</prop>"
        "</meta>");
    EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(Ids(m_tbl), (std::vector<unsigned long>{1, 6}));
    EXPECT_STREQ(m_tbl.GetMetaProp(1)->GetMetaName(), "first");
}

TEST_F(MetaPropTblTest, LoadedRecordsAreOwnedByTheTableAlone) {
    std::string path = WriteFile("<meta><prop>1,a,3,5,0</prop><prop>1,b,3,5,0</prop></meta>");
    ASSERT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(m_tbl.GetMetaProp(1)->GetRefCount(), 1);
}

TEST_F(MetaPropTblTest, FailedLoadKeepsTheContent) {
    Fill(m_tbl, {7});
    EXPECT_FALSE(m_tbl.LoadFromFile(m_dir.File("missing.xml").c_str()));
    EXPECT_FALSE(m_tbl.LoadFromFile(WriteFile("<meta><prop>1,a,3,5,0</prop>").c_str()));
    std::string empty = m_dir.File("empty.xml");
    WriteAll(empty, "");
    EXPECT_FALSE(m_tbl.LoadFromFile(empty.c_str()));
    EXPECT_FALSE(m_tbl.LoadFromFile(nullptr));
    EXPECT_EQ(Ids(m_tbl), (std::vector<unsigned long>{7}));
}

TEST_F(MetaPropTblTest, SuccessfulLoadReplacesTheContentEvenWithoutRecords) {
    CZARVPtr<CZARVMetaProp> old = MakeProp(7);
    ASSERT_TRUE(m_tbl.InsertMetaProp(old.get()));
    EXPECT_TRUE(m_tbl.LoadFromFile(WriteFile("<meta><prop>bad</prop></meta>").c_str()));
    EXPECT_EQ(m_tbl.GetSize(), 0u);
    EXPECT_EQ(old->GetRefCount(), 1);
}

TEST_F(MetaPropTblTest, SaveToAnUnwritablePathFails) {
    Fill(m_tbl, {1});
    EXPECT_FALSE(m_tbl.SaveToFile(m_dir.File("no/such/dir/meta.xml").c_str(), "1.0", "UTF-8"));
    EXPECT_FALSE(m_tbl.SaveToFile(nullptr, "1.0", "UTF-8"));
}

TEST_F(MetaPropTblTest, NoOperationTouchesTheModifiedFlag) {
    std::string path = m_dir.File("meta.xml");
    for (bool flag : {false, true}) {
        m_tbl.SetModify(flag);
        Fill(m_tbl, {1});
        EXPECT_TRUE(m_tbl.DeleteMetaProp(1));
        Fill(m_tbl, {2});
        EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
        EXPECT_FALSE(m_tbl.LoadFromFile(m_dir.File("missing.xml").c_str()));
        EXPECT_EQ(m_tbl.IsModified(), flag);
        EXPECT_TRUE(m_tbl.DeleteMetaProp(2));
    }
}


TEST_F(MetaPropTblTest, EveryTruncationLoadsWholeOrKeepsTheContent) {
    Fill(m_tbl, {1, 2, 3});
    std::string path = m_dir.File("meta.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    ExpectEveryTruncationLoadsWholeOrNot<CZARVMetaPropTbl>(
        m_dir, path, [](CZARVMetaPropTbl& tbl) { tbl.InsertMetaProp(MakeProp(900).get()); },
        [](CZARVMetaPropTbl& tbl) { return tbl.GetMetaProp(900) != nullptr; });
}

// Callers walk with the set's own iterator type.
static_assert(std::is_same_v<CZARVMetaPropTbl::iterator,
                             std::set<CZARVMetaProp*, ptrless<CZARVMetaProp*>>::iterator>);

}  // namespace
