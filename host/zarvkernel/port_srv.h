// CZARVPortSrv: a communication port of a driver, doing real I/O on a file
// descriptor (a serial device or a socket).
//
// Life cycle. OnCreate(record) reads the port's settings from its
// port-information record (properties below) and opens the device; a port
// that is open is closed first. StopService() closes the device;
// StartService() opens it again with the settings of the last successful
// configuration. The destructor closes whatever is still open, without
// telling the driver.
//
// No threads and no blocking without bound: the device is non-blocking;
// Send waits for the device to take the bytes at most the I/O timeout;
// opening a TCP connection waits at most the connect timeout; receiving
// never waits. Names of hosts go through the system resolver, whose own
// limits bound that wait; numeric addresses never touch it.
//
// Receiving. Nothing is read in the background: PacketList2Buffer drains
// what the device holds right now into the port's packet list (at most
// kMaxQueuedBytes wait there; beyond that the device keeps the rest), then
// moves the packets into the port's own buffer and hands it out. (The list
// may exceed that bound by one read of at most 64 KiB, so that a datagram is
// never cut.)
//
// Link state. A port is open after a successful OnCreate/StartService and
// closed after StopService. It is broken when the peer closed the
// connection or the device failed (end of stream, a hang-up, a reset, an
// I/O error); the device is then closed at once. A broken port stays broken
// until StartService or OnCreate succeeds again. Open, close and break are
// reported to the driver with CZARVDriver::OnNetPortEvent (NETEVT_CONNECTED,
// NETEVT_CLOSED, NETEVT_BROKEN); every packet sent or received is handed to
// CZARVDriver::SendMonitorPacket.
#ifndef ZARVKERNEL_PORT_SRV_H_
#define ZARVKERNEL_PORT_SRV_H_

#include <sys/types.h>
#include <cstddef>
#include <deque>
#include <vector>

#include "host/zarvkernel/dev_obj.h"
#include "host/zarvkernel/phy_packet.h"
#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"

// Properties of a port-information record. Numbers are read with the
// variant's integer conversion (a text converts like atoi); texts with its
// text conversion. An absent property takes its default; a present one
// outside its range makes OnCreate fail.
enum PORTPROP : unsigned short {
    PORTPROP_COM = 11,           // non-zero: a serial port
    PORTPROP_NET = 12,           // network kind, see PORTNETKIND
    PORTPROP_DEVICE = 13,        // serial: device path, required
    PORTPROP_BAUD = 14,          // serial: baud rate, default 9600 (a rate termios knows)
    PORTPROP_PARITY = 15,        // serial: 0 none (default), 1 odd, 2 even
    PORTPROP_DATABITS = 16,      // serial: 5 to 8, default 8
    PORTPROP_STOPBITS = 17,      // serial: 1 (default) or 2
    PORTPROP_HOST = 18,          // network: remote host name or address, required
    PORTPROP_REMOTEPORT = 19,    // network: remote port 1 to 65535, required
    PORTPROP_LOCALPORT = 20,     // UDP: local port to bind, 0 to 65535, default 0 (any)
    PORTPROP_CONN_TIMEOUT = 21,  // TCP: connect timeout in ms, 1 to 60000, default 3000
    PORTPROP_IO_TIMEOUT = 22,    // send timeout in ms, 0 to 60000, default 1000
};

// Values of PORTPROP_NET.
enum PORTNETKIND : short {
    PORTNET_NONE = 0,
    PORTNET_TCP_CLIENT = 1,
    PORTNET_TCP_SERVER = 2,  // not provided by the kernel
    PORTNET_UDP_CLIENT = 3,
};

class ZARVKERNEL_API CZARVPortSrv : public CZARVDevObj {
public:
    // Most bytes that wait in the packet list of one port.
    static constexpr size_t kMaxQueuedBytes = 1 << 20;

    CZARVPortSrv(unsigned char portNo, CZARVDriver* driver);
    ~CZARVPortSrv() override;

