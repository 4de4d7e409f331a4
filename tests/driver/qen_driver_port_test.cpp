// The driver's port against real peers: a TCP listener and a UDP socket on
// 127.0.0.1, and the far end of a pseudo-terminal. Every wait is bounded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver_test_util.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"

namespace {

using namespace driver_test;

class QENDriverPortTest : public DriverFixture {
protected:
    QENDriverPortTest() : DriverFixture(0x00070000) {}
    // Creates the driver with a network port of `kind` to `remotePort`.
    bool CreateNet(short kind, int remotePort) {
        driver->portProps = {{PORTPROP_NET, Var(kind)},
                             {PORTPROP_HOST, "127.0.0.1"},
                             {PORTPROP_REMOTEPORT, Var(remotePort)}};
        return driver->Create(*record);
    }
};

TEST_F(QENDriverPortTest, TcpClientPortTalksToAListenerUntilItHangsUp) {
    TcpListener listener;
    ASSERT_TRUE(CreateNet(PORTNET_TCP_CLIENT, listener.port()));
    ASSERT_NE(dynamic_cast<CZARVTCPClientPort*>(driver->GetPort()), nullptr);
    EXPECT_EQ(driver->GetPort()->GetPortNo(), 7);
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);

    const std::string request("\x01\x03\x00\x00\x00\x0a", 6), answer("\x01\x03\x02\x12\x34", 5);
    ASSERT_TRUE(Send(request));
    EXPECT_EQ(ReadSome(peer, request.size()), request);
    ASSERT_EQ(write(peer, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    EXPECT_EQ(Receive(answer.size()), answer);

    // Bytes before the hang-up come first, then -1.
    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);
    int last = 0;
    EXPECT_EQ(Receive(3), "bye");
    EXPECT_EQ(Receive(1, &last), "");
    EXPECT_EQ(last, -1);
    EXPECT_FALSE(Send("x"));
}

TEST_F(QENDriverPortTest, UdpClientPortSendsToThePeerOrTheTargetWithThePortName) {
    UdpPeer peer, other;
    std::string portName, target;
    driver->SetPacketMonitor([&](const CPhyPacket& p, bool sent) {
        if (!sent) return;
        portName = p.GetPortName();
        target = p.GetTarget();
    });
    ASSERT_TRUE(CreateNet(PORTNET_UDP_CLIENT, peer.port()));
    ASSERT_NE(dynamic_cast<CZARVUDPClientPort*>(driver->GetPort()), nullptr);

    ASSERT_TRUE(Send("to-other", other.address().c_str()));
    EXPECT_EQ(other.Receive(), "to-other");
    EXPECT_EQ(portName, peer.address());
    EXPECT_EQ(target, other.address());

    ASSERT_TRUE(Send("ping"));
    int fromPort = 0;
    EXPECT_EQ(peer.Receive(&fromPort), "ping");
    peer.SendTo(fromPort, "pong");
    EXPECT_EQ(Receive(4), "pong");
    EXPECT_FALSE(Send("nowhere", "no-port-here"));
}

TEST_F(QENDriverPortTest, SerialPortTalksToThePseudoTerminal) {
    PtyPeer pty;
    ASSERT_FALSE(pty.slave().empty());
    driver->portProps = {{PORTPROP_COM, Var(1)},
                         {PORTPROP_DEVICE, pty.slave().c_str()},
                         {PORTPROP_BAUD, Var(19200)}};
    ASSERT_TRUE(driver->Create(*record));
    auto* port = dynamic_cast<CZARVComPort*>(driver->GetPort());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->GetBaudRate(), 19200);
    EXPECT_EQ(driver->GetNetPortEvent(7), CZARVDriver::NETEVT_CONNECTED);

    const std::string out("AT\r\n\x00\xff", 6), in("OK\r\n", 4);
    ASSERT_TRUE(Send(out));
    EXPECT_EQ(ReadSome(pty.fd(), out.size()), out);
    ASSERT_EQ(write(pty.fd(), in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(Receive(in.size()), in);
}

}  // namespace
