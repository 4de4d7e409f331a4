#include "host/zarvkernel/dev_obj.h"

#include "host/zarvkernel/driver.h"

CZARVDevObj::CZARVDevObj(unsigned char portNo, CZARVDriver* driver)
    : m_nPortNo(portNo), m_pDriver(driver) {}

CZARVDevObj::~CZARVDevObj() = default;

bool CZARVDevObj::OnCreate(const CZARVMPInfo&) { return true; }

const char* CZARVDevObj::GetPortName() { return ""; }

void CZARVDevObj::StopService() {}

void CZARVDevObj::NotifyDriver(unsigned char event) {
    if (m_pDriver) m_pDriver->OnNetPortEvent(m_nPortNo, event, this);
}
