// The driver's port against real peers: a TCP listener and a UDP socket on
// 127.0.0.1, and the far end of a pseudo-terminal. Every wait is bounded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver/qen_driver.h"
#include "driver_test_util.h"
#include "engine/db_engine.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

using namespace driver_test;
using kernel_test::ReadSome;
using kernel_test::TcpListener;
using kernel_test::UdpPeer;

class QENDriverPortTest : public ::testing::Test {
protected:
    void AskForNetPort(short kind, int remotePort) {
        driver->SetPortProp(PORTPROP_NET, Long(kind));
        driver->SetPortProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"));
        driver->SetPortProp(PORTPROP_REMOTEPORT, Long(remotePort));
    }
    bool Send(const std::string& bytes, const char* target = "") {
        return driver->SendPacket(bytes.data(), static_cast<unsigned int>(bytes.size()), target);
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVMPInfo> record = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0x00070000));
    CZARVPtr<PortDriver> driver = CZARVPtr<PortDriver>::Adopt(new PortDriver(engine.get()));
};

TEST_F(QENDriverPortTest, TcpClientPortTalksToAListener) {
    TcpListener listener;
    AskForNetPort(PORTNET_TCP_CLIENT, listener.port());
    ASSERT_TRUE(driver->Create(*record));
    ASSERT_NE(dynamic_cast<CZARVTCPClientPort*>(driver->GetPort()), nullptr);
    EXPECT_EQ(driver->GetPort()->GetPortNo(), 7);
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);

    const std::string request("\x01\x03\x00\x00\x00\x0a", 6);
    ASSERT_TRUE(Send(request));
    EXPECT_EQ(ReadSome(peer, request.size()), request);

    const std::string answer("\x01\x03\x02\x12\x34", 5);
    ASSERT_EQ(write(peer, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    EXPECT_EQ(ReceiveThrough(*driver, answer.size()), answer);
}

TEST_F(QENDriverPortTest, TcpBytesBeforeTheHangUpComeFirstThenMinusOne) {
    TcpListener listener;
    AskForNetPort(PORTNET_TCP_CLIENT, listener.port());
    ASSERT_TRUE(driver->Create(*record));
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);

    ASSERT_EQ(write(peer, "bye", 3), 3);
    shutdown(peer, SHUT_RDWR);
    int last = 0;
    EXPECT_EQ(ReceiveThrough(*driver, 3), "bye");
    // Draining on past the bytes reaches the end of the stream.
    EXPECT_EQ(ReceiveThrough(*driver, 1, &last), "");
    EXPECT_EQ(last, -1);
    EXPECT_FALSE(Send("x"));
}

TEST_F(QENDriverPortTest, UdpClientPortExchangesDatagramsWithAPeer) {
    UdpPeer peer;
    driver->SetPortProp(PORTPROP_COM, Long(0));  // 0: no serial port, look at 12
    AskForNetPort(PORTNET_UDP_CLIENT, peer.port());
    ASSERT_TRUE(driver->Create(*record));
    ASSERT_NE(dynamic_cast<CZARVUDPClientPort*>(driver->GetPort()), nullptr);

    ASSERT_TRUE(Send("ping"));
    int fromPort = 0;
    EXPECT_EQ(peer.Receive(&fromPort), "ping");
    ASSERT_GT(fromPort, 0);

    peer.SendTo(fromPort, "pong");
    EXPECT_EQ(ReceiveThrough(*driver, 4), "pong");
}

TEST_F(QENDriverPortTest, UdpTargetOfSendPacketChoosesTheDestination) {
    UdpPeer configured, other;
    AskForNetPort(PORTNET_UDP_CLIENT, configured.port());
    ASSERT_TRUE(driver->Create(*record));

    ASSERT_TRUE(Send("to-other", other.address().c_str()));
    EXPECT_EQ(other.Receive(), "to-other");
    ASSERT_TRUE(Send("to-configured"));
    EXPECT_EQ(configured.Receive(), "to-configured");
    EXPECT_FALSE(Send("nowhere", "no-port-here"));
}

TEST_F(QENDriverPortTest, SerialPortTalksToThePseudoTerminal) {
    PtyPeer pty;
    ASSERT_FALSE(pty.slave().empty());
    driver->SetPortProp(PORTPROP_COM, Long(1));
    driver->SetPortProp(PORTPROP_DEVICE, _zarvVAR(pty.slave().c_str()));
    driver->SetPortProp(PORTPROP_BAUD, Long(19200));
    ASSERT_TRUE(driver->Create(*record));
    auto* port = dynamic_cast<CZARVComPort*>(driver->GetPort());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->GetBaudRate(), 19200);
    EXPECT_EQ(driver->GetNetPortEvent(7), CZARVDriver::NETEVT_CONNECTED);

    const std::string out("AT\r\n\x00\xff", 6);
    ASSERT_TRUE(Send(out));
    EXPECT_EQ(ReadSome(pty.fd(), out.size()), out);

    const std::string in("OK\r\n", 4);
    ASSERT_EQ(write(pty.fd(), in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(ReceiveThrough(*driver, in.size()), in);
}

TEST_F(QENDriverPortTest, SentPacketCarriesThePortNameAndTarget) {
    UdpPeer peer;
    AskForNetPort(PORTNET_UDP_CLIENT, peer.port());
    std::string portName, target;
    driver->SetPacketMonitor([&](const CPhyPacket& p, bool sent) {
        if (!sent) return;
        portName = p.GetPortName();
        target = p.GetTarget();
    });
    ASSERT_TRUE(driver->Create(*record));
    ASSERT_TRUE(Send("m", peer.address().c_str()));
    EXPECT_EQ(portName, "127.0.0.1:" + std::to_string(peer.port()));
    EXPECT_EQ(target, peer.address());
    EXPECT_EQ(peer.Receive(), "m");
}

TEST_F(QENDriverPortTest, NewCreateClosesTheOldConnection) {
    TcpListener listener;
    AskForNetPort(PORTNET_TCP_CLIENT, listener.port());
    ASSERT_TRUE(driver->Create(*record));
    const int first = listener.Accept();
    ASSERT_GE(first, 0);

    ASSERT_TRUE(driver->Create(*record));
    // The peer of the first port sees its end of stream.
    char c;
    ASSERT_TRUE(kernel_test::WaitReadable(first));
    EXPECT_EQ(read(first, &c, 1), 0);
    const int second = listener.Accept();
    ASSERT_GE(second, 0);
    ASSERT_TRUE(Send("again"));
    EXPECT_EQ(ReadSome(second, 5), "again");
}

}  // namespace
