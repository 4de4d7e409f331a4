// Point records, reference names and hardware descriptions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvkernel/sys_config.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;
constexpr unsigned long kNone = 0xFFFFFFFFUL;

TEST(MPInfoTest, InsertSetAndRemoveKeepOneSortedPropertyPerNumber) {
    CZARVMPInfo info(0x05031002);
    ASSERT_TRUE(info.InsertMPProp(12, _zarvVAR("x"), 3));
    ASSERT_TRUE(info.InsertMPProp(10, _zarvVAR("first"), 2));
    EXPECT_FALSE(info.InsertMPProp(10, _zarvVAR("second"), 1));
    EXPECT_FALSE(info.InsertMPProp(11, _zarvVAR("x"), 4));
    EXPECT_TRUE(info.SetMPProp(12, Var(2.5), 1));
    EXPECT_TRUE(info.SetMPProp(2, _zarvVAR("two"), 0));
    EXPECT_EQ(info.MPProp(12), Var(2.5));
    EXPECT_EQ(info.MPType(12), 1);
    EXPECT_TRUE(info.RemoveMPProp(10));
    EXPECT_FALSE(info.RemoveMPProp(10));
    std::vector<unsigned short> ids{7, 7, 7, 7, 7};  // replaced, not appended to
    EXPECT_EQ(info.GetMPPropVector(ids), 2);
    EXPECT_EQ(ids, (std::vector<unsigned short>{2, 12}));
    // Absent properties read as empty.
    EXPECT_TRUE(info[-1].IsEmpty());
    EXPECT_TRUE(info[2 + 65536].IsEmpty());  // not folded onto property 2
    EXPECT_EQ(info.MPType(6), -1);
}

TEST(MPInfoTest, CreatedValueBelongsToTheCallerAndCarriesGMPIDAndName) {
    CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
    info->InsertMPProp(1, _zarvVAR("PUMP_1"), 0);
    CZARVPtr<CZARVMPValue> value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->GetRefCount(), 1);
    EXPECT_EQ(value->GetGMPID(), 0x05031002UL);
    EXPECT_STREQ(value->GetRefName(), "PUMP_1");
    EXPECT_TRUE(value->GetQuality().Has(CMPQuality::QUALITY_NOT_INIT));
    EXPECT_EQ(info->GetRefCount(), 1);  // the value does not hold the record
}

TEST(MPInfoTest, ALinkedValueKnowsOfProperty499UntilEitherSideGoes) {
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
    auto value = CZARVPtr<CZARVMPValue>::Adopt(info->CreateValueFromInfo());
    info->InsertMPProp(499, _zarvVAR("P"), 0);
    info->LinkValue(value.get());
    EXPECT_EQ(value->GetLinkedRecord(), info.get());
    EXPECT_TRUE(value->LinkedRecordHasReference());
    info->RemoveMPProp(499);
    EXPECT_FALSE(value->LinkedRecordHasReference());

    // A second record takes the value over; the first forgets it.
    auto other = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x05031002));
    other->InsertMPProp(499, _zarvVAR("Q"), 0);
    other->LinkValue(value.get());
    EXPECT_EQ(info->GetLinkedValue(), nullptr);
    EXPECT_TRUE(value->LinkedRecordHasReference());
    info->InsertMPProp(499, _zarvVAR("P"), 0);
    other->RemoveMPProp(499);
    EXPECT_FALSE(value->LinkedRecordHasReference());

    other.reset();  // the record dies first
    EXPECT_EQ(value->GetLinkedRecord(), nullptr);
    info->LinkValue(value.get());
    value.reset();  // the value dies first
    EXPECT_EQ(info->GetLinkedValue(), nullptr);
    EXPECT_TRUE(info->RemoveMPProp(499));
}

TEST(RefNamesTest, FirstOwnerKeepsTheExactNameUntilItsLastEntryIsDropped) {
    ClearRefNames();
    ASSERT_TRUE(RegisterRefName("Tank", 7));
    EXPECT_EQ(GetGMPIDByRefName("tank"), kNone);
    EXPECT_EQ(GetGMPIDByRefName(nullptr), kNone);
    ASSERT_TRUE(RegisterRefName("Tank", 7));
    EXPECT_FALSE(RegisterRefName("Tank", 2));
    EXPECT_FALSE(UnregisterRefName("Tank", 2));
    EXPECT_TRUE(UnregisterRefName("Tank", 7));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), 7UL);
    EXPECT_TRUE(UnregisterRefName("Tank", 7));
    EXPECT_EQ(GetGMPIDByRefName("Tank"), kNone);
    RegisterRefName("Tank", 7);
    RegisterRefName("Tank", 7);
    EXPECT_TRUE(UnregisterRefName("Tank"));  // without a GMPID: removed outright
    EXPECT_FALSE(RegisterRefName("", 1));
    EXPECT_FALSE(RegisterRefName("x", kNone));
    EXPECT_FALSE(RegisterRefName("x", 0x100000000UL));
    EXPECT_EQ(GetRefNameCount(), 0);
}

TEST(SysConfigTest, SharesItsDescriptionsAndKeepsTheFirstOfAnIdentifier) {
    CZARVSysConfig config;
    ASSERT_TRUE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(42, "rtu", "R2", "S1")));
    EXPECT_FALSE(config.AddHwInfo(std::make_shared<CZARVHwInfo>(42, "second")));
    std::shared_ptr<CZARVHwInfo> hw = config.GetHwInfo(42);
    ASSERT_NE(hw, nullptr);
    EXPECT_EQ(hw->GetName(), std::string("rtu"));
    EXPECT_EQ(hw.use_count(), 2);  // the configuration keeps its own
    EXPECT_TRUE(config.RemoveHwInfo(42));
    EXPECT_FALSE(config.RemoveHwInfo(42));
    EXPECT_EQ(hw.use_count(), 1);
}

}  // namespace
