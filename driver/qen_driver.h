// CZARVQENDriver: the kernel driver that serves a configuration database
// engine's live values and, for a derived driver, opens one port.
//
// A host constructs the driver with an engine, calls Create with the
// driver's measurement-point record, then moves it with Run, Pause and Exit
// and asks it for values. The six value operations hand their arguments to
// the engine's operations of the same name and return their results
// unchanged; a driver without an engine refuses Create and must not be
// asked for values.
//
// Ports. This class asks for no port (OnCreatePortInfo answers false). A
// derived driver that wants one overrides OnCreatePortInfo, fills the
// port-information record it is given (property 11 non-zero for a serial
// port, else property 12: 1 TCP client, 3 UDP client; plus the settings the
// port reads, see PORTPROP in host/zarvkernel/port_srv.h) and returns true.
// The port then gets the port number taken from bits 16 to 23 of the
// driver's GMPID. SendPacket and RcvFrom talk through that port.
//
// Ownership. The driver holds the one reference its port was created with
// and drops it when the port is replaced (a further Create stops and
// releases the old port first) or the driver ends (released without being
// stopped: the port's own end closes its device). The engine is borrowed:
// it must outlive the driver's use of it and is never released here.
//
// Run state: Run sets running (1); Pause(true) moves running to paused (2)
// and Pause(false) paused to running; Exit stops (0) except that the
// kernel's failure state (4) stays. Each then calls its hook (OnRun,
// OnPause, OnExit); Exit from the stopped state calls nothing.
//
// The virtual operations are declared in the slot order of CZARVDriver.
#ifndef DRIVER_QEN_DRIVER_H_
#define DRIVER_QEN_DRIVER_H_

#include "host/zarvkernel/driver.h"
#include "zarvqen_export.h"

class CZARVPortSrv;
class CZARVQENDbEngine;

class ZARVQEN_API CZARVQENDriver : public CZARVDriver {
public:
    // Borrows `engine` (may be null: Create then fails). No port, port
    // number -1.
    explicit CZARVQENDriver(CZARVQENDbEngine* engine);

    // ---- virtual operations, in slot order ----

    // 1. Runs this class's Exit (so this class's OnExit), releases the port
    // without stopping it, then the base ends. The engine is left alone.
    ~CZARVQENDriver() override;
    // 2. SendMonitorPacket: the kernel's.

protected:
    // 3. Lets the base accept the record (false at once when it refuses);
    // copies properties 1 and 3, when present, into the name and
    // description; takes the port number from bits 16 to 23 of the GMPID;
    // then, if OnCreatePortInfo fills a port-information record, creates
    // the port with CreatePort and opens it with the port's OnCreate. False
    // when that port cannot be made or opened (no port is then held); true
    // otherwise, also when no port was asked for.
    bool OnCreate(const CZARVMPInfo& info) override;

public:
    // 4. Messages are not handled here: 0.
    int OnMessage(CZARVMsg* msg) override;
    // 5 to 7. See "Run state" above.
    int Run() override;
    void Exit() override;
    void Pause(bool pause) override;
    // 8. OnReceive, 9. OnNetPortEvent: the kernel's.

    // 10. False without an engine (nothing else happens). Otherwise stops
    // and releases the port held from an earlier Create, then returns
    // OnCreate(info).
    bool Create(const CZARVMPInfo& info) override;

    // 11 to 16. Forwarded unchanged to the engine.
    bool ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality& quality,
                   CZARVTime& time) override;
    bool ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) override;
    bool ReadSGValue(unsigned long gmpid, CZARVGRPData& data, CMPQuality& quality,
                     CZARVTime& time) override;
    unsigned int WriteValue(unsigned long gmpid, const _zarvVAR& value, const CMPQuality& quality,
                            const CZARVTime& time) override;
    bool WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value) override;
    unsigned int WriteSGValue(unsigned long gmpid, const CZARVGRPData& data,
                              const CMPQuality& quality, const CZARVTime& time) override;

    // 17, 18. Not supported: -1.
    int WriteEvent(unsigned short type, const char* text) override;
    int RemoteControl(unsigned short type, unsigned long gmpid, const _zarvVAR& value,
                      int timeout) override;
    // 19. Ignores the message.
    void DefaultProcess(CZARVMsg* msg) override;

protected:
    // 20 to 22. Hooks for derived drivers; here OnRun answers 0 and the
    // others do nothing.
    int OnRun() override;
    void OnExit() override;
    void OnPause(bool pause) override;
    // 23. A new port (one reference, for the caller) chosen by the record:
    // property 11 present and non-zero gives a serial port; otherwise
    // property 12 gives a TCP client port (1) or a UDP client port (3).
    // Null for any other choice. The port is constructed, not opened.
    CZARVPortSrv* CreatePort(const CZARVMPInfo& info) override;
    // 24. Fills the port-information record (made empty from the driver's
    // GMPID) and returns true to have a port created. Here: false.
    bool OnCreatePortInfo(CZARVMPInfo& info) override;

public:
    // ---- non-virtual ----

    // The port, or null; borrowed (no reference added), valid until the
    // next Create or the driver's end.
    CZARVPortSrv* GetPort() const { return m_pPort; }
    // Sends `length` bytes of `data` through the port in one packet whose
    // target is `target` (a UDP port reads a non-empty "host:port" target as
    // the destination). False without a port, else the port's Send result.
    bool SendPacket(const char* data, unsigned int length, const char* target);
    // Points `buffer` at the bytes the port has received and returns their
    // count (0 when nothing arrived). -1 without a port, `buffer` then left
    // alone; -1 with `buffer` null when the port is closed or broken. The
    // bytes stay valid until the next RcvFrom, Create or the driver's end.
    int RcvFrom(char*& buffer);

protected:
    // The engine given to the constructor (borrowed, may be null).
    CZARVQENDbEngine* GetEngine() const { return m_pEngine; }
    // Bits 16 to 23 of the GMPID of the last record OnCreate took; -1 before.
    int GetPortNo() const { return m_nPortNo; }

private:
    // Drops the port's reference, stopping it first when asked.
    void DropPort(bool stop);

    int m_nPortNo = -1;
    CZARVPortSrv* m_pPort = nullptr;
    CZARVQENDbEngine* m_pEngine;
};

#endif  // DRIVER_QEN_DRIVER_H_
