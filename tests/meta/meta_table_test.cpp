#include "meta/meta_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_test_util.h"

namespace {

using Names = std::vector<std::string>;

CZARVPtr<CZARVTableField> MakeField(const char* name, const _zarvVAR& init = _zarvVAR(),
                                    int input = 0, const char* text = "") {
    return CZARVPtr<CZARVTableField>::Adopt(
        new CZARVTableField(name, init, FLDINPUTTYPE(input), text, text));
}

Names FieldNames(CZARVTableNode& node) {
    Names names;
    CZARVTableNode::iterator it = node.GetFirst();
    while (CZARVTableField* f = node.GetNext(it)) names.push_back(f->GetFieldName());
    return names;
}

Names NodeNames(const CZARVMetaTable& tbl, Names names = {}) {
    const int count = tbl.GetNodeNameList(names);  // counts what the list holds
    EXPECT_EQ(count, static_cast<int>(names.size()));
    return names;
}

TEST(TableNodeTest, FieldsGoToTheirPositionOrTheEndAreUniqueAndReleased) {
    auto node = CZARVPtr<CZARVTableNode>::Adopt(new CZARVTableNode);
    const std::pair<const char*, int> inserts[] = {{"a", 0},   {"b", 1},    {"front", 0},
                                                   {"mid", 2}, {"neg", -1}, {"far", 100}};
    for (auto [name, at] : inserts) EXPECT_TRUE(node->InsertField(MakeField(name).get(), at));
    EXPECT_EQ(FieldNames(*node), (Names{"front", "a", "mid", "b", "neg", "far"}));
    CZARVPtr<CZARVTableField> first = MakeField("Speed"), second = MakeField("Speed");
    ASSERT_TRUE(node->AddField(first.get()));
    EXPECT_FALSE(node->InsertField(second.get(), 0));  // names are unique and exact
    EXPECT_FALSE(node->AddField(nullptr));
    EXPECT_EQ(node->GetField("speed"), nullptr);
    EXPECT_TRUE(node->DeleteField("far"));
    EXPECT_EQ(first->GetRefCount(), 2);
    node.reset();
    EXPECT_EQ(first->GetRefCount(), 1);
}

class MetaTableTest : public ::testing::Test {
protected:
    std::string Save(const char* encoding = "UTF-8") {
        std::string path = m_dir.File("tbl.xml");
        EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", encoding));
        return path;
    }
    std::string Generated() {
        _zarv_str name("keep");
        return m_tbl.CreateNewNode(name) ? name.c_str() : "refused " + std::string(name.c_str());
    }

