#include "host/zarvkernel/tcp_client_port.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include "host/zarvkernel/internal/steady_ms.h"

namespace {

// Waits at most `timeoutMs` for a non-blocking connect to finish; true when
// it succeeded.
bool FinishConnect(int fd, int64_t timeoutMs) {
    const int64_t deadline = ZarvSteadyMs() + timeoutMs;
    for (;;) {
        const int64_t rest = deadline - ZarvSteadyMs();
        if (rest <= 0) return false;
        pollfd pfd{fd, POLLOUT, 0};
        const int r = ::poll(&pfd, 1, static_cast<int>(rest));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        int err = 0;
        socklen_t len = sizeof err;
        return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
    }
}

}  // namespace

CZARVTCPClientPort::CZARVTCPClientPort(unsigned char portNo, CZARVDriver* driver)
    : CZARVNetPort(portNo, driver) {}

CZARVTCPClientPort::~CZARVTCPClientPort() = default;

int CZARVTCPClientPort::OpenDevice() {
    std::vector<Address> addrs;
    if (Resolve(m_strHost.c_str(), m_nRemotePort, SOCK_STREAM, addrs) == 0) return -1;
    const int64_t deadline = ZarvSteadyMs() + m_nConnTimeoutMs;
    for (const Address& a : addrs) {
        const int fd = ::socket(a.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&a.addr), a.len) == 0;
        if (!connected && (errno == EINPROGRESS || errno == EINTR))
            connected = FinishConnect(fd, deadline - ZarvSteadyMs());
        if (connected) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        ::close(fd);
        if (ZarvSteadyMs() >= deadline) break;
    }
    return -1;
}
