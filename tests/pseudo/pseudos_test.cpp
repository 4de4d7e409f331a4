#include "pseudo/pseudos.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/id_catalogue_contract.h"
#include "support/make_var.h"

template <>
struct IdCatalogue<CZARVPseudos> {
    static constexpr const char* kRoot = "pseudos";
    static CZARVPtr<CZARVPseudo> New(unsigned short id) {
        auto p = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(id));
        p->InsertPSDProp(2, _zarvVAR("x"));
        return p;
    }
    static bool Insert(CZARVPseudos& s, CZARVPseudo* p) { return s.InsertPseudo(p); }
    static CZARVPseudo* Get(CZARVPseudos& s, unsigned short id) { return s.GetPseudo(id); }
    static bool Delete(CZARVPseudos& s, unsigned short id) { return s.DeletePseudo(id); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Pseudo, IdCatalogueTest, ::testing::Types<CZARVPseudos>);

namespace {

using Numbers = std::vector<unsigned short>;

TEST(PseudoTest, FirstValueOfAMetaNumberStaysUntilCleared) {
    auto p = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(1));
    EXPECT_TRUE(p->InsertPSDProp(5, _zarvVAR("a")));
    EXPECT_FALSE(p->InsertPSDProp(5, _zarvVAR("b")));
    EXPECT_STREQ((*p)[65536 + 5].GetText(), "a");  // the index keeps the low sixteen bits
    p->ClearPSDProp(5);
    EXPECT_TRUE(p->InsertPSDProp(5, _zarvVAR("b")));
    p->InsertPSDProp(3, _zarvVAR("x"));
    Numbers out{7};
    EXPECT_EQ(p->GetPSDPropVector(out), 3);  // appended, ascending
    EXPECT_EQ(out, (Numbers{7, 3, 5}));
}

class PseudosTest : public ::testing::Test {
protected:
    CZARVPseudo* Load(const std::string& dats) {
        EXPECT_TRUE(m_set.LoadFromFile(
            WriteXml(m_dir, "<pseudos><pseudo id=\"1\">" + dats + "</pseudo></pseudos>").c_str()));
        return m_set.GetPseudo(1);
    }

    TempDir m_dir;
    CZARVPseudos m_set;
};

// Values coming back with their kinds is the round-trip fuzz target's; here:
// the layout, definitions in ID order with each value's kind and text.
TEST_F(PseudosTest, SaveWritesEveryValueWithItsKindInTheFileLayout) {
    std::vector<_zarvVAR> values = EveryValueKind(kHostileText);
    auto p = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(65535));
    for (unsigned short i = 0; i < 8; ++i)
        p->InsertPSDProp(static_cast<unsigned short>(900 - i), values[i]);
    ASSERT_TRUE(m_set.InsertPseudo(p.get()));
    ASSERT_TRUE(m_set.InsertPseudo(CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(0)).get()));
    std::string path = m_dir.File("pseudos.xml");
    ASSERT_TRUE(m_set.SaveToFile(path.c_str(), "1.1", "GB2312"));
    std::string text = ReadAll(path);
    EXPECT_LT(text.find("<pseudo id=\"0\""),
              text.find("<dat mtno=\"897\" vt=\"3\" val=\"-2147483648\""))
        << text;
}

TEST_F(PseudosTest, SaveRefusesATextValueWithANulByteAndKeepsTheOldFile) {
    auto p = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(1));
    ASSERT_TRUE(p->InsertPSDProp(2, TextWithNul()));
    ASSERT_TRUE(m_set.InsertPseudo(p.get()));
    ExpectSaveRefusedKeepingTheOldFile(m_dir, m_set);
}

// How each kind reads its text is the value layer's; here: "vt" chooses the
// kind, a missing "vt" is kind 0, a missing "mtno" number 0; unknown kinds go.
TEST_F(PseudosTest, ValueKindsAreReadByVt) {
    CZARVPseudo* p = Load(
        "<dat mtno=\"1\" val=\"TRUE\"/><dat vt=\"6\"/><dat mtno=\"2\" vt=\"9\" val=\"1\"/>"
        "<dat mtno=\"4\" vt=\"7\" val=\"12\"/><dat mtno=\"3\" vt=\"-1\" val=\"1\"/>");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PSDProp(1).GetType(), _zarvVAR::VT_BOOL);
    EXPECT_EQ(p->PSDProp(0).GetType(), _zarvVAR::VT_R8);
    EXPECT_EQ(p->PSDProp(4).GetType(), _zarvVAR::VT_STR);
    Numbers nos;
    p->GetPSDPropVector(nos);
    EXPECT_EQ(nos, (Numbers{0, 1, 4}));
}

TEST_F(PseudosTest, FirstValueAndFirstDefinitionWin) {
    std::string path =
        WriteXml(m_dir,
                 "<root><pseudo id=\"70000\"><dat mtno=\"5\" vt=\"7\" val=\"first\"/>"
                 "<dat mtno=\"65541\" vt=\"7\" val=\"second\"/></pseudo>"
                 "<pseudo id=\"4464\"><dat mtno=\"9\" vt=\"7\" val=\"later\"/></pseudo>"
                 "<pseudo/></root>");
    ASSERT_TRUE(m_set.LoadFromFile(path.c_str()));
    EXPECT_EQ(WalkIds(m_set), (IdList{0, 4464}));
    CZARVPseudo* p = m_set.GetPseudo(4464);
    EXPECT_STREQ(p->PSDProp(5).GetText(), "first");
    EXPECT_TRUE(p->PSDProp(9).IsEmpty());
}

}  // namespace