    TempDir m_dir;
    CZARVMetaTable m_tbl;
};

TEST_F(MetaTableTest, NodeNamesAreUniqueExactListedInByteOrderAndRenamedOrDeletedWithTheirNode) {
    CZARVTableNode* node = m_tbl.CreateNewNode("b");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(m_tbl.CreateNewNode("b"), nullptr);
    EXPECT_EQ(m_tbl.CreateNewNode(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(m_tbl.GetTableNode("B"), nullptr);
    for (const char* name : {"B", "\xC3\xA9", "a"}) m_tbl.CreateNewNode(name);
    EXPECT_EQ(NodeNames(m_tbl, {"x"}), (Names{"x", "B", "a", "b", "\xC3\xA9"}));
    CZARVTableNode* a = m_tbl.GetTableNode("a");
    CZARVPtr<CZARVTableNode> b(node);
    EXPECT_FALSE(m_tbl.RenameNode("a", "b"));
    EXPECT_TRUE(m_tbl.RenameNode("a", "c"));
    EXPECT_EQ(m_tbl.GetTableNode("c"), a);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_TRUE(m_tbl.DeleteNode("b"));
    EXPECT_EQ(b->GetRefCount(), 1);
    EXPECT_EQ(NodeNames(m_tbl), (Names{"B", "c", "\xC3\xA9"}));
}

TEST_F(MetaTableTest, GeneratedNamesFillTheFirstNumericGapUpToTBL65534) {
    m_tbl.CreateNewNode("TBL1");
    EXPECT_EQ(Generated(), "TBL0");
    for (int i = 2; i < 10; ++i) m_tbl.CreateNewNode(("TBL" + std::to_string(i)).c_str());
    m_tbl.CreateNewNode("TBL11");
    EXPECT_EQ(Generated(), "TBL10");  // numeric, not map order
    for (int i = 12; i < 65535; ++i)
        ASSERT_NE(m_tbl.CreateNewNode(("TBL" + std::to_string(i)).c_str()), nullptr);
    EXPECT_EQ(Generated(), "refused TBL65534");
    EXPECT_NE(m_tbl.CreateNewNode("TBL65535"), nullptr);
}

// Values and texts coming back is the round-trip fuzz target's; here: the layout.
TEST_F(MetaTableTest, RoundTripKeepsNodesAndFieldOrderInTheFileLayout) {
    const char* hostile = kHostileText;
    std::vector<_zarvVAR> values = EveryValueKind(hostile);
    CZARVTableNode* node = m_tbl.CreateNewNode("zeta");
    for (int i = 7; i >= 0; --i)
        ASSERT_TRUE(node->InsertField(
            MakeField(("f" + std::to_string(i)).c_str(), values[i], i, hostile).get(), 0));
    m_tbl.CreateNewNode("alpha");  // a node without fields
    for (const char* bad : {"1bad", "has space"})
        m_tbl.CreateNewNode(bad);  // XML refuses: left out
    std::string path = Save("GB2312");
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"1.0\" encoding=\"GB2312\"?>"), 0u) << text;
    EXPECT_LT(text.find("<metatbl>"), text.find("<zeta>")) << text;
    CZARVMetaTable back(path.c_str());
    EXPECT_EQ(NodeNames(back), (Names{"alpha", "zeta"}));
    EXPECT_EQ(FieldNames(*back.GetTableNode("zeta")),
              (Names{"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"}));
}

TEST_F(MetaTableTest, SaveRefusesAFieldTextWithANulByteAndKeepsTheOldFile) {
    auto field = CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField(
        "f", TextWithNul(), CZARVTableField::FLDINPUTTYPE(0), nullptr, nullptr));
    ASSERT_TRUE(m_tbl.CreateNewNode("points")->AddField(field.get()));
    ExpectSaveRefusedKeepingTheOldFile(m_dir, m_tbl);
}

TEST_F(MetaTableTest, OnlyAWholeDocumentWithTheRootMetatblLoadsAndThenReplacesTheContent) {
    std::string empty = Save();  // only the declaration
    CZARVPtr<CZARVTableNode> kept(m_tbl.CreateNewNode("kept"));
    for (const std::string& bad :
         {empty, WriteXml(m_dir, "<meta><a><prop>x,3,1,0</prop></a></meta>"),
          WriteXml(m_dir, "<metatbl><a></metatbl>")})
        EXPECT_FALSE(m_tbl.LoadFromFile(bad.c_str())) << bad;
    EXPECT_EQ(NodeNames(m_tbl), Names{"kept"});
    EXPECT_TRUE(m_tbl.LoadFromFile(WriteXml(m_dir, "<metatbl/>").c_str()));
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST_F(MetaTableTest, LoaderSkipsMalformedFieldsAndKeepsFirstNodesAndFields) {
    std::string path = WriteXml(m_dir,
                                "<metatbl>"
                                "<t1>"
                                "<prop par=\"p1\">a,3,1,0</prop>"
                                "<prop>a,3,2,0</prop>"    // same name: the first stays
                                "<prop>b,c,3,1,0</prop>"  // comma in the name: five pieces
                                "<prop>g,9,1,4</prop>"    // unknown kind: empty value
                                "</t1>"
                                "<t1><prop>z,3,1,0</prop></t1>"  // same node name: the first stays
                                "</metatbl>");
    ASSERT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(NodeNames(m_tbl), Names{"t1"});
    CZARVTableNode* t1 = m_tbl.GetTableNode("t1");
    EXPECT_EQ(FieldNames(*t1), (Names{"a", "g"}));
    EXPECT_STREQ(t1->GetField("a")->GetParameter(), "p1");
    EXPECT_EQ(static_cast<int>(t1->GetField("g")->GetValType()), _zarvVAR::VT_EMPTY);
    EXPECT_EQ(t1->GetField("a")->GetRefCount(), 1);
}

}  // namespace
