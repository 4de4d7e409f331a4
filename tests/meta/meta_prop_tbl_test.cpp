#include "meta/meta_prop_tbl.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "meta/catalogue_test_util.h"

template <>
struct IdCatalogue<CZARVMetaPropTbl> {
    static constexpr const char* kRoot = "meta";
    static CZARVPtr<CZARVMetaProp> New(unsigned short id) {
        return CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, "n", _zarvVAR(), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                              CZARVMetaProp::METAVALIDTYPE(0)));
    }
    static bool Insert(CZARVMetaPropTbl& t, CZARVMetaProp* p) { return t.InsertMetaProp(p); }
    static CZARVMetaProp* Get(CZARVMetaPropTbl& t, unsigned short id) { return t.GetMetaProp(id); }
    static bool Delete(CZARVMetaPropTbl& t, unsigned short id) { return t.DeleteMetaProp(id); }
};

namespace {

using Ops = IdCatalogue<CZARVMetaPropTbl>;

// Callers walk with the set's own iterator type.
static_assert(std::is_same_v<CZARVMetaPropTbl::iterator,
                             std::set<CZARVMetaProp*, ptrless<CZARVMetaProp*>>::iterator>);

class MetaPropTblTest : public ::testing::Test {
protected:
    void Fill(std::initializer_list<unsigned short> ids) {
        for (unsigned short id : ids) ASSERT_TRUE(m_tbl.InsertMetaProp(Ops::New(id).get()));
    }

    TempDir m_dir;
    CZARVMetaPropTbl m_tbl;
};

TEST_F(MetaPropTblTest, IsAnIdOrderedSet) { ExpectIdOrderedSet<CZARVMetaPropTbl>(); }

TEST_F(MetaPropTblTest, LoadsWholeOrNotAtAll) {
    ExpectLoadsWholeOrNotAtAll<CZARVMetaPropTbl>(m_dir);
}

TEST_F(MetaPropTblTest, VectorLookupAppendsInTheGivenOrderAndAnswersWhetherTheSetHoldsAny) {
    CZARVDataSet<CZARVMetaProp> out;
    out.Add(Ops::New(5).get());
    EXPECT_FALSE(m_tbl.GetMetaProp({5}, out));  // an empty table finds nothing
    EXPECT_EQ(out.GetCount(), 1);
    Fill({5, 7});
    CZARVDataSet<CZARVMetaProp> found;
    EXPECT_FALSE(m_tbl.GetMetaProp({6}, found));
    EXPECT_TRUE(m_tbl.GetMetaProp({7, 5, 6, 5}, found));
    EXPECT_TRUE(m_tbl.GetMetaProp({6}, found));  // what the set held before counts
    IdList ids;
    for (CZARVMetaProp* p : found) ids.push_back(p->GetID());
    EXPECT_EQ(ids, (IdList{7, 5, 5}));
    EXPECT_EQ(m_tbl.GetMetaProp(5)->GetRefCount(), 3);  // table + twice in the data set
}

TEST_F(MetaPropTblTest, FreeMetaNoIsTheSmallestGapFromOneBelow16383) {
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 1);
    Fill({0, 1, 2, 4});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 3);
    EXPECT_EQ(m_tbl.GetSize(), 4u);  // the search reserves nothing
    Fill({3});
    for (unsigned id = 5; id <= 16381; ++id) Fill({static_cast<unsigned short>(id)});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 16382);
    Fill({16382, 16383, 65535});
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), -1);  // 0 and 16383 up are never handed out
    EXPECT_TRUE(m_tbl.DeleteMetaProp(1));
    EXPECT_EQ(m_tbl.GetFreeMetaNo(), 1);
}

TEST_F(MetaPropTblTest, RoundTripKeepsEveryFieldAndValueKind) {
    const char* hostile = kHostileText;
    std::vector<_zarvVAR> values = EveryValueKind(hostile);
    for (unsigned short i = 0; i < 8; ++i) {
        CZARVPtr<CZARVMetaProp> p = CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(static_cast<unsigned short>(100 - i), hostile, values[i],
                              CZARVMetaProp::METAINPUTTYPE(i * 3), hostile, "desc",
                              CZARVMetaProp::METAVALIDTYPE(i % 4)));
        ASSERT_TRUE(m_tbl.InsertMetaProp(p.get()));
    }
    std::string path = m_dir.File("meta.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));

    CZARVMetaPropTbl back(path.c_str());
    ASSERT_EQ(back.GetSize(), 8u);
    for (unsigned short i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        CZARVMetaProp* p = back.GetMetaProp(static_cast<unsigned short>(100 - i));
        ASSERT_NE(p, nullptr);
        _zarvVAR v;
        p->GetInitValue(v);
        EXPECT_TRUE(v == values[i]) << v.ToString();
        EXPECT_STREQ(p->GetMetaName(), hostile);
        EXPECT_STREQ(p->GetParameter(), hostile);
        EXPECT_STREQ(p->GetDesc(), "desc");
        EXPECT_EQ(p->GetInputType(), i * 3);
        EXPECT_EQ(p->GetValidType(), i % 4);
    }
}

TEST_F(MetaPropTblTest, FileHoldsTheDeclarationAndAscendingRecords) {
    Fill({3, 1});
    std::string path = m_dir.File("meta.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "2.5", "GB2312"));
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"2.5\" encoding=\"GB2312\"?>"), 0u) << text;
    size_t root = text.find("<meta>");
    size_t one = text.find("<prop par=\"\" desc=\"\" valid=\"0\">1,n,4294967295,,0</prop>");
    size_t three = text.find(">3,n,");
    ASSERT_NE(three, std::string::npos) << text;
    EXPECT_LT(root, one);
    EXPECT_LT(one, three);
}

TEST_F(MetaPropTblTest, LoaderTakesARootOfAnyNameSkipsMalformedElementsAndKeepsTheFirstOfAnId) {
    std::string path = WriteXml(m_dir,
                                "<other>"
                                "<prop>1,first,3,10,0</prop>"
                                "<other>2,x,3,1,0</other>"
                                "<prop>3,a,b,3,1,0</prop>"  // comma in the name: six pieces
                                "<prop>4,short,3,1</prop>"  // four pieces
                                "<prop>1,second,3,20,0</prop>"
                                "<group><prop>5,nested,3,1,0</prop></group>"
                                "<prop>6,last,7,x,0</prop>"
                                "</other>");
    EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(WalkIds(m_tbl), (IdList{1, 6}));
    EXPECT_STREQ(m_tbl.GetMetaProp(1)->GetMetaName(), "first");
}

}  // namespace
