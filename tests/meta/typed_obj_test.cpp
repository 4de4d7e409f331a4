#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "meta/catalogue_test_util.h"
#include "meta/typed_obj_tbl.h"

namespace {

using MetaList = CZARVTypedObj::MetaList;

CZARVPtr<CZARVTypedObj> MakeObj(unsigned short id, const char* metas = "", const char* desc = "") {
    return CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(id, metas, "|", desc));
}

TEST(TypedObjTest, MetaListTextKeepsTheLowSixteenBitsOfEachPiece) {
    CZARVPtr<CZARVTypedObj> obj = MakeObj(1, "1|70000|-1|x| 12abc");
    EXPECT_EQ(obj->GetMetaList(), (MetaList{1, 4464, 65535, 0, 12}));
    EXPECT_EQ(obj->GetID(), 1u);
}

TEST(TypedObjTest, SeparatorIsAWholeText) {
    CZARVTypedObj obj(2, "1, 2, 3", ", ");
    EXPECT_EQ(obj.GetMetaList(), (MetaList{1, 2, 3}));
    EXPECT_EQ(obj.MetaListToString(", "), "1, 2, 3");
    obj.SetMetaList("4ab5ab6", "ab");
    EXPECT_EQ(obj.GetMetaList(), (MetaList{4, 5, 6}));
    obj.SetMetaList("", "|");
    EXPECT_TRUE(obj.GetMetaList().empty());
    obj.SetMetaList(nullptr, "|");
    EXPECT_TRUE(obj.GetMetaList().empty());
    EXPECT_EQ(obj.MetaListToString(", "), "");
    EXPECT_STREQ(obj.GetDesc(), "");
}

TEST(TypedObjTest, EmptyPiecesReadAsZeroAndAnEmptySeparatorKeepsOnePiece) {
    CZARVTypedObj obj(3, "|", "|");
    EXPECT_EQ(obj.GetMetaList(), (MetaList{0, 0}));
    obj.SetMetaList("7|", "|");
    EXPECT_EQ(obj.GetMetaList(), (MetaList{7, 0}));
    obj.SetMetaList("12|13", "");
    EXPECT_EQ(obj.GetMetaList(), (MetaList{12}));
    obj.SetMetaList(std::string(1 << 20, '|').c_str(), "|");
    EXPECT_EQ(obj.GetMetaList().size(), (1u << 20) + 1);
}

TEST(TypedObjTest, VectorFormsCopyTheList) {
    MetaList list{9, 9, 1};
    CZARVTypedObj obj(3, list, "d");
    list.push_back(5);
    EXPECT_EQ(obj.GetMetaList(), (MetaList{9, 9, 1}));  // duplicates stay, order kept
    EXPECT_STREQ(obj.GetDesc(), "d");
    obj.SetMetaList(list);
    EXPECT_EQ(obj.MetaListToString("|"), "9|9|1|5");
    obj.GetMetaList().push_back(65535);
    EXPECT_EQ(obj.MetaListToString("|"), "9|9|1|5|65535");
}

TEST(TypedObjTest, WalkReturnsEachNumberOnceThenMinusOne) {
    CZARVTypedObj obj(4, "65535|0|7", "|");
    CZARVTypedObj::MetaPos pos = obj.GetFirst();
    std::vector<int> seen;
    for (int no; (no = obj.GetNext(pos)) != -1;) seen.push_back(no);
    EXPECT_EQ(seen, (std::vector<int>{65535, 0, 7}));
    EXPECT_EQ(obj.GetNext(pos), -1);
    EXPECT_EQ(obj.GetNext(pos), -1);
    obj.GetMetaList().clear();  // a shrunk list leaves no dangling position
    EXPECT_EQ(obj.GetNext(pos), -1);
}

class TypedObjTblTest : public ::testing::Test {
protected:
    void Fill(std::initializer_list<unsigned short> ids) {
        for (unsigned short id : ids) ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(id).get()));
    }

    void FillRange(unsigned low, unsigned high) {
        for (unsigned id = low; id <= high; ++id)
            ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(static_cast<unsigned short>(id)).get()));
    }

    std::vector<unsigned long> Ids() { return WalkIds(m_tbl); }

    std::string WriteFile(const std::string& body) { return WriteXml(m_dir, body); }

    TempDir m_dir;
    CZARVTypedObjTbl m_tbl;
};

TEST_F(TypedObjTblTest, RefusedInsertLeavesTheReferenceCount) {
    CZARVPtr<CZARVTypedObj> first = MakeObj(5, "1");
    CZARVPtr<CZARVTypedObj> second = MakeObj(5, "2");
    EXPECT_TRUE(m_tbl.InsertTypedObj(first.get()));
    EXPECT_FALSE(m_tbl.InsertTypedObj(second.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(m_tbl.GetTypedObj(5), first.get());
    EXPECT_FALSE(m_tbl.DeleteTypedObj(6));
    EXPECT_TRUE(m_tbl.DeleteTypedObj(5));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(m_tbl.GetTypedObj(5), nullptr);
}

TEST_F(TypedObjTblTest, FreeIdsInTheTwoRanges) {
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), 0);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), 32768);
    Fill({0, 1, 3});
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), 2);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), 32768);
}

