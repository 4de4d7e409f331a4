// The kernel's ports against real peers: one good exchange each, then every
// way the link or the settings fail.
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
    void Set(const Settings& settings) {
        for (const auto& [id, value] : settings) info.SetMPProp(id, value, 0);
    }
    // OnCreate with the fixture's settings changed by `changes`; an empty
    // value removes the setting.
    bool CreateWith(const Settings& changes) {
        CZARVMPInfo copy(info.GetGMPID());
        for (int i = 0; i < info.GetMPPropCount(); ++i)
            copy.InsertMPProp(info.GetMPPropIdAt(i), info.GetMPPropAt(i), 0);
        for (const auto& [id, value] : changes)
            value.IsEmpty() ? copy.RemoveMPProp(id) : copy.SetMPProp(id, value, 0);
        return port->OnCreate(copy);
    }
    void ExpectEachCreateFails(const std::vector<Settings>& cases) {
        for (size_t i = 0; i < cases.size(); ++i)
            EXPECT_FALSE(CreateWith(cases[i])) << "case " << i;
    }
    bool Send(const std::string& data, const char* target = "") {
        CPhyPacket p(data.data(), static_cast<unsigned int>(data.size()), port->GetPortName(),
                     target);
        return port->Send(p);
    }
    int Poll(char*& buf, const char* name = nullptr) { return port->PacketList2Buffer(buf, name); }
    // The answers of a port that is not open.
    void ExpectClosed() {
        EXPECT_FALSE(port->IsOpen());
        EXPECT_FALSE(Send("x"));
        char* buf = reinterpret_cast<char*>(1);
        EXPECT_EQ(Poll(buf), -1);
        EXPECT_EQ(buf, nullptr);
    }

    CZARVMPInfo info{0x00030000};
    CZARVPtr<RecordingDriver> driver = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
    CZARVPtr<Port> port = CZARVPtr<Port>::Adopt(new Port(kPortNo, driver.get()));
};

// ---- TCP client ----

class TcpClientPortTest : public PortTest<CZARVTCPClientPort> {
protected:
    void SetUp() override {
        Set({{PORTPROP_NET, "1"},
             {PORTPROP_HOST, "127.0.0.1"},
             {PORTPROP_REMOTEPORT, Var(listener.port())},
             {PORTPROP_CONN_TIMEOUT, Var(1000)}});
    }
    // Creates the port and accepts its connection; returns the peer socket.
    int Connect() { return port->OnCreate(info) ? listener.Accept() : -1; }

    TcpListener listener;
};

TEST_F(TcpClientPortTest, ConnectsSendsAndReceives) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(port->GetPortName(), listener.address());
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_CONNECTED);
    char* buf = nullptr;
    EXPECT_EQ(Poll(buf), 0);  // nothing yet: zero and a usable buffer
    EXPECT_NE(buf, nullptr);

    ASSERT_TRUE(Send("hello"));
    EXPECT_EQ(ReadSome(peer, 5), "hello");
    ASSERT_EQ(write(peer, "world", 5), 5);
    EXPECT_EQ(Collect(*port, 5), "world");
    EXPECT_EQ(driver->sent, 1);
    EXPECT_GE(driver->received, 1);
}

TEST_F(TcpClientPortTest, RefusedConnectionFailsAtOnceAndLeavesThePortClosed) {
    LoopbackSocket unused(SOCK_STREAM);  // bound, never listening
    const auto start = Clock::now();
    EXPECT_FALSE(CreateWith({{PORTPROP_REMOTEPORT, Var(unused.port())}}));
    EXPECT_LT(ElapsedMs(start), 2000);
    ExpectClosed();
}

TEST_F(TcpClientPortTest, MissingUnknownOrOutOfRangeSettingsFail) {
    ExpectEachCreateFails({{{PORTPROP_HOST, "no-such-host.invalid"}},
                           {{PORTPROP_HOST, {}}},
                           {{PORTPROP_REMOTEPORT, {}}},
                           {{PORTPROP_REMOTEPORT, Var(70000)}},
                           {{PORTPROP_CONN_TIMEOUT, Var(0)}},
                           {{PORTPROP_IO_TIMEOUT, Var(60001)}}});
    EXPECT_FALSE(port->StartService());  // never configured
}

