#include "host/zarvkernel/udp_client_port.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include "host/zarvkernel/internal/steady_ms.h"

namespace {

// Empty datagrams are skipped; this many in a row end one read, so that a
// flood of them cannot hold the caller.
constexpr int kMaxEmptyDatagrams = 1024;

bool BindLocal(int fd, int family, int port) {
    sockaddr_storage ss{};
    socklen_t len = 0;
    if (family == AF_INET6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&ss);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_any;
        a->sin6_port = htons(static_cast<uint16_t>(port));
        len = sizeof *a;
    } else {
        auto* a = reinterpret_cast<sockaddr_in*>(&ss);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_ANY);
        a->sin_port = htons(static_cast<uint16_t>(port));
        len = sizeof *a;
    }
    return ::bind(fd, reinterpret_cast<sockaddr*>(&ss), len) == 0;
}

}  // namespace

CZARVUDPClientPort::CZARVUDPClientPort(unsigned char portNo, CZARVDriver* driver)
    : CZARVNetPort(portNo, driver) {}

CZARVUDPClientPort::~CZARVUDPClientPort() = default;

int CZARVUDPClientPort::OpenDevice() {
    std::vector<Address> addrs;
    if (Resolve(m_strHost.c_str(), m_nRemotePort, SOCK_DGRAM, addrs) == 0) return -1;
    const Address& remote = addrs.front();
    const int fd = ::socket(remote.family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (m_nLocalPort != 0 && !BindLocal(fd, remote.family, m_nLocalPort)) {
        ::close(fd);
        return -1;
    }
    m_remote = remote;
    return fd;
}

bool CZARVUDPClientPort::SendBytes(const CPhyPacket& packet) {
    Address dest = m_remote;
    if (*packet.GetTarget() && !ResolveTarget(packet.GetTarget(), SOCK_DGRAM, dest)) return false;
    const int64_t deadline = ZarvSteadyMs() + m_nIoTimeoutMs;
    for (;;) {
        const ssize_t w = ::sendto(GetFd(), packet.GetData(), packet.GetLength(), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&dest.addr), dest.len);
        if (w >= 0) return static_cast<size_t>(w) == packet.GetLength();
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        const int64_t rest = deadline - ZarvSteadyMs();
        if (rest <= 0 || !WaitWritable(static_cast<int>(rest))) return false;
    }
}

ssize_t CZARVUDPClientPort::ReadDevice(char* buf, size_t capacity, _zarv_str& source) {
    int empties = 0;
    for (;;) {
        sockaddr_storage from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n =
            ::recvfrom(GetFd(), buf, capacity, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n > 0) {
            source = AddressText(reinterpret_cast<const sockaddr*>(&from), fromLen);
            return n;
        }
        if (n == 0) {
            if (++empties >= kMaxEmptyDatagrams) return 0;
            continue;
        }
        if (errno == EINTR) continue;
        // EAGAIN: nothing waiting. Any other error of a datagram socket
        // (an ICMP report of an earlier send) concerns one datagram, not the
        // socket: nothing more to read now.
        return 0;
    }
}
