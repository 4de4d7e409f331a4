#include "driver/qen_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "driver/qen_msg_reciever.h"
#include "driver_test_util.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvkernel/zarv_msg.h"

namespace {

using namespace driver_test;

// A GMPID whose bits 16 to 23 hold 5: the driver's port number.
constexpr unsigned long kDriverGMPID = 0x12050000;

class QENDriverTest : public DriverFixture {
protected:
    QENDriverTest() : DriverFixture(kDriverGMPID) {
        record->InsertMPProp(1, _zarvVAR("drv-name"), 0);
        record->InsertMPProp(3, _zarvVAR("drv-desc"), 0);
    }
    // A serial port on the pseudo-terminal's slave.
    void AskForSerialPort(PortDriver& d) {
        d.portProps = {{PORTPROP_COM, Var(1)}, {PORTPROP_DEVICE, pty.slave().c_str()}};
    }
    CZARVPtr<CZARVPortSrv> CreateHeldPort() {
        AskForSerialPort(*driver);
        EXPECT_TRUE(driver->Create(*record));
        return CZARVPtr<CZARVPortSrv>(driver->GetPort());
    }
    using Held = std::pair<long, bool>;
    static Held RefsAndOpen(CZARVPortSrv* port) { return {port->GetRefCount(), port->IsOpen()}; }

    PtyPeer pty;
};

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

TEST_F(QENDriverTest, PlainDriverCreatesNoPortAndRunsNothing) {
    auto plain = CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    ASSERT_TRUE(plain->Create(*record));
    EXPECT_EQ(plain->GetPort(), nullptr);
    EXPECT_FALSE(plain->SendPacket("abc", 3, ""));
    char sentinel = 'x';
    char* buf = &sentinel;
    EXPECT_EQ(plain->RcvFrom(buf), -1);
    EXPECT_EQ(buf, &sentinel);
    EXPECT_EQ(plain->Run(), 0);
}

TEST_F(QENDriverTest, CreateCopiesPresentTextsAndTakesThePortNumberFromTheGMPID) {
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_STREQ(driver->GetDesc(), "drv-desc");
    EXPECT_EQ(driver->GetGMPID(), kDriverGMPID);
    EXPECT_EQ(driver->GetPortNo(), 5);
    // The hook gets an empty record made from the driver's GMPID.
    EXPECT_EQ(driver->portInfoGMPID, kDriverGMPID);
    EXPECT_EQ(driver->portInfoPropsOnEntry, 0);
    EXPECT_EQ(driver->GetPort(), nullptr);

    CZARVPtr<CZARVMPInfo> second = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x12060000));
    second->InsertMPProp(3, Var(42L), 0);
    ASSERT_TRUE(driver->Create(*second));
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_STREQ(driver->GetDesc(), "42");
    EXPECT_EQ(driver->GetPortNo(), 6);
}

TEST_F(QENDriverTest, RecordTheBaseRefusesChangesNothing) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    driver->hooks.clear();
    CZARVPtr<CZARVMPInfo> bad = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0xFFFFFFFFUL));
    bad->InsertMPProp(1, _zarvVAR("other"), 0);
    EXPECT_FALSE(driver->OnCreate(*bad));
    EXPECT_EQ(driver->GetPort(), port.get());
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_EQ(driver->GetPortNo(), 5);
    EXPECT_TRUE(driver->hooks.empty());
}

TEST_F(QENDriverTest, SerialPortIsOpenBelongsToTheDriverAndHasItsPortNumber) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    ASSERT_NE(dynamic_cast<CZARVComPort*>(port.get()), nullptr);
    EXPECT_EQ(port->GetPortNo(), 5);
    EXPECT_EQ(port->GetDriver(), driver.get());
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetRefCount(), 2);  // the driver's and this test's
}

