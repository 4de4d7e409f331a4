// The driver's packets pass through its port: a TCP listener and a UDP
// socket on 127.0.0.1 as peers. The ports' own behaviour is tested with the
// kernel. Every wait is bounded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver_test_util.h"

namespace {

using namespace driver_test;

class QENDriverPortTest : public DriverFixture {
protected:
    QENDriverPortTest() : DriverFixture(0x00070000) {}
    bool CreateNet(short kind, int remotePort) {
        driver->portProps = {{PORTPROP_NET, Var(kind)},
                             {PORTPROP_HOST, "127.0.0.1"},
                             {PORTPROP_REMOTEPORT, Var(remotePort)}};
        return driver->Create(*record);
    }
    std::string Receive(size_t want, int* last = nullptr) {
        return Drain([&](char*& buf) { return driver->RcvFrom(buf); }, want, last);
    }
};

TEST_F(QENDriverPortTest, TcpPortTalksToAListenerUntilItHangsUp) {
    TcpListener listener;
    ASSERT_TRUE(CreateNet(PORTNET_TCP_CLIENT, listener.port()));
    EXPECT_EQ(driver->GetPort()->GetPortNo(), 7);
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    const std::string request("\x01\x03\x00\x00\x00\x0a", 6);
    ASSERT_TRUE(Send(request));
    EXPECT_EQ(ReadSome(peer, request.size()), request);
    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);
    int last = 0;
    EXPECT_EQ(Receive(3), "bye");  // bytes before the hang-up come first, then -1
    EXPECT_EQ(Receive(1, &last), "");
    EXPECT_EQ(last, -1);
    EXPECT_FALSE(Send("x"));
}

TEST_F(QENDriverPortTest, UdpPortSendsToTheTargetAndRefusesABadOne) {
    UdpPeer peer, other;
    ASSERT_TRUE(CreateNet(PORTNET_UDP_CLIENT, peer.port()));
    ASSERT_TRUE(Send("to-other", other.address().c_str()));
    EXPECT_EQ(other.Receive(), "to-other");
    EXPECT_FALSE(Send("nowhere", "no-port-here"));
}

}  // namespace
