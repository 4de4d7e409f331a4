#include "driver/qen_msg_reciever.h"

// Defined here so that the interface's type information lives in the
// library and a host's receivers share it.
CZARVQENMsgReciever::CZARVQENMsgReciever() = default;

CZARVQENMsgReciever::~CZARVQENMsgReciever() = default;
