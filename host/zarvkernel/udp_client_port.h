// CZARVUDPClientPort: datagrams to a remote host and port, and the answers.
//
// Opening resolves the remote host and makes a datagram socket of its
// family, bound to the local port when one is set. Each Send is one
// datagram, to the configured remote or, when the packet's target is a
// non-empty "host:port" text, to that target (a malformed or unknown target
// fails the Send). A datagram larger than the network takes fails too.
//
// Every datagram arriving at the socket is received as one packet whose
// target is its sender ("address:port"), so PacketList2Buffer can hand out
// the answers of one peer. Datagrams of no bytes are dropped. A datagram
// socket has no connection to lose: an unreachable peer never breaks the
// port, its answers simply do not come.
#ifndef ZARVKERNEL_UDP_CLIENT_PORT_H_
#define ZARVKERNEL_UDP_CLIENT_PORT_H_

#include "host/zarvkernel/net_port.h"
#include "host/zarvkernel/zarvkernel_export.h"

class ZARVKERNEL_API CZARVUDPClientPort : public CZARVNetPort {
public:
    CZARVUDPClientPort(unsigned char portNo, CZARVDriver* driver);
    ~CZARVUDPClientPort() override;

protected:
    int OpenDevice() override;
    bool SendBytes(const CPhyPacket& packet) override;
    ssize_t ReadDevice(char* buf, size_t capacity, _zarv_str& source) override;

private:
    Address m_remote;
};

#endif  // ZARVKERNEL_UDP_CLIENT_PORT_H_
