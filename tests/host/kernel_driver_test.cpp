#include <gtest/gtest.h>

#include <vector>

#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

// Records which hooks ran.
class HookDriver : public CZARVDriver {
public:
    int runs = 0, exits = 0;
    std::vector<bool> pauses;
    void SetState(int state) { m_nRunState = state; }

protected:
    int OnRun() override {
        ++runs;
        return 7;
    }
    void OnExit() override { ++exits; }
    void OnPause(bool pause) override { pauses.push_back(pause); }
};

class DriverTest : public ::testing::Test {
protected:
    CZARVPtr<HookDriver> drv = CZARVPtr<HookDriver>::Adopt(new HookDriver);
};

TEST_F(DriverTest, CreateAcceptsARecordAndKeepsItsGMPIDButNotItsTexts) {
    CZARVMPInfo info(0x00050000);
    info.InsertMPProp(1, _zarvVAR("name"), 0);
    info.InsertMPProp(3, _zarvVAR("desc"), 0);
    EXPECT_EQ(drv->GetGMPID(), 0xFFFFFFFFUL);
    EXPECT_TRUE(drv->Create(info));
    EXPECT_EQ(drv->GetGMPID(), 0x00050000UL);
    EXPECT_STREQ(drv->GetName(), "");
    EXPECT_STREQ(drv->GetDesc(), "");
}

TEST_F(DriverTest, CreateRefusesTheNoPointGMPID) {
    CZARVMPInfo info(0xFFFFFFFF);
    EXPECT_FALSE(drv->Create(info));
    EXPECT_EQ(drv->GetGMPID(), 0xFFFFFFFFUL);
}

TEST_F(DriverTest, RunPauseExitMoveTheStateAndCallTheHooks) {
    EXPECT_EQ(drv->Run(), 7);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_RUNNING);
    drv->Pause(true);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_PAUSED);
    drv->Pause(true);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_PAUSED);
    drv->Pause(false);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_RUNNING);
    EXPECT_EQ(drv->pauses, (std::vector<bool>{true, true, false}));
    drv->Exit();
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_STOPPED);
    EXPECT_EQ(drv->exits, 1);
}

TEST_F(DriverTest, ExitWhenStoppedCallsNothing) {
    drv->Exit();
    EXPECT_EQ(drv->exits, 0);
}

TEST_F(DriverTest, PauseWhenStoppedKeepsTheStateButCallsTheHook) {
    drv->Pause(true);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_STOPPED);
    EXPECT_EQ(drv->pauses.size(), 1u);
}

TEST_F(DriverTest, BrokenLinkFailsARunningDriverAndExitKeepsTheFailure) {
    drv->Run();
    drv->OnNetPortEvent(3, CZARVDriver::NETEVT_BROKEN, nullptr);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_FAILED);
    EXPECT_EQ(drv->GetNetPortEvent(3), CZARVDriver::NETEVT_BROKEN);
    EXPECT_EQ(drv->GetNetPortEvent(4), CZARVDriver::NETEVT_NONE);
    drv->Exit();
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_FAILED);
    EXPECT_EQ(drv->exits, 1);
    drv->Run();
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_RUNNING);
}

TEST_F(DriverTest, BrokenLinkOfAStoppedDriverLeavesItStopped) {
    drv->OnNetPortEvent(0, CZARVDriver::NETEVT_BROKEN, nullptr);
    EXPECT_EQ(drv->GetRunState(), CZARVDriver::RUN_STOPPED);
}

TEST_F(DriverTest, BaseServesNoValuesAndLeavesOutputsAlone) {
    _zarvVAR v("keep");
    CMPQuality q(0x10);
    CZARVTime t(9);
    CZARVGRPData g;
    EXPECT_FALSE(drv->ReadValue(1, v, q, t));
    EXPECT_FALSE(drv->ReadSGValue(1, 0, v));
    EXPECT_FALSE(drv->ReadSGValue(1, g, q, t));
    EXPECT_EQ(drv->WriteValue(1, v, q, t), 0u);
    EXPECT_FALSE(drv->WriteSGValue(1, 0, v));
    EXPECT_EQ(drv->WriteSGValue(1, g, q, t), 0u);
    EXPECT_EQ(v.ToString(), "keep");
    EXPECT_EQ(q.GetValue(), 0x10u);
    EXPECT_EQ(t, CZARVTime(9));
    EXPECT_EQ(drv->WriteEvent(1, "x"), -1);
    EXPECT_EQ(drv->RemoteControl(1, 2, v, 3), -1);
}

TEST_F(DriverTest, MessagesFallToTheDefaultAndAnswerZero) {
    CZARVPtr<CZARVMsg> msg = CZARVPtr<CZARVMsg>::Adopt(new CZARVMsg(5, 1, 2));
    EXPECT_EQ(drv->OnMessage(msg.get()), 0);
    EXPECT_EQ(drv->OnMessage(nullptr), 0);
    EXPECT_EQ(msg->GetRefCount(), 1);
}

TEST_F(DriverTest, MonitorSeesPacketsPushedToTheDriver) {
    std::vector<std::string> seen;
    drv->SetPacketMonitor([&](const CPhyPacket& p, bool sent) {
        seen.push_back(std::string(sent ? "tx:" : "rx:") + p.GetPortName() + ":" +
                       std::string(p.GetData(), p.GetLength()));
    });
    char data[] = "abc";
    EXPECT_EQ(drv->OnReceive(data, 3, "COM1"), 3);
    EXPECT_EQ(drv->OnReceive(nullptr, 3, "COM1"), 0);
    CPhyPacket out("xy", 2, "COM1", "");
    drv->SendMonitorPacket(out, true);
    EXPECT_EQ(seen, (std::vector<std::string>{"rx:COM1:abc", "tx:COM1:xy"}));
    drv->SetPacketMonitor(nullptr);
    drv->SendMonitorPacket(out, true);
    EXPECT_EQ(seen.size(), 2u);
}

// The base driver neither asks for nor makes a port.
class PortProbe : public CZARVDriver {
public:
    bool AsksForPort(CZARVMPInfo& info) { return OnCreatePortInfo(info); }
    CZARVPortSrv* MakesPort(const CZARVMPInfo& info) { return CreatePort(info); }
};

TEST(DriverPortTest, BaseMakesNoPort) {
    CZARVPtr<PortProbe> drv = CZARVPtr<PortProbe>::Adopt(new PortProbe);
    CZARVMPInfo info(0x00010000);
    info.InsertMPProp(11, _zarvVAR("1"), 0);
    EXPECT_FALSE(drv->AsksForPort(info));
    EXPECT_EQ(drv->MakesPort(info), nullptr);
}

}  // namespace
