#include <gtest/gtest.h>

#include <vector>

#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

class MPInfoTest : public ::testing::Test {
protected:
    CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
};

TEST_F(MPInfoTest, NewRecordHoldsOneReferenceAndKeepsItsGMPID) {
    EXPECT_EQ(info->GetRefCount(), 1);
    EXPECT_EQ(info->GetGMPID(), 0x05031002UL);
    EXPECT_EQ(info->GetMPPropCount(), 0);
}

TEST_F(MPInfoTest, PropertiesAreListedInAscendingNumberOrder) {
    ASSERT_TRUE(info->InsertMPProp(402, _zarvVAR("b"), 0));
    ASSERT_TRUE(info->InsertMPProp(1, _zarvVAR("name"), 1));
    ASSERT_TRUE(info->InsertMPProp(499, _zarvVAR("ref"), 3));
    ASSERT_TRUE(info->InsertMPProp(401, _zarvVAR("a"), 2));

    std::vector<unsigned short> ids{7, 7, 7, 7, 7, 7};  // replaced, not appended to
    EXPECT_EQ(info->GetMPPropVector(ids), 4);
    EXPECT_EQ(ids, (std::vector<unsigned short>{1, 401, 402, 499}));
}

TEST_F(MPInfoTest, InsertRefusesANumberAlreadyPresentAndKeepsTheStoredValue) {
    ASSERT_TRUE(info->InsertMPProp(10, _zarvVAR("first"), 2));
    EXPECT_FALSE(info->InsertMPProp(10, _zarvVAR("second"), 1));
    EXPECT_EQ(info->MPProp(10).ToString(), "first");
    EXPECT_EQ(info->MPType(10), 2);
    EXPECT_EQ(info->GetMPPropCount(), 1);
}

TEST_F(MPInfoTest, InsertRefusesAValidTypeOutsideZeroToThree) {
    EXPECT_FALSE(info->InsertMPProp(10, _zarvVAR("x"), 4));
    EXPECT_FALSE(info->InsertMPProp(10, _zarvVAR("x"), -1));
    EXPECT_FALSE(info->IsExist(10));
    EXPECT_TRUE(info->InsertMPProp(10, _zarvVAR("x"), 3));
    EXPECT_EQ(info->MPType(10), 3);
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

TEST_F(MPInfoTest, PropertyValuesKeepTheirKind) {
    _zarvVAR d;
    d = 2.5;
    _zarvVAR s;
    s = static_cast<short>(-7);
    info->InsertMPProp(20, d, 0);
    info->InsertMPProp(21, s, 0);
    EXPECT_EQ(info->MPProp(20).GetType(), _zarvVAR::VT_R8);
    EXPECT_EQ(info->MPProp(20), d);
    EXPECT_EQ(info->MPProp(21).GetType(), _zarvVAR::VT_I2);
    EXPECT_EQ(static_cast<long>(info->MPProp(21)), -7);
}

TEST_F(MPInfoTest, SetReplacesAndRemoveDeletes) {
    info->InsertMPProp(3, _zarvVAR("old"), 0);
    EXPECT_TRUE(info->SetMPProp(3, _zarvVAR("new"), 1));
    EXPECT_TRUE(info->SetMPProp(2, _zarvVAR("two"), 0));
    EXPECT_EQ(info->MPProp(3).ToString(), "new");
    EXPECT_EQ(info->MPType(3), 1);
    EXPECT_TRUE(info->RemoveMPProp(3));
    EXPECT_FALSE(info->RemoveMPProp(3));
    std::vector<unsigned short> ids;
    EXPECT_EQ(info->GetMPPropVector(ids), 1);
    EXPECT_EQ(ids[0], 2);
}

TEST_F(MPInfoTest, ManyPropertiesInAnyOrderEndUpSorted) {
    for (int i = 0; i < 500; ++i) {
        const unsigned short id = static_cast<unsigned short>((i * 7919) % 1000);
        info->InsertMPProp(id, _zarvVAR("v"), 0);
    }
    std::vector<unsigned short> ids;
    const int n = info->GetMPPropVector(ids);
    EXPECT_EQ(n, info->GetMPPropCount());
    for (size_t i = 1; i < ids.size(); ++i) ASSERT_LT(ids[i - 1], ids[i]);
}

TEST_F(MPInfoTest, CreatedValueBelongsToTheCallerAndCarriesGMPIDAndName) {
    info->InsertMPProp(1, _zarvVAR("PUMP_1"), 0);
    CZARVPtr<CZARVMPValue> value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->GetRefCount(), 1);
    EXPECT_EQ(value->GetGMPID(), 0x05031002UL);
    EXPECT_STREQ(value->GetRefName(), "PUMP_1");
    EXPECT_TRUE(value->GetValue().IsEmpty());
    EXPECT_TRUE(value->GetQuality().Has(CMPQuality::QUALITY_INVALID | CMPQuality::QUALITY_NOT_INIT));
    EXPECT_TRUE(value->GetTime().IsZero());
    EXPECT_EQ(info->GetRefCount(), 1);  // the value does not hold the record
}

TEST_F(MPInfoTest, ValueOfARecordWithoutNameHasNone) {
    CZARVPtr<CZARVMPValue> value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    EXPECT_STREQ(value->GetRefName(), "");
}

}  // namespace
