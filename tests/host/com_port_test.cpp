#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <string>

#include "host/zarvkernel/com_port.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_port_peers.h"

namespace {

using namespace kernel_test;

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slave().empty());
        info.InsertMPProp(PORTPROP_COM, _zarvVAR("1"), 0);
        info.InsertMPProp(PORTPROP_DEVICE, _zarvVAR(pty.slave().c_str()), 0);
    }
    void SetInt(unsigned short id, long value) {
        _zarvVAR v;
        v = value;
        info.SetMPProp(id, v, 0);
    }

    PtyPeer pty;
    CZARVMPInfo info{0x00050000};
    CZARVPtr<RecordingDriver> driver = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
    CZARVPtr<CZARVComPort> port =
        CZARVPtr<CZARVComPort>::Adopt(new CZARVComPort(5, driver.get()));
};

TEST_F(ComPortTest, TalksToTheOtherEndOfTheLine) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_EQ(port->GetPortName(), pty.slave());
    EXPECT_EQ(driver->GetNetPortEvent(5), CZARVDriver::NETEVT_CONNECTED);

    // Raw mode: bytes pass unchanged, line ends and control bytes included.
    const std::string out("AT\r\n\x03\x7f", 6);
    CPhyPacket p(out.data(), static_cast<unsigned int>(out.size()), port->GetPortName(), "");
    ASSERT_TRUE(port->Send(p));
    EXPECT_EQ(ReadSome(pty.fd(), out.size()), out);

    const std::string in("OK\r\n\x11\x13", 6);
    ASSERT_EQ(write(pty.fd(), in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(Collect(*port, in.size()), in);
}

TEST_F(ComPortTest, AppliesTheLineSettings) {
    SetInt(PORTPROP_BAUD, 115200);
    SetInt(PORTPROP_PARITY, 2);
    SetInt(PORTPROP_DATABITS, 7);
    SetInt(PORTPROP_STOPBITS, 2);
    ASSERT_TRUE(port->OnCreate(info));

    const int fd = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    close(fd);
    // A pseudo-terminal always reports 8 data bits without parity, so only
    // the rate, the stop bits and raw mode are visible on it.
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_EQ(port->GetDataBits(), 7);
    EXPECT_EQ(port->GetParity(), 2);
}

TEST_F(ComPortTest, DefaultsAreNineThousandSixHundredEightNoneOne) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_EQ(port->GetBaudRate(), 9600);
    EXPECT_EQ(port->GetParity(), 0);
    EXPECT_EQ(port->GetDataBits(), 8);
    EXPECT_EQ(port->GetStopBits(), 1);
}

TEST_F(ComPortTest, BadDevicePathFails) {
    info.SetMPProp(PORTPROP_DEVICE, _zarvVAR("/dev/no-such-serial-device"), 0);
    EXPECT_FALSE(port->OnCreate(info));
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);
    CPhyPacket p("x", 1);
    EXPECT_FALSE(port->Send(p));
}

TEST_F(ComPortTest, DeviceThatIsNoTerminalFails) {
    info.SetMPProp(PORTPROP_DEVICE, _zarvVAR("/dev/null"), 0);
    EXPECT_FALSE(port->OnCreate(info));
}

TEST_F(ComPortTest, SettingsOutOfRangeFail) {
    const struct {
        unsigned short id;
        long value;
    } bad[] = {{PORTPROP_BAUD, 12345}, {PORTPROP_BAUD, 0},     {PORTPROP_PARITY, 3},
               {PORTPROP_DATABITS, 4}, {PORTPROP_DATABITS, 9}, {PORTPROP_STOPBITS, 3}};
    for (const auto& b : bad) {
        CZARVMPInfo copy(0);
        std::vector<unsigned short> ids;
        info.GetMPPropVector(ids);
        for (unsigned short id : ids) copy.InsertMPProp(id, info.MPProp(id), 0);
        _zarvVAR v;
        v = b.value;
        copy.SetMPProp(b.id, v, 0);
        EXPECT_FALSE(port->OnCreate(copy)) << b.id << "=" << b.value;
    }
    CZARVMPInfo noDevice(0);
    noDevice.InsertMPProp(PORTPROP_COM, _zarvVAR("1"), 0);
    EXPECT_FALSE(port->OnCreate(noDevice));
}

TEST_F(ComPortTest, OtherEndClosingBreaksThePort) {
    ASSERT_TRUE(port->OnCreate(info));
    pty.Close();
    EXPECT_TRUE(WaitForBreak(*port));
    EXPECT_EQ(driver->GetNetPortEvent(5), CZARVDriver::NETEVT_BROKEN);
    CPhyPacket p("x", 1);
    EXPECT_FALSE(port->Send(p));
}

TEST_F(ComPortTest, RecreatingReopensTheDevice) {
    ASSERT_TRUE(port->OnCreate(info));
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(driver->events,
              (std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED,
                                          CZARVDriver::NETEVT_CLOSED,
                                          CZARVDriver::NETEVT_CONNECTED}));
}

}  // namespace
