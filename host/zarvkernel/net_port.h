// CZARVNetPort: what the network ports share: the remote host and port, the
// timeouts, and the resolution of "host:port" texts.
//
// Settings (port-information record, see PORTPROP in port_srv.h): remote
// host (18, required), remote port (19, required), local port (20, UDP
// only), connect timeout (21, TCP only), send timeout (22). The port's name
// is "host:port" as configured.
#ifndef ZARVKERNEL_NET_PORT_H_
#define ZARVKERNEL_NET_PORT_H_

#include <sys/socket.h>
#include <vector>

#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"

class ZARVKERNEL_API CZARVNetPort : public CZARVPortSrv {
public:
    CZARVNetPort(unsigned char portNo, CZARVDriver* driver);
    ~CZARVNetPort() override;

    const char* GetHost() const { return m_strHost.c_str(); }
    int GetRemotePort() const { return m_nRemotePort; }
    int GetLocalPort() const { return m_nLocalPort; }
    int GetConnectTimeout() const { return m_nConnTimeoutMs; }

    // A resolved socket address.
    struct Address {
        sockaddr_storage addr{};
        socklen_t len = 0;
        int family = 0;
    };

    // Resolves host and port for sockets of `socktype` (SOCK_STREAM or
    // SOCK_DGRAM); appends every address found and returns their number
    // (0 when the host is unknown).
    static int Resolve(const char* host, int port, int socktype, std::vector<Address>& out);
    // Splits "host:port" at its last colon ("[v6address]:port" also) and
    // resolves it; false for a malformed text or an unknown host.
    static bool ResolveTarget(const char* target, int socktype, Address& out);
    // "address:port" (numeric) of a socket address; "[address]:port" for
    // IPv6.
    static _zarv_str AddressText(const sockaddr* addr, socklen_t len);

protected:
    bool Configure(const CZARVMPInfo& info) override;
    ssize_t WriteSome(const char* data, size_t n) override;

    _zarv_str m_strHost;
    int m_nRemotePort = 0;
    int m_nLocalPort = 0;
    int m_nConnTimeoutMs = 3000;
};

#endif  // ZARVKERNEL_NET_PORT_H_
