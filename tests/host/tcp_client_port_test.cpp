#include <gtest/gtest.h>

#include <string>

#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_port_peers.h"

namespace {

using namespace kernel_test;

class TcpClientPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        info.InsertMPProp(PORTPROP_NET, _zarvVAR("1"), 0);
        info.InsertMPProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"), 0);
        SetInt(PORTPROP_REMOTEPORT, listener.port());
        SetInt(PORTPROP_CONN_TIMEOUT, 1000);
    }
    void SetInt(unsigned short id, long value) {
        _zarvVAR v;
        v = value;
        info.SetMPProp(id, v, 0);
    }
    // Creates the port and accepts its connection; returns the peer socket.
    int Connect() {
        if (!port->OnCreate(info)) return -1;
        return listener.Accept();
    }

    TcpListener listener;
    CZARVMPInfo info{0x00030000};
    CZARVPtr<RecordingDriver> driver = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
    CZARVPtr<CZARVTCPClientPort> port =
        CZARVPtr<CZARVTCPClientPort>::Adopt(new CZARVTCPClientPort(3, driver.get()));
};

TEST_F(TcpClientPortTest, ConnectsSendsAndReceives) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetPortName(), "127.0.0.1:" + std::to_string(listener.port()));
    EXPECT_EQ(driver->GetNetPortEvent(3), CZARVDriver::NETEVT_CONNECTED);

    CPhyPacket hello("hello", 5, port->GetPortName(), "");
    ASSERT_TRUE(port->Send(hello));
    EXPECT_EQ(ReadSome(peer, 5), "hello");

    ASSERT_EQ(write(peer, "world", 5), 5);
    EXPECT_EQ(Collect(*port, 5), "world");
    EXPECT_EQ(driver->sent, 1);
    EXPECT_GE(driver->received, 1);
}

TEST_F(TcpClientPortTest, NothingArrivedGivesZeroAndAValidBuffer) {
    ASSERT_GE(Connect(), 0);
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), 0);
    EXPECT_NE(buf, nullptr);
}

TEST_F(TcpClientPortTest, RefusedConnectionFails) {
    // A port that was bound and closed again: nobody listens there.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    const int closedPort = BoundPort(fd);
    close(fd);
    SetInt(PORTPROP_REMOTEPORT, closedPort);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->OnCreate(info));
    EXPECT_LT(ElapsedMs(start), 2000);
    EXPECT_FALSE(port->IsOpen());
    CPhyPacket p("x", 1);
    EXPECT_FALSE(port->Send(p));
    char* buf = reinterpret_cast<char*>(1);
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);
    EXPECT_EQ(buf, nullptr);
}

TEST_F(TcpClientPortTest, UnknownHostFails) {
    info.SetMPProp(PORTPROP_HOST, _zarvVAR("no-such-host.invalid"), 0);
    EXPECT_FALSE(port->OnCreate(info));
    EXPECT_FALSE(port->IsOpen());
}

TEST_F(TcpClientPortTest, MissingOrOutOfRangeSettingsFail) {
    CZARVMPInfo noHost(0);
    noHost.InsertMPProp(PORTPROP_REMOTEPORT, _zarvVAR("80"), 0);
    EXPECT_FALSE(port->OnCreate(noHost));
    CZARVMPInfo noPort(0);
    noPort.InsertMPProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"), 0);
    EXPECT_FALSE(port->OnCreate(noPort));
    SetInt(PORTPROP_REMOTEPORT, 70000);
    EXPECT_FALSE(port->OnCreate(info));
    SetInt(PORTPROP_REMOTEPORT, listener.port());
    SetInt(PORTPROP_CONN_TIMEOUT, 0);
    EXPECT_FALSE(port->OnCreate(info));
    SetInt(PORTPROP_CONN_TIMEOUT, 500);
    SetInt(PORTPROP_IO_TIMEOUT, 60001);
    EXPECT_FALSE(port->OnCreate(info));
    EXPECT_FALSE(port->StartService());  // never configured
}

TEST_F(TcpClientPortTest, UnreachableAddressGivesUpWithinTheConnectTimeout) {
    info.SetMPProp(PORTPROP_HOST, _zarvVAR("10.255.255.1"), 0);
    SetInt(PORTPROP_CONN_TIMEOUT, 200);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->OnCreate(info));
    EXPECT_LT(ElapsedMs(start), 2000);
}

TEST_F(TcpClientPortTest, PeerThatClosesBreaksThePortAfterItsLastBytes) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    driver->Run();
    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);

    int last = 0;
    EXPECT_EQ(Collect(*port, 3, nullptr, &last), "bye");
    EXPECT_TRUE(WaitForBreak(*port));
    EXPECT_TRUE(port->IsBroken());
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(driver->GetNetPortEvent(3), CZARVDriver::NETEVT_BROKEN);
    EXPECT_EQ(driver->GetRunState(), CZARVDriver::RUN_FAILED);
    CPhyPacket p("x", 1);
    EXPECT_FALSE(port->Send(p));
}

TEST_F(TcpClientPortTest, SendNoticesAPeerThatHasGone) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    shutdown(peer, SHUT_RDWR);
    ASSERT_TRUE(WaitReadable(peer));  // our side has seen the close too
    bool sent = true;
    // The close reaches the port within a few attempts at most.
    for (int i = 0; i < 50 && sent; ++i) {
        CPhyPacket p("data", 4);
        sent = port->Send(p);
        if (sent) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(sent);
    EXPECT_TRUE(port->IsBroken());
}

TEST_F(TcpClientPortTest, SendToAPeerThatDoesNotReadEndsWithinTheTimeout) {
    SetInt(PORTPROP_IO_TIMEOUT, 200);
    ASSERT_GE(Connect(), 0);
    const std::string big(64 << 20, 'x');
    CPhyPacket p(big.data(), static_cast<unsigned int>(big.size()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->Send(p));
    EXPECT_LT(ElapsedMs(start), 3000);
}

TEST_F(TcpClientPortTest, StopServiceClosesAndStartServiceReconnects) {
    ASSERT_GE(Connect(), 0);
    port->StopService();
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(driver->GetNetPortEvent(3), CZARVDriver::NETEVT_CLOSED);
    CPhyPacket p("x", 1);
    EXPECT_FALSE(port->Send(p));
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);

    ASSERT_TRUE(port->StartService());
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    EXPECT_TRUE(port->Send(p));
    EXPECT_EQ(ReadSome(peer, 1), "x");
}

TEST_F(TcpClientPortTest, PortWithoutDriverWorks) {
    CZARVPtr<CZARVTCPClientPort> lone =
        CZARVPtr<CZARVTCPClientPort>::Adopt(new CZARVTCPClientPort(0, nullptr));
    ASSERT_TRUE(lone->OnCreate(info));
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    shutdown(peer, SHUT_RDWR);
    EXPECT_TRUE(WaitForBreak(*lone));
}

TEST_F(TcpClientPortTest, DestructionClosesTheConnection) {
    const int peer = Connect();
    ASSERT_GE(peer, 0);
    port.reset();
    ASSERT_TRUE(WaitReadable(peer));
    char c;
    EXPECT_EQ(read(peer, &c, 1), 0);
    EXPECT_TRUE(driver->events.empty() ||
                driver->events.back() == CZARVDriver::NETEVT_CONNECTED);
}

}  // namespace