    // Reads the settings and opens the device. False when a setting is
    // missing or out of range or the device cannot be opened; the port is
    // then closed.
    bool OnCreate(const CZARVMPInfo& info) override;
    // Serial: the device path; network: "host:port" as configured. Empty
    // before the first successful configuration.
    const char* GetPortName() override;
    // Closes the device and drops every packet not yet handed out. Reports
    // NETEVT_CLOSED when the port was open.
    void StopService() override;
    // Opens the device again with the last settings; true when it is open
    // afterwards (also when it was open already). False before any
    // successful configuration.
    virtual bool StartService();
    // Sends the packet's bytes. False on a closed or broken port, when the
    // device does not take every byte within the I/O timeout, or on an
    // error (a lost connection breaks the port). An empty packet sends
    // nothing and is true on an open port.
    virtual bool Send(CPhyPacket& packet);

    // Hands out what the port received: drains the device, moves the queued
    // packets of `portName` into the port's own buffer, points `buffer` at
    // it and returns the byte count. Packets match when `portName` is null,
    // empty or the port's own name, or else equals their sender (the
    // target of a received packet, CPhyPacket); the others stay queued.
    // The buffer stays valid until the next call, StopService or the
    // port's end. Returns 0 when nothing arrived on a working port. Bytes
    // that arrived before a connection broke are handed out first; once
    // none are left, a broken, closed or never opened port returns -1 and
    // sets `buffer` to null.
    int PacketList2Buffer(char*& buffer, const char* portName);

    bool IsOpen() const { return m_fd >= 0; }
    bool IsBroken() const { return m_bBroken; }
    // Bytes received and not yet handed out.
    size_t GetQueuedBytes() const { return m_nQueued; }

protected:
    // Result of ReadDevice when the link is gone.
    static constexpr ssize_t kLinkBroken = -1;

    // Reads the port's settings from its record; false when one is missing
    // or out of range. Sets the port's name on success. The base reads the
    // I/O timeout (derived ports call it first).
    virtual bool Configure(const CZARVMPInfo& info);
    // Opens the device and returns a non-blocking descriptor, or -1.
    virtual int OpenDevice();
    // Sends one packet on the open descriptor. The base writes the bytes
    // as a stream within the I/O timeout (WriteSome); false when it could
    // not, and the port is broken when the link is gone.
    virtual bool SendBytes(const CPhyPacket& packet);
    // One non-blocking write: bytes written, or -1 with errno set.
    virtual ssize_t WriteSome(const char* data, size_t n);
    // One non-blocking read into `buf`: the byte count (> 0), 0 when
    // nothing more is waiting, kLinkBroken when the link is gone. `source`
    // receives the sender; the base leaves it as it is (the port's name).
    virtual ssize_t ReadDevice(char* buf, size_t capacity, _zarv_str& source);

    // Closes the device because the link is gone and reports NETEVT_BROKEN.
    void Break();
    // Reads an integer property: `def` when absent, false when present and
    // outside [lo, hi].
    static bool ReadIntProp(const CZARVMPInfo& info, unsigned short id, long long def, long long lo,
                            long long hi, int& out);
    // The text of a property; empty when absent.
    static _zarv_str ReadTextProp(const CZARVMPInfo& info, unsigned short id);
    // Waits at most `timeoutMs` for the descriptor to accept bytes.
    bool WaitWritable(int timeoutMs) const;
    int GetFd() const { return m_fd; }

    _zarv_str m_strName;
    int m_nIoTimeoutMs = 1000;

private:
    void CloseDevice();
    void Drain();
    bool Matches(const CPhyPacket& packet, const char* portName) const;

    int m_fd = -1;
    bool m_bConfigured = false;
    bool m_bBroken = false;
    size_t m_nQueued = 0;
    std::deque<CPhyPacket> m_packets;
    std::vector<char> m_buffer;
    std::vector<char> m_chunk;  // read buffer of Drain, one datagram wide
};

#endif  // ZARVKERNEL_PORT_SRV_H_
