#include "meta/meta_prop.h"

#include <gtest/gtest.h>


namespace {

CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id, const char* par = "par",
                                 const char* desc = "desc") {
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(id, "name", _zarvVAR(), METAINPUTTYPE(9), par, desc, METAVALIDTYPE(2)));
}

TEST(MetaPropTest, AssignmentsSetTheInitValueAndItsTypeOnly) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(12);
    EXPECT_EQ(p->GetValType(), -1);
    EXPECT_EQ((*p = true).GetValType(), CZARVMetaProp::MVT_BOOL);
    EXPECT_EQ((*p = static_cast<short>(-2)).GetValType(), CZARVMetaProp::MVT_SHORT);
    EXPECT_EQ((*p = static_cast<unsigned short>(2)).GetValType(), CZARVMetaProp::MVT_USHORT);
    EXPECT_EQ((*p = -3L).GetValType(), CZARVMetaProp::MVT_LONG);
    EXPECT_EQ((*p = 3UL).GetValType(), CZARVMetaProp::MVT_ULONG);
    EXPECT_EQ((*p = 1.5).GetValType(), CZARVMetaProp::MVT_DOUBLE);
    EXPECT_EQ((*p = "text").GetValType(), CZARVMetaProp::MVT_STRING);
    EXPECT_EQ(static_cast<int>((*p = 5LL).GetValType()), _zarvVAR::VT_I8);
    EXPECT_EQ(static_cast<int>((*p = 5ULL).GetValType()), _zarvVAR::VT_UI8);
    _zarvVAR v;
    v = static_cast<unsigned short>(7);
    EXPECT_EQ((*p = v).GetValType(), CZARVMetaProp::MVT_USHORT);
    *p = 2.25f;
    _zarvVAR out;
    EXPECT_EQ(p->GetInitValue(out), CZARVMetaProp::MVT_FLOAT);
    EXPECT_EQ(out.GetFloat(), 2.25f);
    EXPECT_STREQ(p->GetMetaName(), "name");  // nothing else changed
    EXPECT_EQ(p->GetValidType(), 2);
}

TEST(MetaPropTest, NullTextsLeaveFieldsEmpty) {
    CZARVPtr<CZARVMetaProp> p = MakeProp(3, nullptr, nullptr);
    EXPECT_STREQ(p->GetParameter(), "");
    EXPECT_STREQ(p->GetDesc(), "");
}

}  // namespace