TEST_F(TcpClientPortTest, UnreachableAddressGivesUpWithinTheConnectTimeout) {
    const auto start = Clock::now();
    EXPECT_FALSE(CreateWith({{PORTPROP_HOST, "10.255.255.1"}, {PORTPROP_CONN_TIMEOUT, Var(200)}}));
    EXPECT_LT(ElapsedMs(start), 2000);
}

TEST_F(TcpClientPortTest, PeerThatClosesBreaksThePortAfterItsLastBytes) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    driver->Run();
    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);

    EXPECT_EQ(Collect(*port, 3), "bye");
    EXPECT_TRUE(WaitForBreak(*port));
    EXPECT_TRUE(port->IsBroken());
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_BROKEN);
    EXPECT_EQ(driver->GetRunState(), CZARVDriver::RUN_FAILED);
    ExpectClosed();
}

TEST_F(TcpClientPortTest, SendNoticesAPeerThatHasGone) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    shutdown(peer, SHUT_RDWR);
    ASSERT_TRUE(WaitReadable(peer));
    bool sent = true;
    for (int i = 0; i < 50 && sent; ++i) {
        sent = Send("data");
        if (sent) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(sent);
    EXPECT_TRUE(port->IsBroken());
}

TEST_F(TcpClientPortTest, SendToAPeerThatDoesNotReadEndsWithinTheTimeout) {
    Set({{PORTPROP_IO_TIMEOUT, Var(200)}});
    ASSERT_GE(Connect(), 0);
    const auto start = Clock::now();
    EXPECT_FALSE(Send(std::string(64 << 20, 'x')));
    EXPECT_LT(ElapsedMs(start), 3000);
}

TEST_F(TcpClientPortTest, StopServiceClosesAndStartServiceReconnects) {
    ASSERT_GE(Connect(), 0);
    port->StopService();
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_CLOSED);
    ExpectClosed();

    ASSERT_TRUE(port->StartService());
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    EXPECT_TRUE(Send("x"));
    EXPECT_EQ(ReadSome(peer, 1), "x");
}

TEST_F(TcpClientPortTest, DestructionClosesTheConnectionWithoutAnEvent) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    port.reset();
    ASSERT_TRUE(WaitReadable(peer));
    char c;
    EXPECT_EQ(read(peer, &c, 1), 0);
    EXPECT_EQ(driver->events, std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED});
}

// ---- UDP client ----

class UdpClientPortTest : public PortTest<CZARVUDPClientPort> {
protected:
    void SetUp() override {
        Set({{PORTPROP_NET, "3"},
             {PORTPROP_HOST, "127.0.0.1"},
             {PORTPROP_REMOTEPORT, Var(peer.port())}});
    }
    // Sends "a" and returns the port's own local port, as the peer saw it.
    int Introduce() {
        int from = 0;
        if (Send("a")) peer.Receive(&from);
        return from;
    }

    UdpPeer peer;
};

TEST_F(UdpClientPortTest, SendsADatagramAndReceivesTheAnswer) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_EQ(port->GetPortName(), peer.address());
    ASSERT_TRUE(Send("ping"));
    int from = 0;
    EXPECT_EQ(peer.Receive(&from), "ping");
    peer.SendTo(from, "pong");
    EXPECT_EQ(Collect(*port, 4), "pong");
    EXPECT_EQ(std::make_pair(driver->sent, driver->received), std::make_pair(1, 1));
}

TEST_F(UdpClientPortTest, TargetTextSendsElsewhereAndABadOneFailsAlone) {
    UdpPeer other;
    ASSERT_TRUE(port->OnCreate(info));
    ASSERT_TRUE(Send("there", other.address().c_str()));
    EXPECT_EQ(other.Receive(), "there");
    for (const char* bad : {"no-port-here", "127.0.0.1:0", "127.0.0.1:99999", ":5000", "[::1"})
        EXPECT_FALSE(Send("x", bad)) << bad;
    EXPECT_TRUE(port->IsOpen());
}

