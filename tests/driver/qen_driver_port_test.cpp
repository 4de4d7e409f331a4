// The driver's packets pass through its port: a TCP listener and a UDP
// socket on 127.0.0.1 as peers. The ports' own behaviour (and the serial
// line) is tested with the kernel. Every wait is bounded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver_test_util.h"
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

TEST_F(QENDriverPortTest, UdpClientPortSendsToTheTargetWithThePortName) {
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
    EXPECT_FALSE(Send("nowhere", "no-port-here"));
}

}  // namespace
