// The engine driver: its record and port, packets through the port (the
// ports' own behaviour is tested with the kernel), values as the engine's.
#include "driver/qen_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/db_engine.h"
#include "host/kernel_test_util.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

using namespace kernel_test;
using Props = std::vector<std::pair<unsigned short, _zarvVAR>>;

// Hands its port-information hook the properties its test set; with
// `askForPort` false it declines like the base class.
class PortDriver : public Recording<CZARVQENDriver> {
public:
    using Recording::Recording;
    Props portProps;
    bool askForPort = true;
    int portInfoPropsOnEntry = -1;  // the hook gets an empty record

    using CZARVQENDriver::CreatePort;

protected:
    bool OnCreatePortInfo(CZARVMPInfo& info) override {
        portInfoPropsOnEntry = info.GetMPPropCount();
        for (const auto& [id, value] : portProps) info.SetMPProp(id, value, 0);
        return askForPort;
    }
};

// A GMPID whose bits 16 to 23 hold 5: the driver's port number.
constexpr unsigned long kDriverGMPID = 0x12050000;

class QENDriverTest : public ::testing::Test {
protected:
    QENDriverTest() {
        record->InsertMPProp(1, _zarvVAR("drv-name"), 0);
        record->InsertMPProp(3, _zarvVAR("drv-desc"), 0);
        driver->portProps = {{PORTPROP_COM, Var(1)}, {PORTPROP_DEVICE, pty.slave.c_str()}};
    }
    // Creates the driver with a serial port on the pseudo-terminal; holds the port.
    CZARVPtr<CZARVPortSrv> CreateHeldPort() {
        EXPECT_TRUE(driver->Create(*record));
        return CZARVPtr<CZARVPortSrv>(driver->GetPort());
    }
    bool CreateNet(short kind, int remotePort) {
        driver->portProps = {{PORTPROP_NET, Var(kind)}, {PORTPROP_HOST, "127.0.0.1"}};
        driver->portProps.emplace_back(PORTPROP_REMOTEPORT, Var(remotePort));
        return driver->Create(*record);
    }
    bool Send(const std::string& bytes, const char* target = "") {
        return driver->SendPacket(bytes.data(), static_cast<unsigned int>(bytes.size()), target);
    }
    std::string Receive(size_t want, int* last = nullptr) {
        return Drain([&](char*& buf) { return driver->RcvFrom(buf); }, want, last);
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVMPInfo> record = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(kDriverGMPID));
    CZARVPtr<PortDriver> driver = CZARVPtr<PortDriver>::Adopt(new PortDriver(engine.get()));
    PtyPeer pty;
};

TEST_F(QENDriverTest, CreateOpensThePortNumberedFromTheGMPIDAndReleasesItAtTheNextCreateOrTheEnd) {
    CZARVPtr<CZARVPortSrv> port = CreateHeldPort();
    EXPECT_STREQ(driver->GetName(), "drv-name");
    EXPECT_STREQ(driver->GetDesc(), "drv-desc");
    EXPECT_EQ(driver->portInfoPropsOnEntry, 0);
    ASSERT_NE(dynamic_cast<CZARVComPort*>(port.get()), nullptr);
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetPortNo(), 5);
    EXPECT_EQ(port->GetRefCount(), 2);  // the driver's and this test's
    // A second create stops and releases the old port first.
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_NE(driver->GetPort(), port.get());
    EXPECT_EQ(port->GetRefCount(), 1);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(driver->events,
              (std::vector<unsigned char>{CZARVDriver::NETEVT_CONNECTED, CZARVDriver::NETEVT_CLOSED,
                                          CZARVDriver::NETEVT_CONNECTED}));
    // Destruction releases the new port without stopping it, and the engine.
    CZARVPtr<CZARVPortSrv> second(driver->GetPort());
    driver->Run();
    driver.reset();
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(second->IsOpen());
    EXPECT_EQ(engine->GetRefCount(), 1);
}

TEST_F(QENDriverTest, CreateFailsWithoutEngineOrPortKindOrWithAPortThatCannotOpen) {
    CZARVPtr<PortDriver> orphan = CZARVPtr<PortDriver>::Adopt(new PortDriver(nullptr));
    EXPECT_FALSE(orphan->Create(*record));
    EXPECT_EQ(orphan->GetPort(), nullptr);
    EXPECT_STREQ(orphan->GetName(), "");  // touches nothing
    for (const Props& props : {Props{{PORTPROP_NET, Var(2)}, {PORTPROP_HOST, "127.0.0.1"}},
                               Props{{PORTPROP_COM, Var(1)}}}) {  // no server kind; no device
        driver->portProps = props;
        EXPECT_FALSE(driver->Create(*record));
        EXPECT_EQ(driver->GetPort(), nullptr);
        EXPECT_STREQ(driver->GetName(), "drv-name");  // the texts come first
        EXPECT_FALSE(Send("x"));
    }
    driver->askForPort = false;  // a driver may want no port at all
    ASSERT_TRUE(driver->Create(*record));
    EXPECT_EQ(driver->GetPort(), nullptr);
}

