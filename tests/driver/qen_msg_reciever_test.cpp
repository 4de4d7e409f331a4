#include "driver/qen_msg_reciever.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "host/zarvkernel/zarv_msg.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

// A host's receiver: keeps the messages it is handed and logs its end.
class HostReceiver : public CZARVQENMsgReciever {
public:
    explicit HostReceiver(std::vector<std::string>* log) : m_log(log) {}
    ~HostReceiver() override { m_log->push_back("destroyed"); }

    int OnReceiveMsg(CZARVMsg* msg) override {
        if (!msg) return -1;
        kept.emplace_back(msg);
        m_log->push_back("msg " + std::to_string(msg->GetType()));
        return 0;
    }
    void OnReceiveEvent(unsigned short type, const char* text) override {
        m_log->push_back("event " + std::to_string(type) + " " + (text ? text : ""));
    }

    std::vector<CZARVPtr<CZARVMsg>> kept;

private:
    std::vector<std::string>* m_log;
};

TEST(QENMsgRecieverTest, HostReceivesThroughTheInterfaceAndEndsThroughIt) {
    std::vector<std::string> log;
    std::unique_ptr<CZARVQENMsgReciever> receiver(new HostReceiver(&log));

    CZARVPtr<CZARVMsg> msg = CZARVPtr<CZARVMsg>::Adopt(new CZARVMsg(9, 1, 2));
    EXPECT_EQ(receiver->OnReceiveMsg(msg.get()), 0);
    EXPECT_EQ(receiver->OnReceiveMsg(nullptr), -1);
    receiver->OnReceiveEvent(3, "overheat");
    // The receiver took its own reference on the message it keeps.
    EXPECT_EQ(msg->GetRefCount(), 2);

    receiver.reset();
    EXPECT_EQ(msg->GetRefCount(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"msg 9", "event 3 overheat", "destroyed"}));
}

TEST(QENMsgRecieverTest, IsAnAbstractBaseObject) {
    static_assert(std::is_abstract_v<CZARVQENMsgReciever>);
    static_assert(std::is_base_of_v<CZARVBaseObj, CZARVQENMsgReciever>);
    static_assert(std::has_virtual_destructor_v<CZARVQENMsgReciever>);
    static_assert(!std::is_base_of_v<CZARVObj, CZARVQENMsgReciever>);
    SUCCEED();
}

}  // namespace
