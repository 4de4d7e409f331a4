#include "host/zarvkernel/port_srv.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/internal/steady_ms.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_var.h"

namespace {

// One read of Drain: wide enough for the largest datagram.
constexpr size_t kChunkBytes = 65536;

}  // namespace

CZARVPortSrv::CZARVPortSrv(unsigned char portNo, CZARVDriver* driver)
    : CZARVDevObj(portNo, driver) {
    // Keeps the buffer's address valid (non-null) even when nothing arrived.
    m_buffer.reserve(4096);
}

CZARVPortSrv::~CZARVPortSrv() { CloseDevice(); }

bool CZARVPortSrv::ReadIntProp(const CZARVMPInfo& info, unsigned short id, long long def,
                               long long lo, long long hi, int& out) {
    const _zarvVAR* v = info.FindMPProp(id);
    const long long n = v && !v->IsEmpty() ? v->ToLongLong() : def;
    if (n < lo || n > hi) return false;
    out = static_cast<int>(n);
    return true;
}

_zarv_str CZARVPortSrv::ReadTextProp(const CZARVMPInfo& info, unsigned short id) {
    const _zarvVAR* v = info.FindMPProp(id);
    return v ? static_cast<_zarv_str>(*v) : _zarv_str();
}

bool CZARVPortSrv::Configure(const CZARVMPInfo& info) {
    return ReadIntProp(info, PORTPROP_IO_TIMEOUT, 1000, 0, 60000, m_nIoTimeoutMs);
}

int CZARVPortSrv::OpenDevice() { return -1; }

bool CZARVPortSrv::OnCreate(const CZARVMPInfo& info) {
    if (IsOpen()) StopService();
    m_bConfigured = false;
    m_bBroken = false;
    if (!Configure(info)) return false;
    m_bConfigured = true;
    return StartService();
}

const char* CZARVPortSrv::GetPortName() { return m_strName.c_str(); }

void CZARVPortSrv::CloseDevice() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CZARVPortSrv::StopService() {
    const bool wasOpen = IsOpen();
    CloseDevice();
    m_bBroken = false;
    m_packets.clear();
    m_nQueued = 0;
    m_buffer.clear();
    if (wasOpen) NotifyDriver(CZARVDriver::NETEVT_CLOSED);
}

bool CZARVPortSrv::StartService() {
    if (!m_bConfigured) return false;
    if (IsOpen()) return true;
    const int fd = OpenDevice();
    if (fd < 0) return false;
    m_fd = fd;
    m_bBroken = false;
    NotifyDriver(CZARVDriver::NETEVT_CONNECTED);
    return true;
}

void CZARVPortSrv::Break() {
    CloseDevice();
    m_bBroken = true;
    NotifyDriver(CZARVDriver::NETEVT_BROKEN);
}

bool CZARVPortSrv::WaitWritable(int timeoutMs) const {
    const int64_t deadline = ZarvSteadyMs() + timeoutMs;
    for (;;) {
        pollfd pfd{m_fd, POLLOUT, 0};
        const int64_t rest = deadline - ZarvSteadyMs();
        if (rest < 0) return false;
        const int r = ::poll(&pfd, 1, static_cast<int>(rest));
        if (r > 0) return true;  // writable, or an error the next write reports
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

ssize_t CZARVPortSrv::WriteSome(const char* data, size_t n) { return ::write(m_fd, data, n); }

bool CZARVPortSrv::SendBytes(const CPhyPacket& packet) {
    const char* p = packet.GetData();
    size_t left = packet.GetLength();
    const int64_t deadline = ZarvSteadyMs() + m_nIoTimeoutMs;
    while (left > 0) {
        const ssize_t w = WriteSome(p, left);
        if (w > 0) {
            p += w;
            left -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int64_t rest = deadline - ZarvSteadyMs();
            if (rest <= 0 || !WaitWritable(static_cast<int>(rest))) return false;
            continue;
        }
        // Anything else (a reset, a closed pipe, an I/O error) means the
        // device can no longer carry bytes.
        Break();
        return false;
    }
    return true;
}

bool CZARVPortSrv::Send(CPhyPacket& packet) {
    if (!IsOpen()) return false;
    // Notices a peer that has gone before writing into the void.
    Drain();
    if (!IsOpen()) return false;
    if (packet.GetLength() == 0) return true;
    if (!SendBytes(packet)) return false;
    if (CZARVDriver* driver = GetDriver()) driver->SendMonitorPacket(packet, true);
    return true;
}

ssize_t CZARVPortSrv::ReadDevice(char* buf, size_t capacity, _zarv_str& /*source*/) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, capacity);
        if (n > 0) return n;
        if (n == 0) return kLinkBroken;  // end of stream or hang-up
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return kLinkBroken;
    }
}

void CZARVPortSrv::Drain() {
    if (m_chunk.empty()) m_chunk.resize(kChunkBytes);
    while (IsOpen() && m_nQueued < kMaxQueuedBytes) {
        _zarv_str source = m_strName;
        const ssize_t n = ReadDevice(m_chunk.data(), m_chunk.size(), source);
        if (n == 0) break;
        if (n < 0) {
            Break();
            break;
        }
        m_packets.emplace_back(m_chunk.data(), static_cast<unsigned int>(n), m_strName.c_str(),
                               source.c_str());
        m_nQueued += static_cast<size_t>(n);
        if (CZARVDriver* driver = GetDriver()) {
            // The monitor gets its own copy: it may stop the port, which
            // empties the packet list.
            CPhyPacket copy = m_packets.back();
            driver->SendMonitorPacket(copy, false);
        }
    }
}

bool CZARVPortSrv::Matches(const CPhyPacket& packet, const char* portName) const {
    if (!portName || !*portName || m_strName == portName) return true;
    return std::strcmp(packet.GetTarget(), portName) == 0;
}

int CZARVPortSrv::PacketList2Buffer(char*& buffer, const char* portName) {
    Drain();
    m_buffer.clear();
    for (auto it = m_packets.begin(); it != m_packets.end();) {
        if (!Matches(*it, portName)) {
            ++it;
            continue;
        }
        m_buffer.insert(m_buffer.end(), it->GetData(), it->GetData() + it->GetLength());
        m_nQueued -= it->GetLength();
        it = m_packets.erase(it);
    }
    if (m_buffer.empty() && !IsOpen()) {
        buffer = nullptr;
        return -1;
    }
    buffer = m_buffer.data();
    return static_cast<int>(m_buffer.size());
}