TEST_F(UdpClientPortTest, AnswersAreCollectedBySender) {
    UdpPeer other;
    ASSERT_TRUE(port->OnCreate(info));
    const int from = Introduce();
    other.SendTo(from, "from-other");
    peer.SendTo(from, "from-peer");
    char* buf = nullptr;
    const auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
    while (port->GetQueuedBytes() < 19 && Clock::now() < end) {
        Poll(buf, "nobody:1");  // matches nothing, just reads
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(port->GetQueuedBytes(), 19u);
    // Another sender's address asks for its datagrams only; the port's own
    // name (its peer's address) for everything left.
    ASSERT_EQ(Poll(buf, other.address().c_str()), 10);
    EXPECT_EQ(std::string(buf, 10), "from-other");
    ASSERT_EQ(Poll(buf, peer.address().c_str()), 9);
    EXPECT_EQ(std::string(buf, 9), "from-peer");
}

TEST_F(UdpClientPortTest, BoundLocalPortReceivesUnaskedDatagramsAndMustBeFree) {
    EXPECT_FALSE(CreateWith({{PORTPROP_LOCALPORT, Var(peer.port())}}));
    int local;
    {
        UdpPeer probe;
        local = probe.port();
    }
    ASSERT_TRUE(CreateWith({{PORTPROP_LOCALPORT, Var(local)}}));
    peer.SendTo(local, "hi");
    EXPECT_EQ(Collect(*port, 2), "hi");
}

TEST_F(UdpClientPortTest, GonePeerDoesNotBreakThePort) {
    ASSERT_TRUE(port->OnCreate(info));
    peer.Close();
    EXPECT_TRUE(Send("anyone?"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(Send("still?"));
    char* buf = nullptr;
    EXPECT_EQ(Poll(buf), 0);
    EXPECT_FALSE(port->IsBroken());
}

TEST_F(UdpClientPortTest, OversizedDatagramFailsAlone) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_FALSE(Send(std::string(70000, 'x')));
    EXPECT_TRUE(Send("small"));
}

// ---- serial ----

class ComPortTest : public PortTest<CZARVComPort> {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slave().empty());
        Set({{PORTPROP_COM, "1"}, {PORTPROP_DEVICE, pty.slave().c_str()}});
    }
    std::vector<int> Line() const {
        return {port->GetBaudRate(), port->GetParity(), port->GetDataBits(), port->GetStopBits()};
    }

    PtyPeer pty;
};

TEST_F(ComPortTest, PassesBytesRawBothWaysAtNineThousandSixHundredEightNoneOne) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_EQ(port->GetPortName(), pty.slave());
    EXPECT_EQ(Line(), (std::vector<int>{9600, 0, 8, 1}));
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_CONNECTED);

    const std::string out("AT\r\n\x03\x7f", 6), in("OK\r\n\x11\x13", 6);
    ASSERT_TRUE(Send(out));
    EXPECT_EQ(ReadSome(pty.fd(), out.size()), out);
    ASSERT_EQ(write(pty.fd(), in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(Collect(*port, in.size()), in);
}

TEST_F(ComPortTest, AppliesTheLineSettings) {
    ASSERT_TRUE(CreateWith({{PORTPROP_BAUD, Var(115200)},
                            {PORTPROP_PARITY, Var(2)},
                            {PORTPROP_DATABITS, Var(7)},
                            {PORTPROP_STOPBITS, Var(2)}}));
    EXPECT_EQ(Line(), (std::vector<int>{115200, 2, 7, 2}));
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
}

TEST_F(ComPortTest, BadDevicesAndSettingsOutOfRangeFail) {
    ExpectEachCreateFails({{{PORTPROP_DEVICE, "/dev/no-such-serial-device"}},
                           {{PORTPROP_DEVICE, "/dev/null"}},  // no terminal
                           {{PORTPROP_DEVICE, {}}},
                           {{PORTPROP_BAUD, Var(12345)}},
                           {{PORTPROP_BAUD, Var(0)}},
                           {{PORTPROP_PARITY, Var(3)}},
                           {{PORTPROP_DATABITS, Var(4)}},
                           {{PORTPROP_DATABITS, Var(9)}},
                           {{PORTPROP_STOPBITS, Var(3)}}});
    ExpectClosed();
}

TEST_F(ComPortTest, OtherEndClosingBreaksThePort) {
    ASSERT_TRUE(port->OnCreate(info));
    pty.Close();
    EXPECT_TRUE(WaitForBreak(*port));
    EXPECT_EQ(driver->GetNetPortEvent(kPortNo), CZARVDriver::NETEVT_BROKEN);
    EXPECT_FALSE(Send("x"));
}

}  // namespace
