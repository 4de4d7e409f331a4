#include "pseudo/pseudos.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "meta/catalogue_test_util.h"

namespace {

CZARVPtr<CZARVPseudo> MakePseudo(unsigned short id) {
    return CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(id));
}

TEST(PseudoTest, FirstValueOfAMetaNumberStays) {
    CZARVPtr<CZARVPseudo> p = MakePseudo(1);
    EXPECT_TRUE(p->InsertPSDProp(5, _zarvVAR("a")));
    EXPECT_FALSE(p->InsertPSDProp(5, _zarvVAR("b")));
    EXPECT_STREQ(p->PSDProp(5).GetText(), "a");
    p->ClearPSDProp(5);
    p->ClearPSDProp(6);  // nothing there: no change
    EXPECT_TRUE(p->PSDProp(5).IsEmpty());
    EXPECT_TRUE(p->InsertPSDProp(5, _zarvVAR("b")));
    EXPECT_STREQ(p->PSDProp(5).GetText(), "b");
}

TEST(PseudoTest, IndexUsesTheLowSixteenBits) {
    CZARVPtr<CZARVPseudo> p = MakePseudo(1);
    p->InsertPSDProp(5, _zarvVAR("five"));
    EXPECT_STREQ((*p)[65536 + 5].GetText(), "five");
    EXPECT_STREQ((*p)[5].GetText(), "five");
    EXPECT_TRUE((*p)[6].IsEmpty());
}

TEST(PseudoTest, PropVectorAppendsInAscendingOrder) {
    CZARVPtr<CZARVPseudo> p = MakePseudo(1);
    for (unsigned short no : {30, 10, 20}) p->InsertPSDProp(no, _zarvVAR("x"));
    std::vector<unsigned short> out{7, 7};
    EXPECT_EQ(p->GetPSDPropVector(out), 5);
    EXPECT_EQ(out, (std::vector<unsigned short>{7, 7, 10, 20, 30}));
}

class PseudosTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& body) { return WriteXml(m_dir, body); }

    // Loads one "pseudo" element holding `dats` and returns its value `no`.
    _zarvVAR LoadValue(const std::string& dats, unsigned short no) {
        EXPECT_TRUE(m_set.LoadFromFile(
            WriteFile("<pseudos><pseudo id=\"1\">" + dats + "</pseudo></pseudos>").c_str()));
        CZARVPseudo* p = m_set.GetPseudo(1);
        return p ? p->PSDProp(no) : _zarvVAR();
    }

    std::vector<unsigned long> Ids() { return WalkIds(m_set); }

    TempDir m_dir;
    CZARVPseudos m_set;
};

TEST_F(PseudosTest, InsertDeleteAndReferenceCounts) {
    CZARVPtr<CZARVPseudo> first = MakePseudo(4);
    CZARVPtr<CZARVPseudo> second = MakePseudo(4);
    EXPECT_TRUE(m_set.InsertPseudo(first.get()));
    EXPECT_FALSE(m_set.InsertPseudo(second.get()));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(m_set.GetPseudo(4), first.get());
    EXPECT_FALSE(m_set.DeletePseudo(5));
    EXPECT_TRUE(m_set.DeletePseudo(4));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_FALSE(m_set.DeletePseudo(4));
}

