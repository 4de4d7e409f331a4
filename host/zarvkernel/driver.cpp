#include "host/zarvkernel/driver.h"

#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/ref_names.h"

CZARVDriver::CZARVDriver() = default;

CZARVDriver::~CZARVDriver() = default;

void CZARVDriver::SendMonitorPacket(CPhyPacket& packet, bool sent) {
    if (m_monitor) m_monitor(packet, sent);
}

bool CZARVDriver::OnCreate(const CZARVMPInfo& info) {
    if (info.GetGMPID() == ZARV_INVALID_GMPID) return false;
    m_nGMPID = info.GetGMPID();
    return true;
}

int CZARVDriver::OnMessage(CZARVMsg* msg) {
    DefaultProcess(msg);
    return 0;
}

int CZARVDriver::Run() {
    if (m_nRunState != RUN_RUNNING) m_nRunState = RUN_RUNNING;
    return OnRun();
}

void CZARVDriver::Exit() {
    if (m_nRunState == RUN_STOPPED) return;
    if (m_nRunState != RUN_FAILED) m_nRunState = RUN_STOPPED;
    OnExit();
}

void CZARVDriver::Pause(bool pause) {
    if (pause && m_nRunState == RUN_RUNNING)
        m_nRunState = RUN_PAUSED;
    else if (!pause && m_nRunState == RUN_PAUSED)
        m_nRunState = RUN_RUNNING;
    OnPause(pause);
}

int CZARVDriver::OnReceive(char* data, unsigned int length, const char* portName) {
    if (!data || length == 0) return 0;
    CPhyPacket packet(data, length, portName, portName);
    SendMonitorPacket(packet, false);
    return static_cast<int>(length);
}

void CZARVDriver::OnNetPortEvent(unsigned char port, unsigned char event, void* /*source*/) {
    m_netEvents[port] = event;
    if (event == NETEVT_BROKEN && (m_nRunState == RUN_RUNNING || m_nRunState == RUN_PAUSED))
        m_nRunState = RUN_FAILED;
}

bool CZARVDriver::Create(const CZARVMPInfo& info) { return OnCreate(info); }

bool CZARVDriver::ReadValue(unsigned long, _zarvVAR&, CMPQuality&, CZARVTime&) { return false; }

bool CZARVDriver::ReadSGValue(unsigned long, int, _zarvVAR&) { return false; }

bool CZARVDriver::ReadSGValue(unsigned long, CZARVGRPData&, CMPQuality&, CZARVTime&) {
    return false;
}

unsigned int CZARVDriver::WriteValue(unsigned long, const _zarvVAR&, const CMPQuality&,
                                     const CZARVTime&) {
    return 0;
}

bool CZARVDriver::WriteSGValue(unsigned long, int, const _zarvVAR&) { return false; }

unsigned int CZARVDriver::WriteSGValue(unsigned long, const CZARVGRPData&, const CMPQuality&,
                                       const CZARVTime&) {
    return 0;
}

int CZARVDriver::WriteEvent(unsigned short, const char*) { return -1; }

int CZARVDriver::RemoteControl(unsigned short, unsigned long, const _zarvVAR&, int) { return -1; }

void CZARVDriver::DefaultProcess(CZARVMsg*) {}

int CZARVDriver::OnRun() { return 0; }

void CZARVDriver::OnExit() {}

void CZARVDriver::OnPause(bool) {}

CZARVPortSrv* CZARVDriver::CreatePort(const CZARVMPInfo&) { return nullptr; }

bool CZARVDriver::OnCreatePortInfo(CZARVMPInfo&) { return false; }
