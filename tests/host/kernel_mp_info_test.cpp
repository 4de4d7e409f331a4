#include <gtest/gtest.h>

#include <vector>

#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_test_util.h"

namespace {

class MPInfoTest : public ::testing::Test {
protected:
    std::vector<unsigned short> Ids() {
        std::vector<unsigned short> ids{7, 7, 7, 7, 7, 7};  // replaced, not appended to
        EXPECT_EQ(info->GetMPPropVector(ids), info->GetMPPropCount());
        return ids;
    }

    CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
};

TEST_F(MPInfoTest, PropertiesAreListedInAscendingNumberOrder) {
    for (unsigned short id : {402, 1, 499, 401})
        ASSERT_TRUE(info->InsertMPProp(id, _zarvVAR("v"), 0));
    EXPECT_EQ(Ids(), (std::vector<unsigned short>{1, 401, 402, 499}));
}

TEST_F(MPInfoTest, InsertRefusesATakenNumberOrATypeOutsideZeroToThree) {
    ASSERT_TRUE(info->InsertMPProp(10, _zarvVAR("first"), 2));
    EXPECT_FALSE(info->InsertMPProp(10, _zarvVAR("second"), 1));
    EXPECT_EQ(info->MPProp(10).ToString(), "first");
    EXPECT_EQ(info->MPType(10), 2);
    EXPECT_FALSE(info->InsertMPProp(11, _zarvVAR("x"), 4));
    EXPECT_FALSE(info->InsertMPProp(11, _zarvVAR("x"), -1));
    EXPECT_TRUE(info->InsertMPProp(12, _zarvVAR("x"), 3));
    EXPECT_EQ(Ids(), (std::vector<unsigned short>{10, 12}));
}

TEST_F(MPInfoTest, AbsentPropertiesReadAsEmpty) {
    info->InsertMPProp(5, _zarvVAR("five"), 0);
    EXPECT_TRUE(info->MPProp(6).IsEmpty());
    EXPECT_TRUE((*info)[6].IsEmpty());
    EXPECT_TRUE((*info)[-1].IsEmpty());
    EXPECT_TRUE((*info)[5 + 65536].IsEmpty());  // not folded onto property 5
    EXPECT_EQ((*info)[5].ToString(), "five");
    EXPECT_EQ(info->MPType(6), -1);
    EXPECT_FALSE(info->IsExist(6));
}

TEST_F(MPInfoTest, SetReplacesOrAddsKeepingTheKindAndRemoveDeletes) {
    const _zarvVAR half = kernel_test::Var(2.5);
    info->InsertMPProp(3, _zarvVAR("old"), 0);
    EXPECT_TRUE(info->SetMPProp(3, half, 1));
    EXPECT_TRUE(info->SetMPProp(2, _zarvVAR("two"), 0));
    EXPECT_EQ(info->MPProp(3), half);
    EXPECT_EQ(info->MPType(3), 1);
    EXPECT_TRUE(info->RemoveMPProp(3));
    EXPECT_FALSE(info->RemoveMPProp(3));
    EXPECT_EQ(Ids(), std::vector<unsigned short>{2});
}

TEST_F(MPInfoTest, CreatedValueBelongsToTheCallerAndCarriesGMPIDAndName) {
    CZARVPtr<CZARVMPValue> unnamed = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    EXPECT_STREQ(unnamed->GetRefName(), "");
    info->InsertMPProp(1, _zarvVAR("PUMP_1"), 0);
    CZARVPtr<CZARVMPValue> value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->GetRefCount(), 1);
    EXPECT_EQ(value->GetGMPID(), 0x05031002UL);
    EXPECT_STREQ(value->GetRefName(), "PUMP_1");
    EXPECT_TRUE(value->GetValue().IsEmpty());
    EXPECT_TRUE(
        value->GetQuality().Has(CMPQuality::QUALITY_INVALID | CMPQuality::QUALITY_NOT_INIT));
    EXPECT_TRUE(value->GetTime().IsZero());
    EXPECT_EQ(info->GetRefCount(), 1);  // the value does not hold the record
}

}  // namespace
