#include "host/zarvkernel/phy_packet.h"

CPhyPacket::CPhyPacket(const char* data, unsigned int length, const char* portName,
                       const char* target)
    : m_strPortName(portName), m_strTarget(target) {
    SetData(data, length);
}

void CPhyPacket::SetData(const char* data, unsigned int length) {
    if (data && length)
        m_data.assign(data, data + length);
    else
        m_data.clear();
}
