// CPhyPacket: one packet of bytes travelling through a port.
//
// A packet owns a copy of its bytes, the name of the port it belongs to and
// a target text. For a packet to send, the target tells the port where to
// send it: a UDP client port reads a non-empty target as "host:port" and
// sends the datagram there instead of to its configured peer; serial and
// TCP ports ignore it. For a received packet, the target is the sender:
// "address:port" for UDP, the port's name otherwise.
#ifndef ZARVKERNEL_PHY_PACKET_H_
#define ZARVKERNEL_PHY_PACKET_H_

#include <vector>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"

class ZARVKERNEL_API CPhyPacket {
public:
    CPhyPacket() = default;
    // Copies `length` bytes of `data` (none when data is null); null texts
    // are stored empty.
    CPhyPacket(const char* data, unsigned int length, const char* portName = nullptr,
               const char* target = nullptr);

    // The bytes; valid while the packet lives and is not changed.
    const char* GetData() const { return m_data.data(); }
    unsigned int GetLength() const { return static_cast<unsigned int>(m_data.size()); }
    const char* GetPortName() const { return m_strPortName.c_str(); }
    const char* GetTarget() const { return m_strTarget.c_str(); }

    void SetData(const char* data, unsigned int length);
    void SetPortName(const char* name) { m_strPortName = name; }
    void SetTarget(const char* target) { m_strTarget = target; }

private:
    std::vector<char> m_data;
    _zarv_str m_strPortName;
    _zarv_str m_strTarget;
};

#endif  // ZARVKERNEL_PHY_PACKET_H_
