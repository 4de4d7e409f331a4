#include "meta/internal/prop_element.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/catalogue_test_util.h"
#include "host/zarvlib/markup.h"

using namespace zarvqen;

namespace {

class PropElementTest : public ::testing::Test {
protected:
    static CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id, const char* name,
                                            const _zarvVAR& init, const char* text = nullptr) {
        return CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, name, init, METAINPUTTYPE(text ? 0 : 3), text ? text : "p",
                              text ? text : "d", METAVALIDTYPE(text ? 3 : 2)));
    }
    // The document text of one property element written under a root.
    static std::string Written(const CZARVMetaProp& prop, ValidAttr valid = ValidAttr::kInclude) {
        CZARVXmlWriter writer;
        EXPECT_TRUE(writer.Add(XmlLevel::kMain, "root"));
        EXPECT_TRUE(WritePropElem(writer, XmlLevel::kChild, prop, valid));
        return writer.Finish();
    }
    // Reads the first "prop" element under the root of `xml`.
    static CZARVPtr<CZARVMetaProp> Read(const std::string& xml,
                                        ValidAttr valid = ValidAttr::kInclude) {
        CMarkup doc;
        EXPECT_TRUE(doc.SetDoc(xml.c_str())) << xml;
        EXPECT_TRUE(doc.FindChildElem("prop"));
        return ReadPropElem(doc, XmlLevel::kChild, valid);
    }
};

TEST_F(PropElementTest, WritesFiveFieldsAndTheAttributesInOrder) {
    CZARVPtr<CZARVMetaProp> prop = MakeProp(7, "Speed", _zarvVAR("fast"));
    EXPECT_NE(Written(*prop).find("<prop par=\"p\" desc=\"d\" valid=\"2\">7,Speed,7,fast,3</prop>"),
              std::string::npos);
    EXPECT_NE(
        Written(*prop, ValidAttr::kOmit).find("<prop par=\"p\" desc=\"d\">7,Speed,7,fast,3</prop>"),
        std::string::npos);
    *prop = 5000000000LL;  // sixty-four bits: written with its kind, read back empty
    std::string big_xml = Written(*prop);
    EXPECT_NE(big_xml.find(">7,Speed,20,5000000000,3<"), std::string::npos) << big_xml;
    EXPECT_EQ(static_cast<int>(Read(big_xml)->GetValType()), _zarvVAR::VT_EMPTY);
}

TEST_F(PropElementTest, UnknownKindsReadEmptyMissingAttributesReadZeroAndValidIsReadOnlyWhenAsked) {
    CZARVPtr<CZARVMetaProp> p =
        Read("<r><prop par=\"pp\" desc=\"dd\" valid=\"1\">70000,nm,9,12,4</prop></r>");
    ASSERT_TRUE(p);
    EXPECT_EQ(static_cast<int>(p->GetValType()), _zarvVAR::VT_EMPTY);
    EXPECT_EQ(p->GetID(), 4464);  // the low sixteen bits
    EXPECT_STREQ(p->GetDesc(), "dd");
    EXPECT_EQ(p->GetValidType(), 1);
    p = Read("<r><prop valid=\"\">5,nm,3,12,4</prop></r>");
    EXPECT_EQ(p->GetValidType(), 0);
    p = Read("<r><prop valid=\"3\">905,n,6,1.5,0</prop></r>", ValidAttr::kOmit);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->GetValidType(), 0);
}

}  // namespace
