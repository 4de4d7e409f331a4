#include "meta/meta_prop_tbl.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/catalogue_test_util.h"

namespace {

CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id) {
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(id, "n", _zarvVAR(), METAINPUTTYPE(5), "p", "d", METAVALIDTYPE(0)));
}

class MetaPropTblTest : public ::testing::Test {
protected:
    void Fill(unsigned low, unsigned high) {
        for (unsigned id = low; id <= high; ++id)
            ASSERT_TRUE(m_tbl.InsertMetaProp(MakeProp(static_cast<unsigned short>(id)).get()));
    }
    TempDir m_dir;
    CZARVMetaPropTbl m_tbl;
};

TEST_F(MetaPropTblTest, VectorLookupAppendsInTheGivenOrderAndAnswersWhetherTheSetHoldsAny) {
    CZARVDataSet<CZARVMetaProp> held;
    CZARVPtr<CZARVMetaProp> outside = MakeProp(5);
    held.Add(outside.get());
    EXPECT_FALSE(m_tbl.GetMetaProp({5}, held));  // an empty table: false though the set holds one
    ASSERT_EQ(held.GetCount(), 1);
    EXPECT_EQ(held[0], outside.get());
    Fill(5, 5);
    Fill(7, 7);
    CZARVDataSet<CZARVMetaProp> found;
    EXPECT_TRUE(m_tbl.GetMetaProp({7, 5, 6, 5}, found));
    EXPECT_TRUE(m_tbl.GetMetaProp({6}, found));  // what the set held before counts
    EXPECT_EQ(found.GetCount(), 3);
    EXPECT_EQ(found[0]->GetID(), 7);
    EXPECT_EQ(m_tbl.GetMetaProp(5)->GetRefCount(), 3);  // table + twice in the data set
}

TEST_F(MetaPropTblTest, FreeMetaNoIsTheSmallestGapFromOneBelow16383) {
    Fill(0, 2);
    Fill(4, 16381);
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 3);
    Fill(3, 3);
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 16382);
    Fill(16382, 16383);
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), -1);  // 0 and 16383 up are never handed out
}

TEST_F(MetaPropTblTest, SaveRefusesATextValueWithANulByteAndKeepsTheOldFile) {
    Fill(1, 2);
    *m_tbl.GetMetaProp(2) = TextWithNul();
    ExpectSaveRefusedKeepingTheOldFile(m_dir, m_tbl);
}

TEST_F(MetaPropTblTest, LoaderTakesARootOfAnyNameSkipsMalformedElementsAndKeepsTheFirstOfAnId) {
    std::string path = WriteXml(m_dir,
                                "<other>"
                                "<prop>1,first,3,10,0</prop>"
                                "<prop>3,a,b,3,1,0</prop>"  // comma in the name: six pieces
                                "<prop>4,short,3,1</prop>"  // four pieces
                                "<prop valid=\"2\">1,second,3,20,0</prop>"
                                "<prop>6,last,7,x,0</prop>"
                                "</other>");
    EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(WalkIds(m_tbl), (IdList{1, 6}));
    EXPECT_STREQ(m_tbl.GetMetaProp(1)->GetMetaName(), "first");
}

}  // namespace
