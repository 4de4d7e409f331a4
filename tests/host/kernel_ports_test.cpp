// The kernel's ports against real peers: one good exchange each, then the
// ways the link or the settings fail.
#include <gtest/gtest.h>
#include <termios.h>

#include <string>
#include <utility>
#include <vector>

#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_test_util.h"

namespace {

using namespace kernel_test;
using Settings = std::vector<std::pair<unsigned short, _zarvVAR>>;
constexpr unsigned char kPortNo = 3;

template <class Port>
class PortTest : public ::testing::Test {
protected:
    // OnCreate with `base` changed by `changes`; an empty value removes the setting.
    bool CreateWith(const Settings& base, const Settings& changes = {}) {
        CZARVMPInfo info(0x00030000);
        for (const auto& [id, value] : base) info.SetMPProp(id, value, 0);
        for (const auto& [id, value] : changes)
            value.IsEmpty() ? info.RemoveMPProp(id) : info.SetMPProp(id, value, 0);
        return port->OnCreate(info);
    }
    // Each of `faults` alone makes OnCreate fail.
    void ExpectEachCreateFails(const Settings& base, const Settings& faults) {
        for (const auto& fault : faults) EXPECT_FALSE(CreateWith(base, {fault})) << fault.first;
        EXPECT_FALSE(port->IsOpen());
        EXPECT_FALSE(Send("x"));
        char* buf = reinterpret_cast<char*>(1);
        EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);
        EXPECT_EQ(buf, nullptr);
    }
    bool Send(const std::string& data, const char* target = "") {
        CPhyPacket p(data.data(), static_cast<unsigned int>(data.size()), port->GetPortName(),
                     target);
        return port->Send(p);
    }

    CZARVPtr<RecordingDriver> driver = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
    CZARVPtr<Port> port = CZARVPtr<Port>::Adopt(new Port(kPortNo, driver.get()));
};

class TcpClientPortTest : public PortTest<CZARVTCPClientPort> {
protected:
    Settings Base() {
        return {{PORTPROP_NET, "1"},
                {PORTPROP_HOST, "127.0.0.1"},
                {PORTPROP_REMOTEPORT, Var(listener.port())},
                {PORTPROP_CONN_TIMEOUT, Var(1000)}};
    }
    TcpListener listener;
};

TEST_F(TcpClientPortTest, ExchangesBytesUntilThePeerClosesThenBreaks) {
    ASSERT_TRUE(CreateWith(Base()));
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_CONNECTED);
    ASSERT_TRUE(Send("hello"));
    EXPECT_EQ(ReadSome(peer, 5), "hello");

    driver->Run();
    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);
    EXPECT_EQ(Collect(*port, 3), "bye");  // the last bytes come before the break
    int last = 0;
    Collect(*port, 1, &last);
    EXPECT_EQ(last, -1);
    EXPECT_TRUE(port->IsBroken());
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_BROKEN);
    EXPECT_EQ(driver->GetRunState(), CZARVDriver::RUN_FAILED);
    EXPECT_FALSE(Send("x"));
}

TEST_F(TcpClientPortTest, RefusedConnectionOrBadSettingsFailAndLeaveThePortClosed) {
    LoopbackSocket unused(SOCK_STREAM);  // bound, never listening
    ExpectEachCreateFails(Base(), {{PORTPROP_REMOTEPORT, Var(unused.port())},
                                   {PORTPROP_HOST, "no-such-host.invalid"},
                                   {PORTPROP_HOST, {}},
                                   {PORTPROP_REMOTEPORT, Var(70000)},
                                   {PORTPROP_CONN_TIMEOUT, Var(0)},
                                   {PORTPROP_IO_TIMEOUT, Var(60001)}});
}

class UdpClientPortTest : public PortTest<CZARVUDPClientPort> {
protected:
    bool CreateToPeer() {
        return CreateWith({{PORTPROP_NET, "3"},
                           {PORTPROP_HOST, "127.0.0.1"},
                           {PORTPROP_REMOTEPORT, Var(peer.port())}});
    }
    UdpPeer peer;
};

TEST_F(UdpClientPortTest, SendsADatagramReceivesTheAnswerAndRefusesBadTargets) {
    ASSERT_TRUE(CreateToPeer());
    ASSERT_TRUE(Send("ping"));
    int from = 0;
    EXPECT_EQ(peer.Receive(&from), "ping");
    peer.SendTo(from, "pong");
    EXPECT_EQ(Collect(*port, 4), "pong");
    // A bad target or an oversized datagram fails alone.
    for (const char* bad : {"no-port-here", "127.0.0.1:0", "127.0.0.1:99999", ":5000"})
        EXPECT_FALSE(Send("x", bad)) << bad;
    EXPECT_FALSE(Send(std::string(70000, 'x')));
    EXPECT_TRUE(port->IsOpen());
}

class ComPortTest : public PortTest<CZARVComPort> {
protected:
    void SetUp() override { ASSERT_FALSE(pty.slave.empty()); }
    Settings Base() { return {{PORTPROP_COM, "1"}, {PORTPROP_DEVICE, pty.slave.c_str()}}; }
    PtyPeer pty;
};

TEST_F(ComPortTest, AppliesTheLineSettingsAndPassesBytesRaw) {
    ASSERT_TRUE(CreateWith(Base(), {{PORTPROP_BAUD, Var(115200)}, {PORTPROP_STOPBITS, Var(2)}}));
    const int fd = open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    close(fd);
    // A pseudo-terminal always reports 8 data bits without parity.
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    const std::string out("AT\r\n\x03\x7f", 6), in("OK\r\n\x11\x13", 6);
    ASSERT_TRUE(Send(out));
    EXPECT_EQ(ReadSome(pty.fd, out.size()), out);
    ASSERT_EQ(write(pty.fd, in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(Collect(*port, in.size()), in);
}

TEST_F(ComPortTest, BadDevicesAndSettingsOutOfRangeFail) {
    // A missing device, one that is no terminal, a missing path, settings out of range.
    ExpectEachCreateFails(Base(), {{PORTPROP_DEVICE, "/dev/no-such-serial-device"},
                                   {PORTPROP_DEVICE, "/dev/null"},
                                   {PORTPROP_DEVICE, {}},
                                   {PORTPROP_BAUD, Var(12345)},
                                   {PORTPROP_PARITY, Var(3)},
                                   {PORTPROP_DATABITS, Var(9)},
                                   {PORTPROP_STOPBITS, Var(3)}});
}

}  // namespace
