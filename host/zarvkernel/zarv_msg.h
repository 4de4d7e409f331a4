// CZARVMsg: a message handed to a driver (CZARVDriver::OnMessage).
//
// A message is a type code chosen by its sender, two numeric parameters and
// an optional payload of bytes. It is reference counted like every kernel
// object: whoever queues a message holds a reference, and a driver that
// wants to keep one beyond OnMessage takes its own.
#ifndef ZARVKERNEL_ZARV_MSG_H_
#define ZARVKERNEL_ZARV_MSG_H_

#include <vector>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_obj.h"

class ZARVKERNEL_API CZARVMsg : public CZARVObj {
public:
    explicit CZARVMsg(unsigned int type, unsigned long param1 = 0, unsigned long param2 = 0);
    ~CZARVMsg() override;

    unsigned int GetType() const { return m_nType; }
    unsigned long GetParam1() const { return m_nParam1; }
    unsigned long GetParam2() const { return m_nParam2; }

    // Copies `length` bytes (none when data is null).
    void SetData(const char* data, unsigned int length);
    const char* GetData() const { return m_data.data(); }
    unsigned int GetDataLength() const { return static_cast<unsigned int>(m_data.size()); }

private:
    unsigned int m_nType;
    unsigned long m_nParam1;
    unsigned long m_nParam2;
    std::vector<char> m_data;
};

#endif  // ZARVKERNEL_ZARV_MSG_H_
