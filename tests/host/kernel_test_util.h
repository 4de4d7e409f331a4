// Shared by the kernel's and the engine driver's tests: a driver that logs
// its hooks, the run-state rules, and real peers for the ports. Waits are bounded.
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
#include <tuple>
#include <vector>

#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/port_srv.h"
#include "support/make_var.h"

namespace kernel_test {

constexpr int kWaitMs = 3000;
using Clock = std::chrono::steady_clock;

using ::Var;

// A driver of class `Base` that logs its hooks ("r" run, "p" pause, "c"
// continue, "x" exit) and link events.
template <class Base>
class Recording : public Base {
public:
    using Base::Base;
    std::string hooks;
    std::vector<unsigned char> events;

    void SetRunState(int state) { this->m_nRunState = state; }
    void OnNetPortEvent(unsigned char port, unsigned char event, void* source) override {
        events.push_back(event);
        Base::OnNetPortEvent(port, event, source);
    }

protected:
    int OnRun() override { return hooks += 'r', 7; }
    void OnExit() override { hooks += 'x'; }
    void OnPause(bool pause) override { hooks += pause ? 'p' : 'c'; }
};
using RecordingDriver = Recording<CZARVDriver>;

// Each operation from a state, the state it leaves and its hook, which runs
// after the state has moved (none for exit of a stopped driver; a failed
// driver, 4, stays failed until it runs again).
template <class Driver>
void ExpectRunStateRules(Driver& d) {
    const std::tuple<int, char, int> steps[] = {{0, 'r', 1}, {4, 'r', 1}, {1, 'p', 2},
                                                {0, 'p', 0}, {2, 'c', 1}, {4, 'c', 4},
                                                {0, 'x', 0}, {2, 'x', 0}, {4, 'x', 4}};
    for (const auto& [from, op, to] : steps) {
        SCOPED_TRACE(::testing::Message() << "from " << from << " op " << op);
        d.SetRunState(from);
        d.hooks.clear();
        if (op == 'r') {
            EXPECT_EQ(d.Run(), 7);
        }
        if (op == 'p' || op == 'c') d.Pause(op == 'p');
        if (op == 'x') d.Exit();
        EXPECT_EQ(d.GetRunState(), to);
        EXPECT_EQ(d.hooks, from == 0 && op == 'x' ? "" : std::string(1, op));
    }
}

inline sockaddr_in Loopback(int port) {
    return sockaddr_in{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
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

protected:
    int m_fd;
    int m_port = 0;
};

class TcpListener : public LoopbackSocket {
public:
    TcpListener() : LoopbackSocket(SOCK_STREAM) { listen(m_fd, 4); }
    ~TcpListener() { close(m_accepted); }
    // The next connection (closed with the listener), or -1 when none came in time.
    int Accept() { return m_accepted = WaitReadable(m_fd) ? accept(m_fd, nullptr, nullptr) : -1; }

private:
    int m_accepted = -1;
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
struct PtyPeer {
    PtyPeer() {
        char name[128];
        if (fd >= 0 && grantpt(fd) == 0 && unlockpt(fd) == 0 &&
            ptsname_r(fd, name, sizeof name) == 0)
            slave = name;
    }
    ~PtyPeer() { Close(); }
    void Close() { fd = fd >= 0 ? (close(fd), -1) : -1; }
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave;
};

// Calls `read(char*& buf)`, which answers like PacketList2Buffer, until `want`
// bytes came, it answers -1 or the wait ends. *last gets the last answer.
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