TEST_F(PseudosTest, RoundTripKeepsEveryValueWithItsKind) {
    const std::string hostile = std::string(kHostileText) + "\t,| \n\r\n";
    std::vector<_zarvVAR> values = EveryValueKind(hostile.c_str());
    CZARVPtr<CZARVPseudo> p = MakePseudo(65535);
    for (unsigned short i = 0; i < 8; ++i)
        p->InsertPSDProp(static_cast<unsigned short>(900 - i), values[i]);
    p->InsertPSDProp(1, _zarvVAR(""));
    ASSERT_TRUE(m_set.InsertPseudo(p.get()));
    ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(0).get()));  // no values
    std::string path = m_dir.File("pseudos.xml");
    ASSERT_TRUE(m_set.SaveToFile(path.c_str(), "1.0", "UTF-8"));

    CZARVPseudos back(path.c_str());
    ASSERT_EQ(back.GetSize(), 2u);
    std::vector<unsigned short> none;
    EXPECT_EQ(back.GetPseudo(0)->GetPSDPropVector(none), 0);
    CZARVPseudo* got = back.GetPseudo(65535);
    ASSERT_NE(got, nullptr);
    for (unsigned short i = 0; i < 8; ++i) {
        _zarvVAR v = got->PSDProp(static_cast<unsigned short>(900 - i));
        EXPECT_TRUE(v == values[i]) << i << ": " << v.ToString();
    }
    EXPECT_EQ(got->PSDProp(1).GetType(), _zarvVAR::VT_STR);
}

TEST_F(PseudosTest, FileLayout) {
    CZARVPtr<CZARVPseudo> p = MakePseudo(3);
    _zarvVAR v;
    v = 12L;
    p->InsertPSDProp(401, v);
    ASSERT_TRUE(m_set.InsertPseudo(p.get()));
    ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(2).get()));
    std::string path = m_dir.File("p.xml");
    ASSERT_TRUE(m_set.SaveToFile(path.c_str(), "1.1", "GB2312"));
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("<?xml version=\"1.1\" encoding=\"GB2312\"?>"), 0u) << text;
    EXPECT_NE(text.find("<pseudos>"), std::string::npos) << text;
    EXPECT_NE(text.find("<dat mtno=\"401\" vt=\"3\" val=\"12\""), std::string::npos) << text;
    EXPECT_LT(text.find("<pseudo id=\"2\""), text.find("<pseudo id=\"3\">")) << text;
}

TEST_F(PseudosTest, EmptyCollectionSavesOnlyTheDeclaration) {
    std::string path = m_dir.File("empty.xml");
    EXPECT_TRUE(m_set.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(ReadAll(path).find("pseudos"), std::string::npos);
    ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(9).get()));
    // A document without a root: loaded and empty, or refused and kept.
    if (m_set.LoadFromFile(path.c_str()))
        EXPECT_EQ(m_set.GetSize(), 0u);
    else
        EXPECT_EQ(Ids(), (std::vector<unsigned long>{9}));
}

TEST_F(PseudosTest, ValueKindsAreReadByVt) {
    _zarvVAR text = LoadValue("<dat mtno=\"1\" vt=\"7\" val=\"12\"/>", 1);
    EXPECT_EQ(text.GetType(), _zarvVAR::VT_STR);
    EXPECT_STREQ(text.GetText(), "12");
    _zarvVAR l = LoadValue("<dat mtno=\"1\" vt=\"3\" val=\"12\"/>", 1);
    EXPECT_EQ(l.GetType(), _zarvVAR::VT_I4);
    EXPECT_EQ(static_cast<long>(l), 12);
    _zarvVAR s = LoadValue("<dat mtno=\"1\" vt=\"1\" val=\"70000\"/>", 1);
    EXPECT_EQ(s.GetType(), _zarvVAR::VT_I2);
    EXPECT_EQ(static_cast<short>(s), 4464);
    _zarvVAR b = LoadValue("<dat mtno=\"1\" val=\"TRUE\"/>", 1);  // no vt: code 0
    EXPECT_EQ(b.GetType(), _zarvVAR::VT_BOOL);
    EXPECT_TRUE(b.GetBool());
    EXPECT_FALSE(LoadValue("<dat mtno=\"1\" vt=\"0\" val=\"True\"/>", 1).GetBool());
    _zarvVAR absent = LoadValue("<dat vt=\"6\"/>", 0);  // no mtno, no val
    EXPECT_EQ(absent.GetType(), _zarvVAR::VT_R8);
    EXPECT_EQ(absent.GetDouble(), 0.0);
}

