// CZARVDevObj: a device of a driver, known by a port number.
//
// The device keeps a plain pointer to the driver that owns it (no
// reference: the driver holds the device's reference, never the other way
// round) and may be given no driver at all, in which case it reports to
// nobody.
#ifndef ZARVKERNEL_DEV_OBJ_H_
#define ZARVKERNEL_DEV_OBJ_H_

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"

class CZARVDriver;
class CZARVMPInfo;

class ZARVKERNEL_API CZARVDevObj : public CZARVObj {
public:
    CZARVDevObj(unsigned char portNo, CZARVDriver* driver);
    ~CZARVDevObj() override;

    unsigned char GetPortNo() const { return m_nPortNo; }
    CZARVDriver* GetDriver() const { return m_pDriver; }

    // Configures and opens the device from its information record. The base
    // accepts any record and opens nothing.
    virtual bool OnCreate(const CZARVMPInfo& info);
    // The device's name; never null. The base's is empty.
    virtual const char* GetPortName();
    // Closes the device; the base has nothing to close.
    virtual void StopService();

protected:
    // Reports a link event (CZARVDriver::NETEVENT) to the owning driver.
    void NotifyDriver(unsigned char event);

private:
    unsigned char m_nPortNo;
    CZARVDriver* m_pDriver;
};

#endif  // ZARVKERNEL_DEV_OBJ_H_
