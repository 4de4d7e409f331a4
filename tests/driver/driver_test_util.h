// What the engine driver's tests share: a derived driver that asks for the
// port its test configures and logs its hooks, and a bounded collector of
// the bytes the driver's port received. The peers (network and serial)
// come from the kernel's port tests.
#ifndef TESTS_DRIVER_DRIVER_TEST_UTIL_H_
#define TESTS_DRIVER_DRIVER_TEST_UTIL_H_

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "driver/qen_driver.h"
#include "host/kernel_port_peers.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvlib/zarv_var.h"

namespace driver_test {

using kernel_test::kWaitMs;
using kernel_test::PtyPeer;

inline _zarvVAR Long(long v) {
    _zarvVAR var;
    var = v;
    return var;
}

// A driver that hands its port-information hook the properties its test
// set, and logs every hook and link event in the order they came.
class PortDriver : public CZARVQENDriver {
public:
    explicit PortDriver(CZARVQENDbEngine* engine) : CZARVQENDriver(engine) {}

    // Properties OnCreatePortInfo copies into the record; `askForPort`
    // false makes it decline like the base class.
    std::vector<std::pair<unsigned short, _zarvVAR>> portProps;
    bool askForPort = true;
    int runResult = 7;

    std::vector<std::string> hooks;
    std::vector<unsigned char> linkEvents;
    unsigned long portInfoGMPID = 0;
    int portInfoPropsOnEntry = -1;

    void SetPortProp(unsigned short id, const _zarvVAR& value) {
        portProps.emplace_back(id, value);
    }
    void SetRunState(int state) { m_nRunState = state; }

    using CZARVQENDriver::CreatePort;
    using CZARVQENDriver::GetEngine;
    using CZARVQENDriver::GetPortNo;
    using CZARVQENDriver::OnCreate;

protected:
    bool OnCreatePortInfo(CZARVMPInfo& info) override {
        hooks.push_back("OnCreatePortInfo");
        portInfoGMPID = info.GetGMPID();
        portInfoPropsOnEntry = info.GetMPPropCount();
        for (const auto& [id, value] : portProps) info.SetMPProp(id, value, 0);
        return askForPort;
    }
    int OnRun() override {
        hooks.push_back("OnRun");
        return runResult;
    }
    void OnExit() override { hooks.push_back("OnExit"); }
    void OnPause(bool pause) override { hooks.push_back(pause ? "OnPause(1)" : "OnPause(0)"); }

public:
    void OnNetPortEvent(unsigned char port, unsigned char event, void* source) override {
        linkEvents.push_back(event);
        CZARVQENDriver::OnNetPortEvent(port, event, source);
    }
};

// Calls RcvFrom until `want` bytes came, it reports -1, or the wait ends.
// *last receives the last result.
inline std::string ReceiveThrough(CZARVQENDriver& driver, size_t want, int* last = nullptr) {
    std::string got;
    int r = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        char* buf = nullptr;
        r = driver.RcvFrom(buf);
        if (r < 0) break;
        if (r > 0)
            got.append(buf, static_cast<size_t>(r));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (last) *last = r;
    return got;
}

}  // namespace driver_test

#endif  // TESTS_DRIVER_DRIVER_TEST_UTIL_H_
