#include "driver/qen_driver.h"

#include "engine/db_engine.h"
#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

// Properties of the driver's own record copied into its text members.
constexpr int kNameProp = 1;
constexpr int kDescProp = 3;

}  // namespace

CZARVQENDriver::CZARVQENDriver(CZARVQENDbEngine* engine) : m_pEngine(engine) {}

CZARVQENDriver::~CZARVQENDriver() {
    // A derived driver's hooks are gone by now: this class's Exit runs. The
    // port is not stopped, so it reports nothing to a driver that is ending;
    // its own end closes the device.
    CZARVQENDriver::Exit();
    DropPort(false);
}

bool CZARVQENDriver::OnCreate(const CZARVMPInfo& info) {
    if (!CZARVDriver::OnCreate(info)) return false;

    const _zarvVAR name = info[kNameProp];
    if (!name.IsEmpty()) m_strName = static_cast<_zarv_str>(name);
    const _zarvVAR desc = info[kDescProp];
    if (!desc.IsEmpty()) m_strDesc = static_cast<_zarv_str>(desc);

    const unsigned long gmpid = info.GetGMPID();
    m_nPortNo = zarvgmpid::Group(zarvgmpid::FromArg(gmpid));

    CZARVPtr<CZARVMPInfo> portInfo = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
    if (!OnCreatePortInfo(*portInfo)) return true;

    // Create has dropped any earlier port; a derived driver calling
    // OnCreate on its own must not leak the one it still holds.
    DropPort(true);
    m_pPort = CreatePort(*portInfo);
    if (!m_pPort) return false;
    if (!m_pPort->OnCreate(*portInfo)) {
        DropPort(false);
        return false;
    }
    return true;
}

int CZARVQENDriver::OnMessage(CZARVMsg* /*msg*/) { return 0; }

int CZARVQENDriver::Run() {
    if (m_nRunState != RUN_RUNNING) m_nRunState = RUN_RUNNING;
    return OnRun();
}

void CZARVQENDriver::Exit() {
    if (m_nRunState == RUN_STOPPED) return;
    // The failure state outlives the stop so that a host still sees it.
    if (m_nRunState != RUN_FAILED) m_nRunState = RUN_STOPPED;
    OnExit();
}

void CZARVQENDriver::Pause(bool pause) {
    if (pause && m_nRunState == RUN_RUNNING)
        m_nRunState = RUN_PAUSED;
    else if (!pause && m_nRunState == RUN_PAUSED)
        m_nRunState = RUN_RUNNING;
    OnPause(pause);
}

bool CZARVQENDriver::Create(const CZARVMPInfo& info) {
    if (!m_pEngine) return false;
    DropPort(true);
    return OnCreate(info);
}

bool CZARVQENDriver::ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality& quality,
                               CZARVTime& time) {
    return m_pEngine->ReadValue(gmpid, value, quality, time);
}

bool CZARVQENDriver::ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) {
    return m_pEngine->ReadSGValue(gmpid, index, value);
}

bool CZARVQENDriver::ReadSGValue(unsigned long gmpid, CZARVGRPData& data, CMPQuality& quality,
                                 CZARVTime& time) {
    return m_pEngine->ReadSGValue(gmpid, data, quality, time);
}

unsigned int CZARVQENDriver::WriteValue(unsigned long gmpid, const _zarvVAR& value,
                                        const CMPQuality& quality, const CZARVTime& time) {
    return m_pEngine->WriteValue(gmpid, value, quality, time);
}

bool CZARVQENDriver::WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value) {
    return m_pEngine->WriteSGValue(gmpid, index, value);
}

unsigned int CZARVQENDriver::WriteSGValue(unsigned long gmpid, const CZARVGRPData& data,
                                          const CMPQuality& quality, const CZARVTime& time) {
    return m_pEngine->WriteSGValue(gmpid, data, quality, time);
}

int CZARVQENDriver::WriteEvent(unsigned short /*type*/, const char* /*text*/) { return -1; }

int CZARVQENDriver::RemoteControl(unsigned short /*type*/, unsigned long /*gmpid*/,
                                  const _zarvVAR& /*value*/, int /*timeout*/) {
    return -1;
}

void CZARVQENDriver::DefaultProcess(CZARVMsg* /*msg*/) {}

int CZARVQENDriver::OnRun() { return 0; }

void CZARVQENDriver::OnExit() {}

void CZARVQENDriver::OnPause(bool /*pause*/) {}

CZARVPortSrv* CZARVQENDriver::CreatePort(const CZARVMPInfo& info) {
    // The port constructors take the port number as one byte.
    const auto portNo = static_cast<unsigned char>(m_nPortNo & 0xFF);

    const _zarvVAR com = info[PORTPROP_COM];
    if (!com.IsEmpty() && static_cast<short>(com) != 0) return new CZARVComPort(portNo, this);

    const _zarvVAR net = info[PORTPROP_NET];
    if (net.IsEmpty()) return nullptr;
    switch (static_cast<short>(net)) {
        case PORTNET_TCP_CLIENT:
            return new CZARVTCPClientPort(portNo, this);
        case PORTNET_UDP_CLIENT:
            return new CZARVUDPClientPort(portNo, this);
        default:
            return nullptr;
    }
}

bool CZARVQENDriver::OnCreatePortInfo(CZARVMPInfo& /*info*/) { return false; }

bool CZARVQENDriver::SendPacket(const char* data, unsigned int length, const char* target) {
    if (!m_pPort) return false;
    CPhyPacket packet(data, length, m_pPort->GetPortName(), target);
    return m_pPort->Send(packet);
}

int CZARVQENDriver::RcvFrom(char*& buffer) {
    if (!m_pPort) return -1;
    return m_pPort->PacketList2Buffer(buffer, m_pPort->GetPortName());
}

void CZARVQENDriver::DropPort(bool stop) {
    if (!m_pPort) return;
    // Stopping reports the close to this driver, which still sees its port.
    if (stop) m_pPort->StopService();
    m_pPort->Release();
    m_pPort = nullptr;
}