TEST_F(TypedObjTblTest, HighRangeIsFullWithoutUsing65535) {
    FillRange(32768, 65534);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), -1);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), 0);
    EXPECT_TRUE(m_tbl.DeleteTypedObj(65534));
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), 65534);
}

TEST_F(TypedObjTblTest, LowRangeFullDoesNotSpillIntoTheHighRange) {
    FillRange(0, 32767);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(true), -1);
    EXPECT_EQ(m_tbl.GetFreeTypedObjID(false), 32768);
}

TEST_F(TypedObjTblTest, RoundTripKeepsIdsListsAndDescriptions) {
    const std::string hostile = std::string(kHostileText) + ", |";
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(3, "100|101|205", hostile.c_str()).get()));
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(1, "", "").get()));
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(65535, "65535|0|65535").get()));
    std::string path = m_dir.File("typeobj.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));

    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), 0u) << text;
    EXPECT_NE(text.find("<typeobj>"), std::string::npos) << text;
    EXPECT_NE(text.find("<prop desc=\"\">1,</prop>"), std::string::npos) << text;
    EXPECT_LT(text.find(">1,<"), text.find(">3,100|101|205<")) << text;

    CZARVTypedObjTbl back(path.c_str());
    EXPECT_EQ(back.GetSize(), 3u);
    EXPECT_EQ(back.GetTypedObj(3)->GetMetaList(), (MetaList{100, 101, 205}));
    EXPECT_EQ(back.GetTypedObj(3)->GetDesc(), hostile);
    EXPECT_TRUE(back.GetTypedObj(1)->GetMetaList().empty());
    EXPECT_EQ(back.GetTypedObj(65535)->GetMetaList(), (MetaList{65535, 0, 65535}));
}

TEST_F(TypedObjTblTest, EmptyTableSavesOnlyTheDeclaration) {
    std::string path = m_dir.File("empty.xml");
    EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(ReadAll(path).find("typeobj"), std::string::npos);
    // Whether a document without a root loads is the XML document's call;
    // either way the outcome is whole: loaded and empty, or refused and kept.
    Fill({9});
    if (m_tbl.LoadFromFile(path.c_str()))
        EXPECT_EQ(m_tbl.GetSize(), 0u);
    else
        EXPECT_EQ(Ids(), (std::vector<unsigned long>{9}));
}

TEST_F(TypedObjTblTest, LoaderSkipsMalformedElementsAndKeepsTheFirstOfAnId) {
    std::string path = WriteFile(
        "<anything>"
        "<prop desc=\"first\">5,1|2</prop>"
        "<prop>12</prop>"
        "<prop>12,1,2</prop>"
        "<prop desc=\"second\">5,3</prop>"
        "<other>6,1</other>"
        "<prop>70000,x|-1</prop>"
        "</anything>");
    ASSERT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(Ids(), (std::vector<unsigned long>{5, 4464}));
    EXPECT_STREQ(m_tbl.GetTypedObj(5)->GetDesc(), "first");
    EXPECT_EQ(m_tbl.GetTypedObj(5)->GetRefCount(), 1);
    EXPECT_STREQ(m_tbl.GetTypedObj(4464)->GetDesc(), "");
    EXPECT_EQ(m_tbl.GetTypedObj(4464)->GetMetaList(), (MetaList{0, 65535}));
}

TEST_F(TypedObjTblTest, FailedLoadKeepsTheContent) {
    Fill({7});
    EXPECT_FALSE(m_tbl.LoadFromFile(m_dir.File("missing.xml").c_str()));
    EXPECT_FALSE(m_tbl.LoadFromFile(WriteFile("<typeobj><prop>1,2</prop>").c_str()));
    EXPECT_EQ(Ids(), (std::vector<unsigned long>{7}));
    EXPECT_TRUE(m_tbl.LoadFromFile(WriteFile("<typeobj/>").c_str()));
    EXPECT_TRUE(Ids().empty());
}

TEST_F(TypedObjTblTest, NoOperationTouchesTheModifiedFlag) {
    std::string path = m_dir.File("t.xml");
    for (bool flag : {false, true}) {
        m_tbl.SetModify(flag);
        Fill({1});
        EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
        EXPECT_TRUE(m_tbl.DeleteTypedObj(1));
        EXPECT_EQ(m_tbl.IsModified(), flag);
    }
}


TEST_F(TypedObjTblTest, EveryTruncationLoadsWholeOrKeepsTheContent) {
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(1, "1|2", "d").get()));
    ASSERT_TRUE(m_tbl.InsertTypedObj(MakeObj(2).get()));
    std::string path = m_dir.File("t.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    ExpectEveryTruncationLoadsWholeOrNot<CZARVTypedObjTbl>(
        m_dir, path, [](CZARVTypedObjTbl& tbl) { tbl.InsertTypedObj(MakeObj(900).get()); },
        [](CZARVTypedObjTbl& tbl) { return tbl.GetTypedObj(900) != nullptr; });
}

}  // namespace
