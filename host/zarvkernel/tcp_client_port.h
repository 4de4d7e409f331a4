// CZARVTCPClientPort: a TCP connection to a remote host and port.
//
// Opening resolves the host and tries its addresses in turn, each connect
// waiting at most what is left of the connect timeout; a refused
// connection, an unknown host or a timeout make OnCreate/StartService
// fail. The peer closing the connection (or resetting it) breaks the port;
// the kernel does not reconnect by itself: the driver calls StartService
// when it wants to try again.
#ifndef ZARVKERNEL_TCP_CLIENT_PORT_H_
#define ZARVKERNEL_TCP_CLIENT_PORT_H_

#include "host/zarvkernel/net_port.h"
#include "host/zarvkernel/zarvkernel_export.h"

class ZARVKERNEL_API CZARVTCPClientPort : public CZARVNetPort {
public:
    CZARVTCPClientPort(unsigned char portNo, CZARVDriver* driver);
    ~CZARVTCPClientPort() override;

protected:
    int OpenDevice() override;
};

#endif  // ZARVKERNEL_TCP_CLIENT_PORT_H_
