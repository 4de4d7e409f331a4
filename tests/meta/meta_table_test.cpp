#include "meta/meta_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "meta/catalogue_test_util.h"

namespace {

CZARVPtr<CZARVTableField> MakeField(const char* name, const _zarvVAR& init = _zarvVAR()) {
    return CZARVPtr<CZARVTableField>::Adopt(
        new CZARVTableField(name, init, static_cast<CZARVTableField::FLDINPUTTYPE>(0), "", ""));
}

std::vector<std::string> FieldNames(CZARVTableNode& node) {
    std::vector<std::string> names;
    CZARVTableNode::iterator it = node.GetFirst();
    while (CZARVTableField* f = node.GetNext(it)) names.push_back(f->GetFieldName());
    return names;
}

class TableNodeTest : public ::testing::Test {
protected:
    void Add(std::initializer_list<const char*> names) {
        for (const char* name : names) ASSERT_TRUE(m_node->AddField(MakeField(name).get()));
    }

    CZARVPtr<CZARVTableNode> m_node = CZARVPtr<CZARVTableNode>::Adopt(new CZARVTableNode);
};

TEST_F(TableNodeTest, InsertFieldPutsTheFieldAtItsPosition) {
    Add({"a", "b"});
    EXPECT_TRUE(m_node->InsertField(MakeField("front").get(), 0));
    EXPECT_TRUE(m_node->InsertField(MakeField("mid").get(), 2));
    EXPECT_TRUE(m_node->InsertField(MakeField("end").get(), 4));  // == count
    EXPECT_TRUE(m_node->InsertField(MakeField("neg").get(), -1));
    EXPECT_TRUE(m_node->InsertField(MakeField("far").get(), 100));
    EXPECT_TRUE(m_node->InsertField(MakeField("low").get(), -7));
    EXPECT_EQ(FieldNames(*m_node),
              (std::vector<std::string>{"front", "a", "mid", "b", "end", "neg", "far", "low"}));
    EXPECT_EQ(m_node->GetFieldCount(), 8u);
}

TEST_F(TableNodeTest, DuplicateNameIsRefusedAndTheReferenceCountRestored) {
    CZARVPtr<CZARVTableField> first = MakeField("Speed");
    CZARVPtr<CZARVTableField> second = MakeField("Speed");
    ASSERT_TRUE(m_node->AddField(first.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(m_node->InsertField(second.get(), 0));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_FALSE(m_node->AddField(first.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(m_node->AddField(nullptr));
    EXPECT_EQ(m_node->GetFieldCount(), 1u);
    EXPECT_EQ(m_node->GetField("Speed"), first.get());
}

TEST_F(TableNodeTest, NamesMatchExactly) {
    Add({"Speed", "speed2"});
    EXPECT_EQ(m_node->GetField("speed"), nullptr);
    EXPECT_EQ(m_node->GetField("Speed "), nullptr);
    EXPECT_EQ(m_node->GetField(nullptr), nullptr);
    EXPECT_FALSE(m_node->DeleteField("speed"));
    EXPECT_FALSE(m_node->DeleteField(nullptr));
    EXPECT_TRUE(m_node->DeleteField("Speed"));
    EXPECT_EQ(FieldNames(*m_node), (std::vector<std::string>{"speed2"}));
}

TEST_F(TableNodeTest, DeleteAndDestructionReleaseFields) {
    CZARVPtr<CZARVTableField> kept = MakeField("kept");
    CZARVPtr<CZARVTableField> gone = MakeField("gone");
    ASSERT_TRUE(m_node->AddField(kept.get()));
    ASSERT_TRUE(m_node->AddField(gone.get()));
    EXPECT_TRUE(m_node->DeleteField("gone"));
    EXPECT_EQ(gone->GetRefCount(), 1);
    m_node.reset();
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST_F(TableNodeTest, WalkEndsAndStaysAtTheEnd) {
    Add({"x"});
    CZARVTableNode::iterator it = m_node->GetFirst();
    EXPECT_NE(m_node->GetNext(it), nullptr);
    EXPECT_EQ(m_node->GetNext(it), nullptr);
    EXPECT_EQ(m_node->GetNext(it), nullptr);
}

TEST(TableFieldTest, CodeTypesAnswerToTheirBareNames) {
    auto f = CZARVPtr<CZARVTableField>::Adopt(
        new CZARVTableField("f", _zarvVAR(), FLDINPUTTYPE(5), nullptr, nullptr));
    FLDVALTYPE kind = f->GetValType();
    EXPECT_EQ(f->GetInputType(), FLDINPUTTYPE(5));
    EXPECT_EQ(kind, static_cast<FLDVALTYPE>(-1));
}

TEST(TableFieldTest, AssignmentsSetTheValueType) {
    CZARVPtr<CZARVTableField> f = MakeField("f");
    EXPECT_EQ((*f = true).GetValType(), CZARVTableField::FVT_BOOL);
    EXPECT_EQ((*f = static_cast<short>(1)).GetValType(), CZARVTableField::FVT_SHORT);
    EXPECT_EQ((*f = static_cast<unsigned short>(1)).GetValType(), CZARVTableField::FVT_USHORT);
    EXPECT_EQ((*f = 1L).GetValType(), CZARVTableField::FVT_LONG);
    EXPECT_EQ((*f = 1UL).GetValType(), CZARVTableField::FVT_ULONG);
    EXPECT_EQ((*f = 1.0f).GetValType(), CZARVTableField::FVT_FLOAT);
    EXPECT_EQ((*f = 1.0).GetValType(), CZARVTableField::FVT_DOUBLE);
    EXPECT_EQ((*f = "t").GetValType(), CZARVTableField::FVT_STRING);
    EXPECT_STREQ(f->GetFieldName(), "f");
}

class MetaTableTest : public ::testing::Test {
protected:
    static std::vector<std::string> Names(const CZARVMetaTable& tbl) {
        std::vector<std::string> names;
        tbl.GetNodeNameList(names);
        return names;
    }

    std::string WriteFile(const std::string& body) { return WriteXml(m_dir, body); }

    TempDir m_dir;
    CZARVMetaTable m_tbl;
};

TEST_F(MetaTableTest, CreateNewNodeRefusesATakenName) {
    CZARVTableNode* node = m_tbl.CreateNewNode("motors");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetRefCount(), 1);
    EXPECT_EQ(m_tbl.CreateNewNode("motors"), nullptr);
    EXPECT_EQ(m_tbl.CreateNewNode(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(m_tbl.GetTableNode("motors"), node);
    EXPECT_EQ(m_tbl.GetTableNode("Motors"), nullptr);
}

TEST_F(MetaTableTest, GeneratedNamesFillTheFirstNumericGap) {
    m_tbl.CreateNewNode("TBL0");
    m_tbl.CreateNewNode("TBL2");
    _zarv_str name;
    ASSERT_NE(m_tbl.CreateNewNode(name), nullptr);
    EXPECT_STREQ(name.c_str(), "TBL1");

    CZARVMetaTable only1;
    only1.CreateNewNode("TBL1");
    ASSERT_NE(only1.CreateNewNode(name), nullptr);
    EXPECT_STREQ(name.c_str(), "TBL0");
}

TEST_F(MetaTableTest, GeneratedNamesGoInNumericNotMapOrder) {
    for (int i = 0; i <= 9; ++i) m_tbl.CreateNewNode(("TBL" + std::to_string(i)).c_str());
    m_tbl.CreateNewNode("TBL11");
    _zarv_str name;
    ASSERT_NE(m_tbl.CreateNewNode(name), nullptr);
    EXPECT_STREQ(name.c_str(), "TBL10");
}

TEST_F(MetaTableTest, GeneratedNamesRunOutAfterTBL65534) {
    for (int i = 0; i < 65535; ++i)
        ASSERT_NE(m_tbl.CreateNewNode(("TBL" + std::to_string(i)).c_str()), nullptr);
    _zarv_str name("keep");
    EXPECT_EQ(m_tbl.CreateNewNode(name), nullptr);
    EXPECT_STREQ(name.c_str(), "TBL65534");
    EXPECT_NE(m_tbl.CreateNewNode("TBL65535"), nullptr);
}

TEST_F(MetaTableTest, RenameMovesTheSameNode) {
    CZARVTableNode* a = m_tbl.CreateNewNode("a");
    m_tbl.CreateNewNode("b");
    EXPECT_FALSE(m_tbl.RenameNode("a", "b"));
    EXPECT_FALSE(m_tbl.RenameNode("a", "a"));
    EXPECT_FALSE(m_tbl.RenameNode("missing", "c"));
    EXPECT_EQ(m_tbl.GetTableNode("a"), a);
    EXPECT_TRUE(m_tbl.RenameNode("a", "c"));
    EXPECT_EQ(m_tbl.GetTableNode("a"), nullptr);
    EXPECT_EQ(m_tbl.GetTableNode("c"), a);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(Names(m_tbl), (std::vector<std::string>{"b", "c"}));
}

TEST_F(MetaTableTest, DeleteNodeReleasesIt) {
    CZARVPtr<CZARVTableNode> held(m_tbl.CreateNewNode("a"));
    EXPECT_FALSE(m_tbl.DeleteNode("A"));
    EXPECT_TRUE(m_tbl.DeleteNode("a"));
    EXPECT_EQ(held->GetRefCount(), 1);
    EXPECT_FALSE(m_tbl.DeleteNode("a"));
}

TEST_F(MetaTableTest, NameListAppendsInByteOrder) {
    m_tbl.CreateNewNode("b");
    m_tbl.CreateNewNode("B");
    m_tbl.CreateNewNode("\xC3\xA9");
    m_tbl.CreateNewNode("a");
    std::vector<std::string> names{"x", "y"};
    EXPECT_EQ(m_tbl.GetNodeNameList(names), 6);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y", "B", "a", "b", "\xC3\xA9"}));
}

TEST_F(MetaTableTest, RoundTripKeepsNodesFieldsOrderAndValueKinds) {
    const char* hostile = kHostileText;
    std::vector<_zarvVAR> values = EveryValueKind(hostile);
    values[4] = 4000000000UL;  // above the signed range: comes back clamped
    CZARVTableNode* node = m_tbl.CreateNewNode("zeta");
    for (int i = 7; i >= 0; --i) {
        std::string name = "f" + std::to_string(i);
        CZARVPtr<CZARVTableField> f = CZARVPtr<CZARVTableField>::Adopt(
            new CZARVTableField(name.c_str(), values[i],
                                static_cast<CZARVTableField::FLDINPUTTYPE>(i), hostile, hostile));
        ASSERT_TRUE(node->InsertField(f.get(), 0));
    }
    m_tbl.CreateNewNode("alpha");  // a node without fields
    std::string path = m_dir.File("tbl.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));

    CZARVMetaTable back(path.c_str());
    EXPECT_EQ(Names(back), (std::vector<std::string>{"alpha", "zeta"}));
    EXPECT_EQ(back.GetTableNode("alpha")->GetFieldCount(), 0u);
    CZARVTableNode* z = back.GetTableNode("zeta");
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(FieldNames(*z),
              (std::vector<std::string>{"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"}));
    for (int i = 0; i < 8; ++i) {
        CZARVTableField* f = z->GetField(("f" + std::to_string(i)).c_str());
        _zarvVAR v;
        f->GetInitValue(v);
        if (i == 4) {
            EXPECT_EQ(v.GetType(), _zarvVAR::VT_UI4);
            EXPECT_EQ(v.GetBits(), 2147483647u);
        } else {
            EXPECT_TRUE(v == values[i]) << i << ": " << v.ToString();
        }
        EXPECT_EQ(f->GetInputType(), i);
        EXPECT_STREQ(f->GetParameter(), hostile);
        EXPECT_STREQ(f->GetDesc(), hostile);
    }
}

TEST_F(MetaTableTest, FileFormatOfANode) {
    CZARVTableNode* node = m_tbl.CreateNewNode("Motor");
    CZARVPtr<CZARVTableField> f = CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField(
        "Speed", _zarvVAR(), static_cast<CZARVTableField::FLDINPUTTYPE>(2), "p", "d"));
    *f = 1.5;
    node->AddField(f.get());
    std::string path = m_dir.File("tbl.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "GB2312"));
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"1.0\" encoding=\"GB2312\"?>"), 0u) << text;
    EXPECT_NE(text.find("<metatbl>"), std::string::npos) << text;
    EXPECT_NE(text.find("<Motor>"), std::string::npos) << text;
    EXPECT_NE(text.find("<prop par=\"p\" desc=\"d\">Speed,6,1.5,2</prop>"), std::string::npos)
        << text;
}

TEST_F(MetaTableTest, NodesWithNamesXmlRefusesAreLeftOutOfTheFile) {
    m_tbl.CreateNewNode("good");
    m_tbl.CreateNewNode("1bad");
    m_tbl.CreateNewNode("has space");
    m_tbl.CreateNewNode("");
    m_tbl.CreateNewNode("zz");
    std::string path = m_dir.File("tbl.xml");
    EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    CZARVMetaTable back(path.c_str());
    EXPECT_EQ(Names(back), (std::vector<std::string>{"good", "zz"}));
}

TEST_F(MetaTableTest, EmptyCollectionSavesOnlyTheDeclarationWhichDoesNotLoad) {
    std::string path = m_dir.File("empty.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(ReadAll(path).find("metatbl"), std::string::npos);
    m_tbl.CreateNewNode("kept");
    EXPECT_FALSE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(Names(m_tbl), (std::vector<std::string>{"kept"}));
}

TEST_F(MetaTableTest, RootWithAnotherNameIsNotLoaded) {
    m_tbl.CreateNewNode("kept");
    EXPECT_FALSE(m_tbl.LoadFromFile(WriteFile("<meta><a><prop>x,3,1,0</prop></a></meta>").c_str()));
    EXPECT_FALSE(m_tbl.LoadFromFile(m_dir.File("missing.xml").c_str()));
    EXPECT_FALSE(m_tbl.LoadFromFile(WriteFile("<metatbl><a></metatbl>").c_str()));
    EXPECT_EQ(Names(m_tbl), (std::vector<std::string>{"kept"}));
}

TEST_F(MetaTableTest, LoaderSkipsMalformedFieldsAndKeepsFirstNodesAndFields) {
    std::string path = WriteFile(
        "<metatbl>"
        "<t1>"
        "<prop par=\"p1\">a,3,1,0</prop>"
        "<prop>a,3,2,0</prop>"    // same name: the first stays
        "<prop>b,c,3,1,0</prop>"  // comma in the name
        "<prop>d,7,x,y,0</prop>"  // comma in the text value
        "<prop>e,3,1</prop>"      // three pieces
        "<other>f,3,1,0</other>"
        "<prop>g,9,1,4</prop>"  // unknown kind: empty value
        "</t1>"
        "<t1><prop>z,3,1,0</prop></t1>"  // same node name: the first stays
        "<t2/>"
        "</metatbl>");
    ASSERT_TRUE(m_tbl.LoadFromFile(path.c_str()));
    EXPECT_EQ(Names(m_tbl), (std::vector<std::string>{"t1", "t2"}));
    CZARVTableNode* t1 = m_tbl.GetTableNode("t1");
    EXPECT_EQ(FieldNames(*t1), (std::vector<std::string>{"a", "g"}));
    EXPECT_STREQ(t1->GetField("a")->GetParameter(), "p1");
    EXPECT_EQ(static_cast<int>(t1->GetField("g")->GetValType()), _zarvVAR::VT_EMPTY);
    EXPECT_EQ(t1->GetField("g")->GetInputType(), 4);
    EXPECT_EQ(t1->GetField("a")->GetRefCount(), 1);
}

TEST_F(MetaTableTest, SuccessfulLoadReplacesTheContent) {
    CZARVPtr<CZARVTableNode> old(m_tbl.CreateNewNode("old"));
    EXPECT_TRUE(m_tbl.LoadFromFile(WriteFile("<metatbl/>").c_str()));
    EXPECT_TRUE(Names(m_tbl).empty());
    EXPECT_EQ(old->GetRefCount(), 1);
}

TEST_F(MetaTableTest, NoOperationTouchesTheModifiedFlag) {
    std::string path = m_dir.File("tbl.xml");
    for (bool flag : {false, true}) {
        m_tbl.SetModify(flag);
        _zarv_str name;
        m_tbl.CreateNewNode(name);
        m_tbl.CreateNewNode("x");
        m_tbl.RenameNode("x", "y");
        m_tbl.DeleteNode("y");
        EXPECT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        EXPECT_TRUE(m_tbl.LoadFromFile(path.c_str()));
        EXPECT_FALSE(m_tbl.LoadFromFile(m_dir.File("missing.xml").c_str()));
        EXPECT_EQ(m_tbl.IsModified(), flag);
    }
}


TEST_F(MetaTableTest, EveryTruncationLoadsWholeOrKeepsTheContent) {
    CZARVTableNode* node = m_tbl.CreateNewNode("t");
    node->AddField(MakeField("a", _zarvVAR("x")).get());
    m_tbl.CreateNewNode("u");
    std::string path = m_dir.File("tbl.xml");
    ASSERT_TRUE(m_tbl.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    ExpectEveryTruncationLoadsWholeOrNot<CZARVMetaTable>(
        m_dir, path, [](CZARVMetaTable& tbl) { tbl.CreateNewNode("kept"); },
        [](CZARVMetaTable& tbl) { return tbl.GetTableNode("kept") != nullptr; });
}

}  // namespace
