#include <gtest/gtest.h>

#include <string>

#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvlib/zarv_obj.h"
#include "kernel_port_peers.h"

namespace {

using namespace kernel_test;

class UdpClientPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        info.InsertMPProp(PORTPROP_NET, _zarvVAR("3"), 0);
        info.InsertMPProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"), 0);
        SetInt(PORTPROP_REMOTEPORT, peer.port());
    }
    void SetInt(unsigned short id, long value) {
        _zarvVAR v;
        v = value;
        info.SetMPProp(id, v, 0);
    }
    bool Send(const std::string& data, const char* target = "") {
        CPhyPacket p(data.data(), static_cast<unsigned int>(data.size()), port->GetPortName(),
                     target);
        return port->Send(p);
    }

    UdpPeer peer;
    CZARVMPInfo info{0x00040000};
    CZARVPtr<RecordingDriver> driver = CZARVPtr<RecordingDriver>::Adopt(new RecordingDriver);
    CZARVPtr<CZARVUDPClientPort> port =
        CZARVPtr<CZARVUDPClientPort>::Adopt(new CZARVUDPClientPort(4, driver.get()));
};

TEST_F(UdpClientPortTest, SendsADatagramAndReceivesTheAnswer) {
    ASSERT_TRUE(port->OnCreate(info));
    EXPECT_EQ(port->GetPortName(), peer.address());
    ASSERT_TRUE(Send("ping"));
    int from = 0;
    EXPECT_EQ(peer.Receive(&from), "ping");
    ASSERT_NE(from, 0);
    peer.SendTo(from, "pong");
    EXPECT_EQ(Collect(*port, 4), "pong");
    EXPECT_EQ(driver->sent, 1);
    EXPECT_EQ(driver->received, 1);
}

TEST_F(UdpClientPortTest, TargetTextSendsElsewhere) {
    UdpPeer other;
    ASSERT_TRUE(port->OnCreate(info));
    ASSERT_TRUE(Send("there", other.address().c_str()));
    EXPECT_EQ(other.Receive(), "there");
    EXPECT_FALSE(Send("x", "no-port-here"));
    EXPECT_FALSE(Send("x", "127.0.0.1:0"));
    EXPECT_FALSE(Send("x", "127.0.0.1:99999"));
    EXPECT_FALSE(Send("x", ":5000"));
    EXPECT_FALSE(Send("x", "[::1"));
    EXPECT_TRUE(port->IsOpen());  // a bad target does not harm the port
}

TEST_F(UdpClientPortTest, AnswersCanBeCollectedBySender) {
    UdpPeer other;
    ASSERT_TRUE(port->OnCreate(info));
    ASSERT_TRUE(Send("a"));
    int from = 0;
    peer.Receive(&from);
    other.SendTo(from, "from-other");
    peer.SendTo(from, "from-peer");
    // Wait until both are queued.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (port->GetQueuedBytes() < 19 && std::chrono::steady_clock::now() < end) {
        char* buf = nullptr;
        port->PacketList2Buffer(buf, "nobody:1");  // matches nothing, just drains
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(port->GetQueuedBytes(), 19u);
    char* buf = nullptr;
    // The port's own name ("host:port" of its peer) asks for everything;
    // another sender's address for that sender's datagrams only.
    ASSERT_EQ(port->PacketList2Buffer(buf, other.address().c_str()), 10);
    EXPECT_EQ(std::string(buf, 10), "from-other");
    ASSERT_EQ(port->PacketList2Buffer(buf, peer.address().c_str()), 9);
    EXPECT_EQ(std::string(buf, 9), "from-peer");
}

TEST_F(UdpClientPortTest, BoundLocalPortReceivesUnaskedDatagrams) {
    // Find a free port, then let the client bind it.
    int local;
    {
        UdpPeer probe;
        local = probe.port();
    }
    SetInt(PORTPROP_LOCALPORT, local);
    ASSERT_TRUE(port->OnCreate(info));
    peer.SendTo(local, "hi");
    EXPECT_EQ(Collect(*port, 2), "hi");
}

TEST_F(UdpClientPortTest, LocalPortInUseFails) {
    SetInt(PORTPROP_LOCALPORT, peer.port());
    EXPECT_FALSE(port->OnCreate(info));
}

TEST_F(UdpClientPortTest, UnknownHostFails) {
    info.SetMPProp(PORTPROP_HOST, _zarvVAR("no-such-host.invalid"), 0);
    EXPECT_FALSE(port->OnCreate(info));
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);
}

TEST_F(UdpClientPortTest, GonePeerDoesNotBreakThePort) {
    ASSERT_TRUE(port->OnCreate(info));
    peer.Close();
    EXPECT_TRUE(Send("anyone?"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(Send("still?"));
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), 0);
    EXPECT_FALSE(port->IsBroken());
}

TEST_F(UdpClientPortTest, OversizedDatagramFails) {
    ASSERT_TRUE(port->OnCreate(info));
    const std::string big(70000, 'x');
    EXPECT_FALSE(Send(big));
    EXPECT_TRUE(Send("small"));
}

TEST_F(UdpClientPortTest, StoppedPortDropsWhatWasQueued) {
    ASSERT_TRUE(port->OnCreate(info));
    ASSERT_TRUE(Send("a"));
    int from = 0;
    peer.Receive(&from);
    peer.SendTo(from, "late");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port->StopService();
    char* buf = nullptr;
    EXPECT_EQ(port->PacketList2Buffer(buf, nullptr), -1);
    EXPECT_EQ(port->GetQueuedBytes(), 0u);
    EXPECT_FALSE(Send("x"));
}

}  // namespace
