#include "meta/meta_prop.h"

#include <gtest/gtest.h>

namespace {

using VT = CZARVMetaProp::METAVALTYPE;

CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id) {
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(id, "name", _zarvVAR(), static_cast<CZARVMetaProp::METAINPUTTYPE>(9),
                          "par", "desc", static_cast<CZARVMetaProp::METAVALIDTYPE>(2)));
}

}  // namespace

TEST(MetaPropTest, AssignmentsSetTheValueTypeOfTheirArgument) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(1);
    EXPECT_EQ((*p = true).GetValType(), VT::MVT_BOOL);
    EXPECT_EQ((*p = static_cast<short>(-2)).GetValType(), VT::MVT_SHORT);
    EXPECT_EQ((*p = static_cast<unsigned short>(2)).GetValType(), VT::MVT_USHORT);
    EXPECT_EQ((*p = -3L).GetValType(), VT::MVT_LONG);
    EXPECT_EQ((*p = 3UL).GetValType(), VT::MVT_ULONG);
    EXPECT_EQ((*p = 1.5f).GetValType(), VT::MVT_FLOAT);
    EXPECT_EQ((*p = 1.5).GetValType(), VT::MVT_DOUBLE);
    EXPECT_EQ((*p = "text").GetValType(), VT::MVT_STRING);
    EXPECT_EQ(static_cast<int>((*p = 5LL).GetValType()), _zarvVAR::VT_I8);
    EXPECT_EQ(static_cast<int>((*p = 5ULL).GetValType()), _zarvVAR::VT_UI8);
    _zarvVAR v;
    v = static_cast<unsigned short>(7);
    EXPECT_EQ((*p = v).GetValType(), VT::MVT_USHORT);
}

TEST(MetaPropTest, AssignmentChangesNothingButTheInitValue) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(12);
    *p = 2.25f;
    EXPECT_EQ(p->GetID(), 12);
    EXPECT_STREQ(p->GetMetaName(), "name");
    EXPECT_EQ(p->GetInputType(), 9);
    EXPECT_STREQ(p->GetParameter(), "par");
    EXPECT_STREQ(p->GetDesc(), "desc");
    EXPECT_EQ(p->GetValidType(), 2);
    _zarvVAR out;
    EXPECT_EQ(p->GetInitValue(out), VT::MVT_FLOAT);
    EXPECT_EQ(out.GetFloat(), 2.25f);
}

TEST(MetaPropTest, NullTextsLeaveFieldsEmpty) {
    CZARVPtr<CZARVMetaProp> p = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(3, "n", _zarvVAR("v"), {}, nullptr, nullptr, {}));
    EXPECT_STREQ(p->GetParameter(), "");
    EXPECT_STREQ(p->GetDesc(), "");
    EXPECT_EQ(p->GetValidType(), 0);
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(MetaPropTest, OrderComparesIdsUnsigned) {
    CZARVPtr<CZARVMetaProp> low = MakeProp(1);
    CZARVPtr<CZARVMetaProp> high = MakeProp(65535);
    EXPECT_TRUE(*low < *high);
    EXPECT_FALSE(*high < *low);
    EXPECT_FALSE(*low < *low);
}

TEST(MetaPropTest, CodeTypesAnswerToTheirBareNames) {
    auto p = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(4, "n", _zarvVAR(), METAINPUTTYPE(3), nullptr, nullptr, METAVALIDTYPE(2)));
    METAVALTYPE kind = p->GetValType();
    EXPECT_EQ(p->GetInputType(), METAINPUTTYPE(3));
    EXPECT_EQ(p->GetValidType(), METAVALIDTYPE(2));
    EXPECT_EQ(kind, static_cast<METAVALTYPE>(-1));
}
