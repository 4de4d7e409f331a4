#include <gtest/gtest.h>

#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::RecordingDriver;

class DriverTest : public ::testing::Test {
protected:
    CZARVPtr<RecordingDriver> drv = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
};

TEST_F(DriverTest, CreateRefusesTheNoPointGMPIDAndKeepsTheGMPIDButNotTheTexts) {
    EXPECT_FALSE(drv->Create(CZARVMPInfo(0xFFFFFFFF)));
    CZARVMPInfo info(0x00050000);
    info.InsertMPProp(1, _zarvVAR("name"), 0);
    EXPECT_TRUE(drv->Create(info));
    EXPECT_EQ(drv->GetGMPID(), 0x00050000UL);
    EXPECT_STREQ(drv->GetName(), "");
}

TEST_F(DriverTest, RunPauseAndExitFollowTheStateRules) { kernel_test::ExpectRunStateRules(*drv); }

TEST_F(DriverTest, BrokenLinkFailsOnlyARunningOrPausedDriver) {
    const int from[] = {0, 1, 2, 4}, to[] = {0, 4, 4, 4};
    for (int i = 0; i < 4; ++i) {
        drv->SetRunState(from[i]);
        drv->OnNetPortEvent(3, CZARVDriver::NETEVT_BROKEN, nullptr);
        EXPECT_EQ(drv->GetRunState(), to[i]) << from[i];
    }
    EXPECT_EQ(drv->GetNetPortEvent(3), CZARVDriver::NETEVT_BROKEN);
    EXPECT_EQ(drv->GetNetPortEvent(4), CZARVDriver::NETEVT_NONE);
}

}  // namespace
