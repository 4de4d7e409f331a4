#include "host/zarvkernel/zarv_msg.h"

CZARVMsg::CZARVMsg(unsigned int type, unsigned long param1, unsigned long param2)
    : m_nType(type), m_nParam1(param1), m_nParam2(param2) {}

CZARVMsg::~CZARVMsg() = default;

void CZARVMsg::SetData(const char* data, unsigned int length) {
    if (data && length)
        m_data.assign(data, data + length);
    else
        m_data.clear();
}
