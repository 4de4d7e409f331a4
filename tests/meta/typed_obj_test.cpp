#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_test_util.h"
#include "meta/typed_obj_tbl.h"

namespace {

using MetaList = CZARVTypedObj::MetaList;

CZARVPtr<CZARVTypedObj> MakeObj(unsigned short id, const char* metas = "", const char* desc = "") {
    return CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(id, metas, "|", desc));
}

TEST(TypedObjTest, MetaListSplitsAndJoinsAtAWholeSeparatorKeepsTheLowSixteenBitsAndWalks) {
    const struct {
        const char* text;
        const char* sep;
        MetaList list;
    } cases[] = {
        {"1|70000|-1|x| 12abc", "|", {1, 4464, 65535, 0, 12}},
        {"4ab5ab6", "ab", {4, 5, 6}},
        {"|", "|", {0, 0}},  // empty pieces read as zero
    };
    for (const auto& c : cases)
        EXPECT_EQ(CZARVTypedObj(1, c.text, c.sep).GetMetaList(), c.list)
            << (c.text ? c.text : "null");
    CZARVTypedObj obj(4, "65535|0|7", "|");  // a walk gives each number once, then -1
    CZARVTypedObj::MetaPos pos = obj.GetFirst();
    std::vector<int> seen;
    for (int no; (no = obj.GetNext(pos)) != -1;) seen.push_back(no);
    EXPECT_EQ(seen, (std::vector<int>{65535, 0, 7}));
    obj.GetMetaList().clear();  // a shrunk list leaves no dangling position
    EXPECT_EQ(obj.GetNext(pos), -1);
    // Joined with the whole separator and none after the last.
    const struct {
        MetaList list;
        const char* sep;
        const char* text;
    } joins[] = {
        {{1, 2, 3}, ", ", "1, 2, 3"},
        {{}, ", ", ""},
        {{65535, 0}, "|", "65535|0"},
        {{7}, "ab", "7"},
    };
    for (const auto& c : joins)
        EXPECT_EQ(CZARVTypedObj(1, c.list, nullptr).MetaListToString(c.sep), c.text) << c.text;
}

class TypedObjTblTest : public ::testing::Test {
protected:
    void FillRange(unsigned low, unsigned high) {
        for (unsigned id = low; id <= high; ++id)
            ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(static_cast<unsigned short>(id)).get()));
    }

    TempDir m_dir;
    CZARVTypedObjTbl m_tbl;
};

TEST_F(TypedObjTblTest, FreeIdsComeFromTwoSeparateRanges) {
    FillRange(0, 1);
    FillRange(3, 32767);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), 2);
    FillRange(2, 2);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), -1);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), 32768);  // no spill into the high range
    FillRange(32768, 65534);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), -1);  // full without 65535
}

TEST_F(TypedObjTblTest, RoundTripKeepsIdsListsAndDescriptions) {
    const std::string hostile = std::string(kHostileText) + ", |";
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(3, "100|101|205", hostile.c_str()).get()));
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(1, "", "").get()));
    std::string path = m_dir.File("typeobj.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    std::string text = ReadAll(path);
    EXPECT_LT(text.find("<prop desc=\"\">1,</prop>"), text.find(">3,100|101|205<")) << text;

    CZARVTypedObjTbl back(path.c_str());
    EXPECT_EQ(back.GetTypedObj(3)->GetMetaList(), (MetaList{100, 101, 205}));
    EXPECT_EQ(back.GetTypedObj(3)->GetDesc(), hostile);
    EXPECT_TRUE(back.GetTypedObj(1)->GetMetaList().empty());
}

TEST_F(TypedObjTblTest, LoaderSkipsTextsWithoutTwoPiecesKeepsTheFirstIdAndAMissingDesc) {
    std::string path = WriteXml(m_dir,
                                "<root>"
                                "<prop desc=\"one\">12</prop>"
                                "<prop desc=\"three\">12,1,2</prop>"
                                "<prop>5,1|2</prop>"
                                "<prop desc=\"second\">5,3</prop>"
                                "<other>6,1</other>"
                                "</root>");
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(40).get()));  // replaced by the load
    ASSERT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(WalkIds(m_tbl), (IdList{5}));
    EXPECT_EQ(m_tbl.GetTypedObj(5)->GetMetaList(), (MetaList{1, 2}));
    EXPECT_STREQ(m_tbl.GetTypedObj(5)->GetDesc(), "");
    EXPECT_FALSE(m_tbl.IsModified());
}

}  // namespace
