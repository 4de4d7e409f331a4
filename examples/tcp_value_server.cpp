// A driver derived from the engine driver that opens a TCP port and serves
// the engine's live values over it.
//
// The driver connects to a control centre and answers its requests, one
// per line:
//   GET <gmpid>          ->  <gmpid> <value> <quality>
//   SET <gmpid> <value>  ->  OK <gmpid>   (or ERR <gmpid>)
// To run on its own, the example plays the control centre too: it listens
// on 127.0.0.1 (a port the system picks), lets the driver connect, sends a
// few requests and prints the answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "zarvqencore.h"

namespace {

class ValueServerDriver : public CZARVQENDriver {
public:
    ValueServerDriver(CZARVQENDbEngine* engine, int centrePort)
        : CZARVQENDriver(engine), m_centrePort(centrePort) {}

    // Handles every complete request line received so far; returns how many.
    int Serve() {
        char* data = nullptr;
        int n = RcvFrom(data);
        if (n > 0) m_pending.append(data, static_cast<size_t>(n));
        int handled = 0;
        for (size_t end; (end = m_pending.find('\n')) != std::string::npos; ++handled) {
            std::string reply = Answer(m_pending.substr(0, end)) + "\n";
            m_pending.erase(0, end + 1);
            SendPacket(reply.data(), static_cast<unsigned int>(reply.size()), "");
        }
        return handled;
    }

protected:
    // Asks for a TCP client port to the control centre.
    bool OnCreatePortInfo(CZARVMPInfo& info) override {
        info.InsertMPProp(PORTPROP_NET, _zarvVAR("1"), 0);  // 1: TCP client
        info.InsertMPProp(PORTPROP_HOST, _zarvVAR("127.0.0.1"), 0);
        info.InsertMPProp(PORTPROP_REMOTEPORT, _zarvVAR(std::to_string(m_centrePort).c_str()), 0);
        return true;
    }

private:
    std::string Answer(const std::string& line) {
        char verb[8] = {0}, value[64] = {0};
        unsigned long gmpid = 0;
        int fields = std::sscanf(line.c_str(), "%7s %lx %63s", verb, &gmpid, value);
        char id[16];
        std::snprintf(id, sizeof id, "%08lX", gmpid);
        if (fields >= 2 && std::string(verb) == "GET") {
            _zarvVAR v;
            CMPQuality quality;
            CZARVTime time;
            // The engine driver's value operations go to the engine.
            if (!ReadValue(gmpid, v, quality, time)) return std::string("ERR ") + id;
            return std::string(id) + " " + v.ToString() + " " + (quality.IsGood() ? "good" : "bad");
        }
        if (fields == 3 && std::string(verb) == "SET") {
            _zarvVAR v;
            v = std::atof(value);
            unsigned int r = WriteValue(gmpid, v, CMPQuality(), CZARVTime::Now());
            return std::string(r != 0 ? "OK " : "ERR ") + id;
        }
        return "ERR bad request";
    }

    int m_centrePort;
    std::string m_pending;
};

// A listening socket on 127.0.0.1 with a port the system picks.
int Listen(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return -1;
    port = ntohs(addr.sin_port);
    return fd;
}

}  // namespace

int main() {
    // An engine with two measured values in RID 200.
    CZARVQENDbEngine engine("1.0.0");
    engine.CreateConfigDB(200, 0);
    for (unsigned long gmpid : {0xC8010000UL, 0xC8010001UL}) {
        auto* info = new CZARVMPInfo(gmpid);
        engine.InsertMPInfo(info);
        info->Release();
    }
    _zarvVAR voltage, current;
    voltage = 20.9;
    current = 312.5;
    engine.WriteValue(0xC8010000, voltage, CMPQuality(), CZARVTime::Now());
    engine.WriteValue(0xC8010001, current, CMPQuality(), CZARVTime::Now());

    int port = 0;
    int listener = Listen(port);
    if (listener < 0) {
        std::perror("listen");
        return 1;
    }
    // The driver's record; bits 16 to 23 of its GMPID give the port number.
    auto* driver = new ValueServerDriver(&engine, port);
    CZARVMPInfo record(0xC8FF0000);
    record.InsertMPProp(1, _zarvVAR("value_server"), 0);
    bool created = driver->Create(record);  // connects to the listener
    int centre = created ? accept(listener, nullptr, nullptr) : -1;
    if (centre < 0) {
        std::fprintf(stderr, "the driver could not connect\n");
        driver->Release();
        close(listener);
        return 1;
    }
    driver->Run();
    std::printf("driver %s connected to 127.0.0.1:%d\n", driver->GetName(), port);

    const std::string requests = "GET C8010000\nGET C8010001\nSET C8010001 298.0\nGET C8010001\n";
    if (write(centre, requests.data(), requests.size()) != static_cast<ssize_t>(requests.size())) {
        std::perror("write");
        return 1;
    }
    // One thread: the driver serves, the control centre reads, in turns.
    std::string answers;
    int lines = 0;
    for (int round = 0; round < 500 && lines < 4; ++round) {
        driver->Serve();
        pollfd pfd{centre, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0) {
            char buf[512];
            ssize_t n = read(centre, buf, sizeof buf);
            if (n <= 0) break;
            answers.append(buf, static_cast<size_t>(n));
            lines = 0;
            for (char c : answers) lines += c == '\n';
        }
    }
    std::printf("%s", answers.c_str());

    driver->Exit();
    driver->Release();
    close(centre);
    close(listener);
    return lines == 4 ? 0 : 1;
}
