#include "host/zarvkernel/net_port.h"

#include <netdb.h>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "host/zarvkernel/mp_info.h"

CZARVNetPort::CZARVNetPort(unsigned char portNo, CZARVDriver* driver)
    : CZARVPortSrv(portNo, driver) {}

CZARVNetPort::~CZARVNetPort() = default;

bool CZARVNetPort::Configure(const CZARVMPInfo& info) {
    if (!CZARVPortSrv::Configure(info)) return false;
    _zarv_str host = ReadTextProp(info, PORTPROP_HOST);
    int remotePort = 0, localPort = 0, connTimeout = 0;
    if (host.empty() || !info.IsExist(PORTPROP_REMOTEPORT) ||
        !ReadIntProp(info, PORTPROP_REMOTEPORT, 0, 1, 65535, remotePort) ||
        !ReadIntProp(info, PORTPROP_LOCALPORT, 0, 0, 65535, localPort) ||
        !ReadIntProp(info, PORTPROP_CONN_TIMEOUT, 3000, 1, 60000, connTimeout))
        return false;
    m_strHost = host;
    m_nRemotePort = remotePort;
    m_nLocalPort = localPort;
    m_nConnTimeoutMs = connTimeout;
    m_strName.Format("%s:%d", m_strHost.c_str(), m_nRemotePort);
    return true;
}

ssize_t CZARVNetPort::WriteSome(const char* data, size_t n) {
    // A peer that has gone must give EPIPE, not kill the process.
    return ::send(GetFd(), data, n, MSG_NOSIGNAL);
}

int CZARVNetPort::Resolve(const char* host, int port, int socktype, std::vector<Address>& out) {
    if (!host || !*host || port < 0 || port > 65535) return 0;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socktype;
    hints.ai_flags = AI_NUMERICSERV;
    const std::string service = std::to_string(port);
    addrinfo* list = nullptr;
    if (::getaddrinfo(host, service.c_str(), &hints, &list) != 0) return 0;
    int found = 0;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_addrlen > sizeof(sockaddr_storage)) continue;
        Address a;
        std::memcpy(&a.addr, ai->ai_addr, ai->ai_addrlen);
        a.len = ai->ai_addrlen;
        a.family = ai->ai_family;
        out.push_back(a);
        ++found;
    }
    ::freeaddrinfo(list);
    return found;
}

bool CZARVNetPort::ResolveTarget(const char* target, int socktype, Address& out) {
    if (!target) return false;
    const std::string_view text(target);
    std::string_view host, port;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return false;
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const size_t colon = text.rfind(':');
        if (colon == std::string_view::npos) return false;
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    int number = 0;
    auto res = std::from_chars(port.data(), port.data() + port.size(), number);
    if (host.empty() || port.empty() || res.ec != std::errc() ||
        res.ptr != port.data() + port.size() || number < 1 || number > 65535)
        return false;
    std::vector<Address> found;
    if (Resolve(std::string(host).c_str(), number, socktype, found) == 0) return false;
    out = found.front();
    return true;
}

_zarv_str CZARVNetPort::AddressText(const sockaddr* addr, socklen_t len) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (!addr || ::getnameinfo(addr, len, host, sizeof host, service, sizeof service,
                               NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return _zarv_str();
    _zarv_str text;
    if (addr->sa_family == AF_INET6)
        text.Format("[%s]:%s", host, service);
    else
        text.Format("%s:%s", host, service);
    return text;
}
