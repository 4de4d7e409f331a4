// CZARVQENMsgReciever: what a host program implements to receive the
// messages and events of its drivers.
//
// The library neither creates nor calls a receiver; a host derives from
// this interface and hands its receiver to whatever delivers messages to
// it. A receiver is no counted object: its owner destroys it, through this
// class if it likes (the destructor is virtual).
#ifndef DRIVER_QEN_MSG_RECIEVER_H_
#define DRIVER_QEN_MSG_RECIEVER_H_

#include "host/zarvlib/zarv_obj.h"
#include "zarvqen_export.h"

class CZARVMsg;

class ZARVQEN_API CZARVQENMsgReciever : public CZARVBaseObj {
public:
    CZARVQENMsgReciever();
    ~CZARVQENMsgReciever() override;

    // A message for the host. `msg` is borrowed: valid during the call; a
    // receiver that keeps it takes its own reference (AddRef). Returns 0
    // when the message was handled, any other value when it was not, so
    // that the sender may offer it elsewhere.
    virtual int OnReceiveMsg(CZARVMsg* msg) = 0;
    // An event record: its type code and its text (null is read as empty),
    // both as a driver reports them with WriteEvent. The text is borrowed
    // for the call.
    virtual void OnReceiveEvent(unsigned short type, const char* text) = 0;
};

#endif  // DRIVER_QEN_MSG_RECIEVER_H_
