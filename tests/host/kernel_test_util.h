// What the kernel's tests and the engine driver's tests share: values of
// any kind, a driver that logs its hooks, the run-state rules every driver
// keeps, and real peers for the ports (a TCP listener and a UDP socket on
// 127.0.0.1, the far end of a pseudo-terminal). Every wait is bounded.
#ifndef TESTS_HOST_KERNEL_TEST_UTIL_H_
#define TESTS_HOST_KERNEL_TEST_UTIL_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
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
using Clock = std::chrono::steady_clock;

template <class T>
_zarvVAR Var(T value) {
    _zarvVAR v;
    v = value;
    return v;
}

// A driver of class `Base` that logs its hooks and link events.
template <class Base>
class Recording : public Base {
public:
    using Base::Base;
    std::vector<std::string> hooks;
    std::vector<unsigned char> events;

    void SetRunState(int state) { this->m_nRunState = state; }
    void OnNetPortEvent(unsigned char port, unsigned char event, void* source) override {
        events.push_back(event);
        Base::OnNetPortEvent(port, event, source);
    }

protected:
    int OnRun() override {
        hooks.push_back("OnRun");
        return 7;
    }
    void OnExit() override { hooks.push_back("OnExit"); }
    void OnPause(bool pause) override { hooks.push_back(pause ? "OnPause(1)" : "OnPause(0)"); }
};
using RecordingDriver = Recording<CZARVDriver>;

// Run, pause and exit from each state: the state left and the hook run
// (none for Exit of a stopped driver; a failed driver stays failed).
template <class Driver>
void ExpectRunStateRules(Driver& d) {
    enum Op { kRun, kPauseOn, kPauseOff, kExit };
    const struct { int from; Op op; int to; const char* hook; } steps[] = {  // clang-format off
        {0, kRun, 1, "OnRun"}, {4, kRun, 1, "OnRun"}, {1, kPauseOn, 2, "OnPause(1)"},
        {0, kPauseOn, 0, "OnPause(1)"}, {2, kPauseOff, 1, "OnPause(0)"}, {4, kPauseOff, 4, "OnPause(0)"},
        {0, kExit, 0, nullptr}, {2, kExit, 0, "OnExit"}, {4, kExit, 4, "OnExit"},
    };  // clang-format on
    for (const auto& s : steps) {
        SCOPED_TRACE(::testing::Message() << "from " << s.from << " op " << s.op);
        d.SetRunState(s.from);
        d.hooks.clear();
        if (s.op == kRun) { EXPECT_EQ(d.Run(), 7); }
        if (s.op == kPauseOn || s.op == kPauseOff) d.Pause(s.op == kPauseOn);
        if (s.op == kExit) d.Exit();
        EXPECT_EQ(d.GetRunState(), s.to);
        EXPECT_EQ(d.hooks, s.hook ? std::vector<std::string>{s.hook} : std::vector<std::string>{});
    }
}

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

inline bool WaitReadable(int fd, int ms = kWaitMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

// A socket of `type` bound to an ephemeral port on 127.0.0.1.
class LoopbackSocket {
public:
    explicit LoopbackSocket(int type) : m_fd(socket(AF_INET, type | SOCK_CLOEXEC, 0)) {
        sockaddr_in a = Loopback(0);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
    }
    ~LoopbackSocket() { close(m_fd); }
    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

protected:
    int m_fd;
    int m_port = 0;
};

class TcpListener : public LoopbackSocket {
public:
    TcpListener() : LoopbackSocket(SOCK_STREAM) { listen(m_fd, 4); }
    ~TcpListener() {
        for (int fd : m_accepted) close(fd);
    }
    // The next connection, or -1 when none came within the wait.
    int Accept() {
        const int fd = WaitReadable(m_fd) ? accept(m_fd, nullptr, nullptr) : -1;
        if (fd >= 0) m_accepted.push_back(fd);
        return fd;
    }

private:
    std::vector<int> m_accepted;
};

class UdpPeer : public LoopbackSocket {
public:
    UdpPeer() : LoopbackSocket(SOCK_DGRAM) {}
    // One datagram and its sender's port; empty when none came.
    std::string Receive(int* fromPort = nullptr) {
        char buf[65536];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = WaitReadable(m_fd) ? recvfrom(m_fd, buf, sizeof buf, 0,
                                                        reinterpret_cast<sockaddr*>(&from), &len)
                                             : -1;
        if (n >= 0 && fromPort) *fromPort = ntohs(from.sin_port);
        return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
    }
    void SendTo(int port, const std::string& data) {
        sockaddr_in a = Loopback(port);
        sendto(m_fd, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
};

// The serial line's far end: the master of a pseudo-terminal pair.
class PtyPeer {
public:
    PtyPeer() {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        char name[128];
        if (m_fd >= 0 && grantpt(m_fd) == 0 && unlockpt(m_fd) == 0 &&
            ptsname_r(m_fd, name, sizeof name) == 0)
            m_slave = name;
    }
    ~PtyPeer() { Close(); }
    void Close() { m_fd = m_fd >= 0 ? (close(m_fd), -1) : -1; }
    int fd() const { return m_fd; }
    const std::string& slave() const { return m_slave; }

private:
    int m_fd = -1;
    std::string m_slave;
};

// Calls `read(char*& buf)`, which answers like PacketList2Buffer, until
// `want` bytes came, it answers -1, or the wait ends. *last gets the last
// answer.
template <class Read>
std::string Drain(Read read, size_t want, int* last = nullptr) {
    std::string got;
    int r = 0;
    const auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
    while (got.size() < want && Clock::now() < end && r >= 0) {
        char* buf = nullptr;
        r = read(buf);
        if (r > 0) got.append(buf, static_cast<size_t>(r));
        if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (last) *last = r;
    return got;
}

// Reads what the peer side `fd` has within the wait.
inline std::string ReadSome(int fd, size_t want) {
    char data[4096];
    return Drain(
        [&](char*& buf) {
            if (!WaitReadable(fd, 100)) return 0;
            const ssize_t n = read(fd, buf = data, sizeof data);
            return n > 0 ? static_cast<int>(n) : -1;  // the end or an error
        },
        want);
}

inline std::string Collect(CZARVPortSrv& port, size_t want, int* last = nullptr) {
    return Drain([&](char*& buf) { return port.PacketList2Buffer(buf, nullptr); }, want, last);
}

}  // namespace kernel_test

#endif  // TESTS_HOST_KERNEL_TEST_UTIL_H_
