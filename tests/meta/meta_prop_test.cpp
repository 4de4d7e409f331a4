#include "meta/meta_prop.h"

#include <gtest/gtest.h>

namespace {

TEST(MetaPropTest, AssignmentsSetTheInitValueAndItsTypeOnlyAndNullTextsReadEmpty) {
    auto p = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(12, "name", _zarvVAR(), METAINPUTTYPE(9), nullptr, nullptr, METAVALIDTYPE(2)));
    EXPECT_EQ(p->GetValType(), -1);
    EXPECT_EQ((*p = static_cast<unsigned short>(2)).GetValType(), CZARVMetaProp::MVT_USHORT);
    EXPECT_EQ(static_cast<int>((*p = 5LL).GetValType()), _zarvVAR::VT_I8);
    *p = 2.25f;
    _zarvVAR out;
    EXPECT_EQ(p->GetInitValue(out), CZARVMetaProp::MVT_FLOAT);
    EXPECT_EQ(out.GetFloat(), 2.25f);
    EXPECT_STREQ(p->GetMetaName(), "name");  // nothing else changed
    EXPECT_EQ(p->GetValidType(), 2);
    EXPECT_STREQ(p->GetParameter(), "");
    EXPECT_STREQ(p->GetDesc(), "");
}

}  // namespace