TEST_F(QENDriverTest, CreatePortChoosesTheKindFromSerialThenNetworkProperties) {
    // Serial wins, serial 0 is none, the network kind is taken as 16 bits,
    // and there is no server kind.
    const std::pair<Props, char> cases[] = {{{{PORTPROP_COM, "2"}, {PORTPROP_NET, Var(1)}}, 's'},
                                            {{{PORTPROP_COM, Var(0)}, {PORTPROP_NET, Var(3)}}, 'u'},
                                            {{{PORTPROP_NET, Var(1)}}, 't'},
                                            {{{PORTPROP_NET, Var(0x10003)}}, 'u'},
                                            {{{PORTPROP_NET, Var(2)}}, '-'}};
    for (const auto& [props, expected] : cases) {
        CZARVMPInfo info(kDriverGMPID);
        for (const auto& [id, value] : props) info.SetMPProp(id, value, 0);
        CZARVPtr<CZARVPortSrv> port = CZARVPtr<CZARVPortSrv>::Adopt(driver->CreatePort(info));
        const char kind = !port                                           ? '-'
                          : dynamic_cast<CZARVComPort*>(port.get())       ? 's'
                          : dynamic_cast<CZARVTCPClientPort*>(port.get()) ? 't'
                          : dynamic_cast<CZARVUDPClientPort*>(port.get()) ? 'u'
                                                                          : '?';
        EXPECT_EQ(kind, expected);
        if (port) {
            EXPECT_EQ(port->GetRefCount(), 1);
            EXPECT_FALSE(port->IsOpen());
        }
    }
}

TEST_F(QENDriverTest, RunPauseAndExitFollowTheStateRules) { ExpectRunStateRules(*driver); }

TEST_F(QENDriverTest, TcpPortTalksToAListenerUntilItHangsUp) {
    TcpListener listener;
    ASSERT_TRUE(CreateNet(PORTNET_TCP_CLIENT, listener.port()));
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

TEST_F(QENDriverTest, ValueOperationsAnswerAsTheEngineForEveryKindOfPoint) {
    for (unsigned char rid : {5, 200}) ASSERT_TRUE(engine->CreateConfigDB(rid, 0));
    // A named source, a point reading through it, a point naming nobody, a
    // RID with no live values and the no-point GMPID.
    const unsigned long source = 0x05010001, ref = 0xC8022002, lost = 0xC8022003;
    const int kRef = CZARVQENDbEngine::kRefProp;
    for (auto [gmpid, id, text] :
         {std::tuple(source, 1, "drv-values.P"), std::tuple(ref, kRef, "drv-values.P"),
          std::tuple(lost, kRef, "drv-values.nobody")}) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
        info->InsertMPProp(id, _zarvVAR(text), 0);
        ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    }
    driver->askForPort = false;
    ASSERT_TRUE(driver->Create(*record));
    const CMPQuality good;
    const CZARVTime stamp{1700000000123};
    ASSERT_NE(engine->WriteValue(source, _zarvVAR("G1|3:9;"), good, stamp), 0u);
    for (unsigned long g : {source, ref, lost, 0x09000001UL, 0xFFFFFFFFUL}) {
        SCOPED_TRACE(::testing::Message() << std::hex << g);
        _zarvVAR v1("untouched"), v2 = v1;
        CMPQuality q1(CMPQuality::QUALITY_BLOCKED), q2(CMPQuality::QUALITY_BLOCKED);
        CZARVTime t1(5), t2(5);
        EXPECT_EQ(driver->ReadValue(g, v1, q1, t1), engine->ReadValue(g, v2, q2, t2));
        EXPECT_EQ(std::make_tuple(v1, q1, t1), std::make_tuple(v2, q2, t2));
        EXPECT_EQ(driver->ReadSGValue(g, 0, v1), engine->ReadSGValue(g, 0, v2));
        EXPECT_EQ(v1, v2);
        CZARVGRPData d1;
        // The second write of a value, which both see in the same state.
        driver->WriteValue(g, Var(4L), good, stamp);
        EXPECT_EQ(driver->WriteValue(g, Var(4L), good, stamp),
                  engine->WriteValue(g, Var(4L), good, stamp));
        EXPECT_EQ(driver->WriteSGValue(g, 1, Var(5L)), engine->WriteSGValue(g, 1, Var(6L)));
        driver->WriteSGValue(g, d1, good, stamp);
        EXPECT_EQ(driver->WriteSGValue(g, d1, good, stamp),
                  engine->WriteSGValue(g, d1, good, stamp));
    }
}

}  // namespace