TEST_F(PseudosTest, UnknownKindsArePassedOverAndTheDefinitionStays) {
    _zarvVAR kept = LoadValue(
        "<dat mtno=\"1\" vt=\"9\" val=\"1\"/>"
        "<dat mtno=\"2\" vt=\"-1\" val=\"1\"/>"
        "<dat mtno=\"3\" vt=\"20\" val=\"1\"/>"
        "<dat mtno=\"4\" vt=\"2\" val=\"-1\"/>",
        4);
    CZARVPseudo* p = m_set.GetPseudo(1);
    ASSERT_NE(p, nullptr);
    std::vector<unsigned short> nos;
    p->GetPSDPropVector(nos);
    EXPECT_EQ(nos, (std::vector<unsigned short>{4}));
    EXPECT_EQ(kept.GetBits(), 65535u);
}

TEST_F(PseudosTest, FirstValueAndFirstDefinitionWin) {
    std::string path = WriteFile(
        "<root>"
        "<pseudo id=\"70000\">"
        "<dat mtno=\"5\" vt=\"7\" val=\"first\"/>"
        "<dat mtno=\"65541\" vt=\"7\" val=\"second\"/>"
        "<other mtno=\"6\" vt=\"7\" val=\"x\"/>"
        "</pseudo>"
        "<pseudo id=\"4464\"><dat mtno=\"9\" vt=\"7\" val=\"later\"/></pseudo>"
        "<other id=\"8\"/>"
        "<pseudo/>"
        "</root>");
    ASSERT_TRUE(m_set.LoadFromFile(path.c_str()));
    EXPECT_EQ(Ids(), (std::vector<unsigned long>{0, 4464}));
    CZARVPseudo* p = m_set.GetPseudo(4464);
    EXPECT_STREQ(p->PSDProp(5).GetText(), "first");
    EXPECT_TRUE(p->PSDProp(6).IsEmpty());
    EXPECT_TRUE(p->PSDProp(9).IsEmpty());
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST_F(PseudosTest, FailedLoadKeepsTheContent) {
    ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(2).get()));
    EXPECT_FALSE(m_set.LoadFromFile(m_dir.File("missing.xml").c_str()));
    EXPECT_FALSE(m_set.LoadFromFile(WriteFile("<pseudos><pseudo id=\"1\"></pseudos>").c_str()));
    EXPECT_FALSE(m_set.LoadFromFile(nullptr));
    EXPECT_EQ(Ids(), (std::vector<unsigned long>{2}));
}

TEST_F(PseudosTest, NoOperationTouchesTheModifiedFlag) {
    std::string path = m_dir.File("p.xml");
    for (bool flag : {false, true}) {
        m_set.SetModify(flag);
        ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(1).get()));
        EXPECT_TRUE(m_set.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        EXPECT_TRUE(m_set.LoadFromFile(path.c_str()));
        EXPECT_TRUE(m_set.DeletePseudo(1));
        EXPECT_EQ(m_set.IsModified(), flag);
    }
}


TEST_F(PseudosTest, EveryTruncationLoadsWholeOrKeepsTheContent) {
    CZARVPtr<CZARVPseudo> p = MakePseudo(1);
    p->InsertPSDProp(2, _zarvVAR("x"));
    ASSERT_TRUE(m_set.InsertPseudo(p.get()));
    ASSERT_TRUE(m_set.InsertPseudo(MakePseudo(2).get()));
    std::string path = m_dir.File("p.xml");
    ASSERT_TRUE(m_set.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    ExpectEveryTruncationLoadsWholeOrNot<CZARVPseudos>(
        m_dir, path, [](CZARVPseudos& set) { set.InsertPseudo(MakePseudo(900).get()); },
        [](CZARVPseudos& set) { return set.GetPseudo(900) != nullptr; });
}

}  // namespace
