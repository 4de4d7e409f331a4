#include "driver/qen_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver_test_util.h"
#include "engine/db_engine.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvkernel/zarv_msg.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

using namespace driver_test;

// A GMPID whose bits 16 to 23 hold 5: the driver's port number.
constexpr unsigned long kDriverGMPID = 0x12050000;

class QENDriverTest : public ::testing::Test {
protected:
    QENDriverTest() {
        record->InsertMPProp(1, _zarvVAR("drv-name"), 0);
        record->InsertMPProp(3, _zarvVAR("drv-desc"), 0);
    }

    // A serial port on the pseudo-terminal's slave.
    void AskForSerialPort(PortDriver& d) {
        d.SetPortProp(PORTPROP_COM, Long(1));
        d.SetPortProp(PORTPROP_DEVICE, _zarvVAR(pty.slave().c_str()));
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVMPInfo> record = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(kDriverGMPID));
    CZARVPtr<PortDriver> driver = CZARVPtr<PortDriver>::Adopt(new PortDriver(engine.get()));
    PtyPeer pty;
};

TEST_F(QENDriverTest, NewDriverHoldsNoPortAndBorrowsItsEngine) {
    EXPECT_EQ(driver->GetPort(), nullptr);
    EXPECT_EQ(driver->GetPortNo(), -1);
    EXPECT_EQ(driver->GetEngine(), engine.get());
    EXPECT_EQ(driver->GetRunState(), CZARVDriver::RUN_STOPPED);
    EXPECT_EQ(engine->GetRefCount(), 1);
}

TEST_F(QENDriverTest, NullEngineRefusesCreateAndTouchesNothing) {
    CZARVPtr<PortDriver> orphan = CZARVPtr<PortDriver>::Adopt(new PortDriver(nullptr));
    AskForSerialPort(*orphan);
    EXPECT_FALSE(orphan->Create(*record));
    EXPECT_EQ(orphan->GetPort(), nullptr);
    EXPECT_TRUE(orphan->hooks.empty());
    EXPECT_EQ(orphan->GetGMPID(), 0xFFFFFFFFUL);
    EXPECT_STREQ(orphan->GetName(), "");
    EXPECT_EQ(orphan->GetPortNo(), -1);
}

TEST_F(QENDriverTest, PlainDriverCreatesNoPort) {
    CZARVPtr<CZARVQENDriver> plain =
        CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    ASSERT_TRUE(plain->Create(*record));
    EXPECT_EQ(plain->GetPort(), nullptr);
    EXPECT_FALSE(plain->SendPacket("abc", 3, ""));

    char sentinel = 'x';
    char* buf = &sentinel;
    EXPECT_EQ(plain->RcvFrom(buf), -1);
    EXPECT_EQ(buf, &sentinel);
}

TEST_F(QENDriverTest, CreateCopiesTheTextsAndTakesThePortNumberFromTheGMPID) {
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_STREQ(driver->GetDesc(), "drv-desc");
    EXPECT_EQ(driver->GetGMPID(), kDriverGMPID);
    EXPECT_EQ(driver->GetPortNo(), 5);
    // The hook gets an empty record made from the driver's GMPID.
    EXPECT_EQ(driver->portInfoGMPID, kDriverGMPID);
    EXPECT_EQ(driver->portInfoPropsOnEntry, 0);
    EXPECT_EQ(driver->GetPort(), nullptr);
}

TEST_F(QENDriverTest, AbsentTextPropertiesKeepTheEarlierTexts) {
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));

    CZARVPtr<CZARVMPInfo> second = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x12060000));
    second->InsertMPProp(3, Long(42), 0);
    ASSERT_TRUE(driver->Create(*second));
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_STREQ(driver->GetDesc(), "42");
    EXPECT_EQ(driver->GetPortNo(), 6);
}

TEST_F(QENDriverTest, RecordTheBaseRefusesChangesNothing) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    CZARVPortSrv* port = driver->GetPort();
    ASSERT_NE(port, nullptr);
    driver->hooks.clear();

    CZARVPtr<CZARVMPInfo> bad = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0xFFFFFFFFUL));
    bad->InsertMPProp(1, _zarvVAR("other"), 0);
    EXPECT_FALSE(driver->OnCreate(*bad));
    EXPECT_EQ(driver->GetPort(), port);
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_EQ(driver->GetPortNo(), 5);
    EXPECT_TRUE(driver->hooks.empty());
}

