// CZARVComPort: a serial port on a POSIX terminal device.
//
// Settings (port-information record, see PORTPROP in port_srv.h): device
// path (13, required), baud rate (14), parity (15), data bits (16), stop
// bits (17), send timeout (22). The device is opened non-blocking without
// becoming the controlling terminal and set to raw mode: no echo, no line
// editing, no flow control, the modem lines ignored (CLOCAL), reads
// returning at once. A path that is no terminal is refused. Pending bytes
// are discarded when the port opens.
//
// The port's name is the device path. A hang-up or an I/O error of the
// device (for example the other side of a pseudo-terminal closing) breaks
// the port.
#ifndef ZARVKERNEL_COM_PORT_H_
#define ZARVKERNEL_COM_PORT_H_

#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/zarvkernel_export.h"

class ZARVKERNEL_API CZARVComPort : public CZARVPortSrv {
public:
    CZARVComPort(unsigned char portNo, CZARVDriver* driver);
    ~CZARVComPort() override;

    const char* GetDevice() const { return m_strName.c_str(); }
    int GetBaudRate() const { return m_nBaud; }
    int GetParity() const { return m_nParity; }
    int GetDataBits() const { return m_nDataBits; }
    int GetStopBits() const { return m_nStopBits; }

protected:
    bool Configure(const CZARVMPInfo& info) override;
    int OpenDevice() override;

private:
    int m_nBaud = 9600;
    int m_nParity = 0;
    int m_nDataBits = 8;
    int m_nStopBits = 1;
};

#endif  // ZARVKERNEL_COM_PORT_H_
