#include "host/zarvkernel/com_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "host/zarvkernel/mp_info.h"

namespace {

// The termios code of a baud rate; B0 when termios has no such rate.
speed_t SpeedCode(int baud) {
    struct Rate {
        int baud;
        speed_t code;
    };
    static constexpr Rate kRates[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},
#ifdef B460800
        {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
        {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
        {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
#endif
    };
    for (const Rate& r : kRates)
        if (r.baud == baud) return r.code;
    return B0;
}

tcflag_t SizeFlag(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

CZARVComPort::CZARVComPort(unsigned char portNo, CZARVDriver* driver)
    : CZARVPortSrv(portNo, driver) {}

CZARVComPort::~CZARVComPort() = default;

bool CZARVComPort::Configure(const CZARVMPInfo& info) {
    if (!CZARVPortSrv::Configure(info)) return false;
    _zarv_str device = ReadTextProp(info, PORTPROP_DEVICE);
    int baud = 0, parity = 0, dataBits = 0, stopBits = 0;
    if (device.empty() || !ReadIntProp(info, PORTPROP_BAUD, 9600, 1, 4000000, baud) ||
        SpeedCode(baud) == B0 || !ReadIntProp(info, PORTPROP_PARITY, 0, 0, 2, parity) ||
        !ReadIntProp(info, PORTPROP_DATABITS, 8, 5, 8, dataBits) ||
        !ReadIntProp(info, PORTPROP_STOPBITS, 1, 1, 2, stopBits))
        return false;
    m_strName = device;
    m_nBaud = baud;
    m_nParity = parity;
    m_nDataBits = dataBits;
    m_nStopBits = stopBits;
    return true;
}

int CZARVComPort::OpenDevice() {
    const int fd = ::open(m_strName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | SizeFlag(m_nDataBits);
    if (m_nParity != 0) tio.c_cflag |= PARENB | (m_nParity == 1 ? PARODD : 0);
    if (m_nStopBits == 2) tio.c_cflag |= CSTOPB;
    // One byte satisfies a read, so that a read without data reports EAGAIN
    // and a read of 0 bytes can only mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedCode(m_nBaud);
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    ::tcflush(fd, TCIOFLUSH);
    return fd;
}