TEST_F(QENDriverTest, SerialPortGetsThePortNumberOfTheGMPID) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    auto* port = dynamic_cast<CZARVComPort*>(driver->GetPort());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->GetPortNo(), 5);
    EXPECT_EQ(port->GetDriver(), driver.get());
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetRefCount(), 1);
}

TEST_F(QENDriverTest, CreatePortChoosesByPropertiesElevenAndTwelve) {
    struct Case {
        const char* what;
        std::vector<std::pair<unsigned short, _zarvVAR>> props;
        int kind;  // 0 none, 1 serial, 2 TCP, 3 UDP
    };
    const std::vector<Case> cases = {
        {"serial", {{PORTPROP_COM, Long(1)}}, 1},
        {"serial wins over network", {{PORTPROP_COM, _zarvVAR("2")}, {PORTPROP_NET, Long(1)}}, 1},
        {"serial 0 then UDP", {{PORTPROP_COM, Long(0)}, {PORTPROP_NET, Long(3)}}, 3},
        {"TCP", {{PORTPROP_NET, Long(1)}}, 2},
        {"UDP as text", {{PORTPROP_NET, _zarvVAR("3")}}, 3},
        {"16-bit conversion", {{PORTPROP_NET, Long(0x10003)}}, 3},
        {"server kind", {{PORTPROP_NET, Long(2)}}, 0},
        {"network none", {{PORTPROP_NET, Long(0)}}, 0},
        {"unknown kind", {{PORTPROP_NET, Long(4)}}, 0},
        {"serial 0 alone", {{PORTPROP_COM, Long(0)}}, 0},
        {"nothing", {}, 0},
    };
    for (const Case& c : cases) {
        CZARVPtr<CZARVMPInfo> info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(kDriverGMPID));
        for (const auto& [id, value] : c.props) info->SetMPProp(id, value, 0);
        CZARVPtr<CZARVPortSrv> port = CZARVPtr<CZARVPortSrv>::Adopt(driver->CreatePort(*info));
        int kind = 0;
        if (dynamic_cast<CZARVComPort*>(port.get()))
            kind = 1;
        else if (dynamic_cast<CZARVTCPClientPort*>(port.get()))
            kind = 2;
        else if (dynamic_cast<CZARVUDPClientPort*>(port.get()))
            kind = 3;
        EXPECT_EQ(kind, c.kind) << c.what;
        if (port) {
            EXPECT_EQ(port->GetRefCount(), 1) << c.what;
            EXPECT_FALSE(port->IsOpen()) << c.what;
        }
    }
}

TEST_F(QENDriverTest, NetworkKindTwoSelectsNoPortAndFailsCreate) {
    driver->SetPortProp(PORTPROP_NET, Long(2));
    driver->SetPortProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"));
    driver->SetPortProp(PORTPROP_REMOTEPORT, Long(9));
    EXPECT_FALSE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
    // The texts were taken before the port was tried.
    EXPECT_STREQ(driver->GetName(), "drv-name");
}

TEST_F(QENDriverTest, PortThatCannotOpenIsDropped) {
    driver->SetPortProp(PORTPROP_COM, Long(1));  // no device path
    EXPECT_FALSE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
    EXPECT_FALSE(driver->SendPacket("x", 1, nullptr));
}

TEST_F(QENDriverTest, SecondCreateStopsAndReleasesTheOldPortFirst) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    CZARVPtr<CZARVPortSrv> old(driver->GetPort());  // keeps it alive to look at
    ASSERT_EQ(old->GetRefCount(), 2);

    ASSERT_TRUE(driver->Create(*record));
    EXPECT_NE(driver->GetPort(), old.get());
    EXPECT_FALSE(old->IsOpen());
    EXPECT_EQ(old->GetRefCount(), 1);
    // Opened, closed by the stop, then the new port opened.
    EXPECT_EQ(driver->linkEvents,
              (std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED, CZARVDriver::NETEVT_CLOSED,
                                          CZARVDriver::NETEVT_CONNECTED}));
    EXPECT_TRUE(driver->GetPort()->IsOpen());
}

TEST_F(QENDriverTest, SecondCreateThatAsksForNoPortLeavesNone) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
}