TEST_F(QENDriverTest, CreatePortChoosesByPropertiesElevenAndTwelve) {
    enum Kind { kNone, kSerial, kTcp, kUdp };
    const struct {
        Props props;
        Kind kind;
    } cases[] = {
        {{{PORTPROP_COM, Var(1)}}, kSerial},
        {{{PORTPROP_COM, "2"}, {PORTPROP_NET, Var(1)}}, kSerial},  // serial wins
        {{{PORTPROP_COM, Var(0)}, {PORTPROP_NET, Var(3)}}, kUdp},  // serial 0 is none
        {{{PORTPROP_NET, Var(1)}}, kTcp},
        {{{PORTPROP_NET, Var(0x10003)}}, kUdp},  // taken as 16 bits
        {{{PORTPROP_NET, Var(2)}}, kNone},       // no server kind
        {{{PORTPROP_NET, Var(4)}}, kNone},
        {{}, kNone},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CZARVMPInfo info(kDriverGMPID);
        for (const auto& [id, value] : cases[i].props) info.SetMPProp(id, value, 0);
        CZARVPtr<CZARVPortSrv> port = CZARVPtr<CZARVPortSrv>::Adopt(driver->CreatePort(info));
        const Kind kind = dynamic_cast<CZARVComPort*>(port.get())         ? kSerial
                          : dynamic_cast<CZARVTCPClientPort*>(port.get()) ? kTcp
                          : dynamic_cast<CZARVUDPClientPort*>(port.get()) ? kUdp
                                                                          : kNone;
        EXPECT_EQ(kind, cases[i].kind) << "case " << i;
        EXPECT_TRUE(!port || RefsAndOpen(port.get()) == Held(1, false)) << "case " << i;
    }
}

TEST_F(QENDriverTest, NoPortKindOrAPortThatCannotOpenFailsCreateAfterTheTexts) {
    const Props cases[] = {
        {{PORTPROP_NET, Var(2)}, {PORTPROP_HOST, "127.0.0.1"}, {PORTPROP_REMOTEPORT, Var(9)}},
        {{PORTPROP_COM, Var(1)}}};  // no device path
    for (const Props& props : cases) {
        driver->portProps = props;
        EXPECT_FALSE(driver->Create(*record));
        EXPECT_EQ(driver->GetPort(), nullptr);
        EXPECT_STREQ(driver->GetName(), "drv-name");
        EXPECT_FALSE(driver->SendPacket("x", 1, nullptr));
    }
}

TEST_F(QENDriverTest, SecondCreateStopsAndReleasesTheOldPortFirst) {
    CZARVPtr<CZARVPortSrv> old = CreateHeldPort();
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_NE(driver->GetPort(), old.get());
    EXPECT_EQ(RefsAndOpen(old.get()), Held(1, false));
    EXPECT_TRUE(driver->GetPort()->IsOpen());
    EXPECT_EQ(driver->events,
              (std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED, CZARVDriver::NETEVT_CLOSED,
                                          CZARVDriver::NETEVT_CONNECTED}));
    CZARVPtr<CZARVPortSrv> second(driver->GetPort());
    ASSERT_TRUE(driver->OnCreate(*record));  // the hook alone replaces it too
    EXPECT_EQ(RefsAndOpen(second.get()), Held(1, false));
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
}

TEST_F(QENDriverTest, DestructionReleasesThePortWithoutStoppingItAndLeavesTheEngine) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    driver->Run();
    driver.reset();
    EXPECT_EQ(RefsAndOpen(port.get()), Held(1, true));
    EXPECT_EQ(engine->GetRefCount(), 1);
}

TEST_F(QENDriverTest, StubsGiveTheirFixedAnswers) {
    EXPECT_EQ(driver->WriteEvent(1, "event"), -1);
    EXPECT_EQ(driver->RemoteControl(1, 0x05000001, Var(1L), 1000), -1);
    CZARVPtr<CZARVMsg> msg = CZARVPtr<CZARVMsg>::Adopt(new CZARVMsg(3, 1, 2));
    EXPECT_EQ(driver->OnMessage(msg.get()), 0);
    EXPECT_EQ(driver->OnMessage(nullptr), 0);
    driver->DefaultProcess(msg.get());
    EXPECT_EQ(msg->GetRefCount(), 1);
}

TEST_F(QENDriverTest, RunPauseAndExitFollowTheStateRules) { ExpectRunStateRules(*driver); }

// The host implements the receiver; the library only names the interface.
static_assert(std::is_abstract_v<CZARVQENMsgReciever> &&
              std::has_virtual_destructor_v<CZARVQENMsgReciever> &&
              std::is_base_of_v<CZARVBaseObj, CZARVQENMsgReciever> &&
              !std::is_base_of_v<CZARVObj, CZARVQENMsgReciever>);

}  // namespace
