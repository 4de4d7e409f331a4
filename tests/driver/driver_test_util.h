// What the engine driver's tests share: a derived driver that asks for the
// port its test configures and logs its hooks. Peers and value helpers come
// from the kernel's tests.
#ifndef TESTS_DRIVER_DRIVER_TEST_UTIL_H_
#define TESTS_DRIVER_DRIVER_TEST_UTIL_H_

#include <string>
#include <utility>
#include <vector>

#include "driver/qen_driver.h"
#include "engine/db_engine.h"
#include "host/kernel_test_util.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_obj.h"

namespace driver_test {

using namespace kernel_test;
using Props = std::vector<std::pair<unsigned short, _zarvVAR>>;

// Hands its port-information hook the properties its test set; with
// `askForPort` false it declines like the base class.
class PortDriver : public Recording<CZARVQENDriver> {
public:
    using Recording::Recording;
    Props portProps;
    bool askForPort = true;
    int portInfoPropsOnEntry = -1;

    using CZARVQENDriver::CreatePort;
    using CZARVQENDriver::GetPortNo;

protected:
    bool OnCreatePortInfo(CZARVMPInfo& info) override {
        portInfoPropsOnEntry = info.GetMPPropCount();
        for (const auto& [id, value] : portProps) info.SetMPProp(id, value, 0);
        return askForPort;
    }
};

// A driver of `engine` in a test's hands, with its record.
class DriverFixture : public ::testing::Test {
protected:
    explicit DriverFixture(unsigned long gmpid)
        : record(CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid))) {}
    bool Send(const std::string& bytes, const char* target = "") {
        return driver->SendPacket(bytes.data(), static_cast<unsigned int>(bytes.size()), target);
    }

    CZARVPtr<CZARVQENDbEngine> engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine());
    CZARVPtr<CZARVMPInfo> record;
    CZARVPtr<PortDriver> driver = CZARVPtr<PortDriver>::Adopt(new PortDriver(engine.get()));
};

}  // namespace driver_test

#endif  // TESTS_DRIVER_DRIVER_TEST_UTIL_H_