TEST_F(QENDriverTest, OnCreateCalledAgainReplacesThePortWithoutLeakingIt) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    CZARVPtr<CZARVPortSrv> old(driver->GetPort());
    ASSERT_TRUE(driver->OnCreate(*record));
    EXPECT_NE(driver->GetPort(), old.get());
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_FALSE(old->IsOpen());
}

TEST_F(QENDriverTest, DestructionReleasesThePortWithoutStoppingIt) {
    AskForSerialPort(*driver);
    ASSERT_TRUE(driver->Create(*record));
    driver->Run();
    CZARVPtr<CZARVPortSrv> port(driver->GetPort());

    driver.reset();
    EXPECT_EQ(port->GetRefCount(), 1);
    EXPECT_TRUE(port->IsOpen());
    // The engine is borrowed, never released.
    EXPECT_EQ(engine->GetRefCount(), 1);
}

TEST_F(QENDriverTest, StubsGiveTheirFixedAnswers) {
    EXPECT_EQ(driver->WriteEvent(1, "event"), -1);
    EXPECT_EQ(driver->RemoteControl(1, 0x05000001, Long(1), 1000), -1);
    CZARVPtr<CZARVMsg> msg = CZARVPtr<CZARVMsg>::Adopt(new CZARVMsg(3, 1, 2));
    EXPECT_EQ(driver->OnMessage(msg.get()), 0);
    EXPECT_EQ(driver->OnMessage(nullptr), 0);
    driver->DefaultProcess(msg.get());
    EXPECT_EQ(msg->GetRefCount(), 1);
}

// ---- run state ----

enum class Op { Run, PauseOn, PauseOff, Exit };

struct RunStep {
    int from;
    Op op;
    int to;
    const char* hook;  // null when no hook may run
};

class QENDriverRunStateTest : public QENDriverTest,
                              public ::testing::WithParamInterface<RunStep> {};

TEST_P(QENDriverRunStateTest, MovesTheStateThenCallsTheHook) {
    const RunStep& s = GetParam();
    driver->SetRunState(s.from);
    switch (s.op) {
        case Op::Run:
            EXPECT_EQ(driver->Run(), driver->runResult);
            break;
        case Op::PauseOn:
            driver->Pause(true);
            break;
        case Op::PauseOff:
            driver->Pause(false);
            break;
        case Op::Exit:
            driver->Exit();
            break;
    }
    EXPECT_EQ(driver->GetRunState(), s.to);
    if (s.hook)
        EXPECT_EQ(driver->hooks, std::vector<std::string>{s.hook});
    else
        EXPECT_TRUE(driver->hooks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, QENDriverRunStateTest,
    ::testing::Values(
        RunStep{0, Op::Run, 1, "OnRun"}, RunStep{1, Op::Run, 1, "OnRun"},
        RunStep{2, Op::Run, 1, "OnRun"}, RunStep{4, Op::Run, 1, "OnRun"},
        RunStep{0, Op::PauseOn, 0, "OnPause(1)"}, RunStep{1, Op::PauseOn, 2, "OnPause(1)"},
        RunStep{2, Op::PauseOn, 2, "OnPause(1)"}, RunStep{4, Op::PauseOn, 4, "OnPause(1)"},
        RunStep{0, Op::PauseOff, 0, "OnPause(0)"}, RunStep{1, Op::PauseOff, 1, "OnPause(0)"},
        RunStep{2, Op::PauseOff, 1, "OnPause(0)"}, RunStep{4, Op::PauseOff, 4, "OnPause(0)"},
        RunStep{0, Op::Exit, 0, nullptr}, RunStep{1, Op::Exit, 0, "OnExit"},
        RunStep{2, Op::Exit, 0, "OnExit"}, RunStep{4, Op::Exit, 4, "OnExit"}));

TEST_F(QENDriverTest, PlainDriverHooksAnswerZeroAndKeepTheRules) {
    CZARVPtr<CZARVQENDriver> plain =
        CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    EXPECT_EQ(plain->Run(), 0);
    plain->Pause(true);
    EXPECT_EQ(plain->GetRunState(), CZARVDriver::RUN_PAUSED);
    plain->Exit();
    EXPECT_EQ(plain->GetRunState(), CZARVDriver::RUN_STOPPED);
}

}  // namespace
