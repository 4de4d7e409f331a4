// Real peers for the port tests: a TCP listener and a UDP socket on
// 127.0.0.1, the far end of a pseudo-terminal, and a driver that records
// what its ports report. Every wait is bounded.
#ifndef TESTS_HOST_KERNEL_PORT_PEERS_H_
#define TESTS_HOST_KERNEL_PORT_PEERS_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/port_srv.h"

namespace kernel_test {

constexpr int kWaitMs = 3000;

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

inline int BoundPort(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

inline bool WaitReadable(int fd, int ms = kWaitMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

// Reads what `fd` has within the wait (blocking peer side).
inline std::string ReadSome(int fd, size_t want) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        if (!WaitReadable(fd, 100)) continue;
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

// A listening TCP socket on 127.0.0.1 with an ephemeral port.
class TcpListener {
public:
    TcpListener() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = Loopback(0);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(m_fd, 4);
        m_port = BoundPort(m_fd);
    }
    ~TcpListener() {
        for (int fd : m_accepted) close(fd);
        close(m_fd);
    }
    int port() const { return m_port; }
    // The next connection, or -1 when none came within the wait.
    int Accept() {
        if (!WaitReadable(m_fd)) return -1;
        const int fd = accept(m_fd, nullptr, nullptr);
        if (fd >= 0) m_accepted.push_back(fd);
        return fd;
    }

private:
    int m_fd;
    int m_port;
    std::vector<int> m_accepted;
};

// A UDP socket on 127.0.0.1 with an ephemeral port.
class UdpPeer {
public:
    UdpPeer() {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = Loopback(0);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        m_port = BoundPort(m_fd);
    }
    ~UdpPeer() { Close(); }
    void Close() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }
    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }
    // One datagram and its sender's port; empty when none came.
    std::string Receive(int* fromPort = nullptr) {
        if (!WaitReadable(m_fd)) return {};
        char buf[65536];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return {};
        if (fromPort) *fromPort = ntohs(from.sin_port);
        return std::string(buf, static_cast<size_t>(n));
    }
    void SendTo(int port, const std::string& data) {
        sockaddr_in a = Loopback(port);
        sendto(m_fd, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }

private:
    int m_fd;
    int m_port;
};

// The serial line's far end: the master of a pseudo-terminal pair.
class PtyPeer {
public:
    PtyPeer() {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd >= 0 && grantpt(m_fd) == 0 && unlockpt(m_fd) == 0) {
            char name[128];
            if (ptsname_r(m_fd, name, sizeof name) == 0) m_slave = name;
        }
    }
    ~PtyPeer() { Close(); }
    void Close() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }
    int fd() const { return m_fd; }
    const std::string& slave() const { return m_slave; }

private:
    int m_fd = -1;
    std::string m_slave;
};

// A driver that records the link events and monitored packets of its ports.
class RecordingDriver : public CZARVDriver {
public:
    std::vector<unsigned char> events;
    int sent = 0, received = 0;

    RecordingDriver() {
        SetPacketMonitor([this](const CPhyPacket&, bool out) { ++(out ? sent : received); });
    }
    void OnNetPortEvent(unsigned char port, unsigned char event, void* source) override {
        events.push_back(event);
        CZARVDriver::OnNetPortEvent(port, event, source);
    }
};

// Calls PacketList2Buffer until `want` bytes came, the port reports -1, or
// the wait ends. Returns the bytes; *last gets the last result.
inline std::string Collect(CZARVPortSrv& port, size_t want, const char* name = nullptr,
                           int* last = nullptr) {
    std::string got;
    int r = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        char* buf = nullptr;
        r = port.PacketList2Buffer(buf, name);
        if (r < 0) break;
        if (r > 0)
            got.append(buf, static_cast<size_t>(r));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (last) *last = r;
    return got;
}

// Polls PacketList2Buffer until the port reports -1 (true) or the wait ends.
inline bool WaitForBreak(CZARVPortSrv& port) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (std::chrono::steady_clock::now() < end) {
        char* buf = nullptr;
        if (port.PacketList2Buffer(buf, nullptr) < 0) return buf == nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

inline long long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 since)
        .count();
}

}  // namespace kernel_test

#endif  // TESTS_HOST_KERNEL_PORT_PEERS_H_
