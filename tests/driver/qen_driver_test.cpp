#include "driver/qen_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver_test_util.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"

namespace {

using namespace driver_test;

// A GMPID whose bits 16 to 23 hold 5: the driver's port number.
constexpr unsigned long kDriverGMPID = 0x12050000;

class QENDriverTest : public DriverFixture {
protected:
    QENDriverTest() : DriverFixture(kDriverGMPID) {
        record->InsertMPProp(1, _zarvVAR("drv-name"), 0);
        record->InsertMPProp(3, _zarvVAR("drv-desc"), 0);
        driver->portProps = {{PORTPROP_COM, Var(1)}, {PORTPROP_DEVICE, pty.slave().c_str()}};
    }
    // Creates the driver with a serial port on the pseudo-terminal; holds the port.
    CZARVPtr<CZARVPortSrv> CreateHeldPort() {
        EXPECT_TRUE(driver->Create(*record));
        return CZARVPtr<CZARVPortSrv>(driver->GetPort());
    }

    PtyPeer pty;
};

TEST_F(QENDriverTest, CreateCopiesTheTextsOpensThePortAndNumbersItFromTheGMPID) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_STREQ(driver->GetDesc(), "drv-desc");
    EXPECT_EQ(driver->portInfoPropsOnEntry, 0);  // the hook gets an empty record
    ASSERT_NE(dynamic_cast<CZARVComPort*>(port.get()), nullptr);
    EXPECT_EQ(port->GetPortNo(), 5);
    EXPECT_EQ(port->GetDriver(), driver.get());
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetRefCount(), 2);  // the driver's and this test's
}

TEST_F(QENDriverTest, NullEngineNoPortKindOrAPortThatCannotOpenFailCreate) {
    CZARVPtr<PortDriver> orphan = CZARVPtr<PortDriver>::Adopt(new PortDriver(nullptr));
    EXPECT_FALSE(orphan->Create(*record));
    EXPECT_EQ(orphan->GetPort(), nullptr);
    EXPECT_STREQ(orphan->GetName(), "");  // touches nothing
    EXPECT_EQ(orphan->GetPortNo(), -1);
    for (const Props& props : {Props{{PORTPROP_NET, Var(2)}, {PORTPROP_HOST, "127.0.0.1"}},
                               Props{{PORTPROP_COM, Var(1)}}}) {  // no server kind; no device
        driver->portProps = props;
        EXPECT_FALSE(driver->Create(*record));
        EXPECT_EQ(driver->GetPort(), nullptr);
        EXPECT_STREQ(driver->GetName(), "drv-name");  // the texts come first
        EXPECT_FALSE(Send("x"));
    }
}

TEST_F(QENDriverTest, CreatePortChoosesTheKindFromSerialThenNetworkProperties) {
    enum Kind { kNone, kSerial, kTcp, kUdp };
    const struct { Props props; Kind kind; } cases[] = {
        {{{PORTPROP_COM, "2"}, {PORTPROP_NET, Var(1)}}, kSerial},  // serial wins
        {{{PORTPROP_COM, Var(0)}, {PORTPROP_NET, Var(3)}}, kUdp},  // serial 0 is none
        {{{PORTPROP_NET, Var(1)}}, kTcp},
        {{{PORTPROP_NET, Var(0x10003)}}, kUdp},  // taken as 16 bits
        {{{PORTPROP_NET, Var(2)}}, kNone},       // no server kind
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
        EXPECT_TRUE(!port || (port->GetRefCount() == 1 && !port->IsOpen())) << "case " << i;
    }
}

TEST_F(QENDriverTest, SecondCreateStopsAndReleasesTheOldPortFirst) {
    CZARVPtr<CZARVPortSrv> old = CreateHeldPort();
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_NE(driver->GetPort(), old.get());
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_FALSE(old->IsOpen());
    EXPECT_EQ(driver->events,
              (std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED, CZARVDriver::NETEVT_CLOSED,
                                          CZARVDriver::NETEVT_CONNECTED}));
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
}

TEST_F(QENDriverTest, DestructionReleasesThePortWithoutStoppingItAndLeavesTheEngine) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    driver->Run();
    driver.reset();
    EXPECT_EQ(port->GetRefCount(), 1);
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(engine->GetRefCount(), 1);
}

TEST_F(QENDriverTest, RunPauseAndExitFollowTheStateRules) { ExpectRunStateRules(*driver); }

}  // namespace
