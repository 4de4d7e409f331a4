// CZARVDriver: the base class of every driver the kernel runs.
//
// A host creates a driver, hands it the measurement-point record of the
// driver (Create), then moves it with Run, Pause and Exit and asks it for
// live values. The virtual operations below are declared in their slot
// order, which derived drivers and the host rely on; do not reorder them.
// The base implements every one of them so that a derived driver overrides
// only what it needs.
//
// Run state (m_nRunState):
//   RUN_STOPPED 0, RUN_RUNNING 1, RUN_PAUSED 2, RUN_FAILED 4.
//   Run sets 1; Pause(true) moves 1 to 2 and Pause(false) 2 to 1; Exit sets
//   0, except that RUN_FAILED stays so that a host still sees the failure
//   after stopping. Only this base class sets RUN_FAILED: when a port of a
//   running or paused driver reports that its link broke (OnNetPortEvent
//   with NETEVT_BROKEN). Run clears it.
//
// Text members: m_strName (the driver's name, property 1 of its record) and
// m_strDesc (its description, property 3). The base never fills them; a
// derived driver does in its OnCreate.
//
// Ports hold a plain pointer to their driver (no reference), and the driver
// holds the ports' references, so a driver must outlive its ports' use.
#ifndef ZARVKERNEL_DRIVER_H_
#define ZARVKERNEL_DRIVER_H_

#include <array>
#include <functional>
#include <utility>

#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/phy_packet.h"
#include "host/zarvkernel/zarv_msg.h"
#include "host/zarvkernel/zarv_time.h"
#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

class CZARVPortSrv;

class ZARVKERNEL_API CZARVDriver : public CZARVObj {
public:
    enum RUNSTATE : int { RUN_STOPPED = 0, RUN_RUNNING = 1, RUN_PAUSED = 2, RUN_FAILED = 4 };
    // Events a port reports through OnNetPortEvent (second argument).
    enum NETEVENT : unsigned char {
        NETEVT_NONE = 0,
        NETEVT_CONNECTED = 1,  // the device opened or the connection was made
        NETEVT_CLOSED = 2,     // closed on request (StopService)
        NETEVT_BROKEN = 3,     // the peer closed or the device failed
    };
    // Receives a copy of every packet the driver's ports send (sent true)
    // and receive (sent false), see SendMonitorPacket.
    using PacketMonitor = std::function<void(const CPhyPacket& packet, bool sent)>;

    CZARVDriver();

    // ---- virtual operations, in slot order ----

    // 1
    ~CZARVDriver() override;
    // 2. Hands a copy of the packet to the installed packet monitor; does
    // nothing without one. Ports call it for every packet they send (true)
    // and every packet they receive (false).
    virtual void SendMonitorPacket(CPhyPacket& packet, bool sent);

protected:
    // 3. Accepts the driver's record: keeps its GMPID (GetGMPID) and returns
    // true. Refuses (false, nothing kept) a record whose GMPID is
    // 0xFFFFFFFF, the GMPID of no point. The text members are not touched.
    virtual bool OnCreate(const CZARVMPInfo& info);

public:
    // 4. Passes the message to DefaultProcess and returns 0.
    virtual int OnMessage(CZARVMsg* msg);
    // 5. Sets RUN_RUNNING (unless running already) and returns OnRun().
    virtual int Run();
    // 6. From RUN_STOPPED does nothing; otherwise sets RUN_STOPPED (keeping
    // RUN_FAILED) and calls OnExit().
    virtual void Exit();
    // 7. Pause(true) moves RUN_RUNNING to RUN_PAUSED, Pause(false)
    // RUN_PAUSED to RUN_RUNNING, any other state stays; then calls
    // OnPause(pause) in every case.
    virtual void Pause(bool pause);
    // 8. Bytes pushed to the driver by a host or a threaded transport (the
    // kernel's own ports do not push: their bytes are collected with
    // CZARVPortSrv::PacketList2Buffer). The base reports them to the packet
    // monitor as received and returns how many bytes it took: `length`, 0
    // for null data.
    virtual int OnReceive(char* data, unsigned int length, const char* portName);
    // 9. A port's link event (NETEVENT) for port number `port`; `source` is
    // the reporting port. The base remembers the last event per port
    // number (GetNetPortEvent) and, on NETEVT_BROKEN while running or
    // paused, sets RUN_FAILED.
    virtual void OnNetPortEvent(unsigned char port, unsigned char event, void* source);
    // 10. Returns OnCreate(info).
    virtual bool Create(const CZARVMPInfo& info);
    // 11 to 16. The base serves no values: reads return false and leave the
    // outputs untouched, WriteValue and the group WriteSGValue return 0,
    // the indexed WriteSGValue false.
    virtual bool ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality& quality,
                           CZARVTime& time);
    virtual bool ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value);
    virtual bool ReadSGValue(unsigned long gmpid, CZARVGRPData& data, CMPQuality& quality,
                             CZARVTime& time);
    virtual unsigned int WriteValue(unsigned long gmpid, const _zarvVAR& value,
                                    const CMPQuality& quality, const CZARVTime& time);
    virtual bool WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value);
    virtual unsigned int WriteSGValue(unsigned long gmpid, const CZARVGRPData& data,
                                      const CMPQuality& quality, const CZARVTime& time);
    // 17. Not supported by the base: -1.
    virtual int WriteEvent(unsigned short type, const char* text);
    // 18. Not supported by the base: -1.
    virtual int RemoteControl(unsigned short type, unsigned long gmpid, const _zarvVAR& value,
                              int timeout);
    // 19. The fallback for messages nobody handled: ignores them.
    virtual void DefaultProcess(CZARVMsg* msg);

protected:
    // 20 to 22. Hooks of Run, Exit and Pause; the base does nothing and
    // OnRun returns 0.
    virtual int OnRun();
    virtual void OnExit();
    virtual void OnPause(bool pause);
    // 23. The base creates no port: null.
    virtual CZARVPortSrv* CreatePort(const CZARVMPInfo& info);
    // 24. The base asks for no port: false.
    virtual bool OnCreatePortInfo(CZARVMPInfo& info);

public:
    // ---- non-virtual ----
    int GetRunState() const { return m_nRunState; }
    const char* GetName() const { return m_strName.c_str(); }
    const char* GetDesc() const { return m_strDesc.c_str(); }
    // GMPID of the record accepted by OnCreate; 0xFFFFFFFF before.
    unsigned long GetGMPID() const { return m_nGMPID; }
    // The last NETEVENT reported for a port number (NETEVT_NONE at first).
    unsigned char GetNetPortEvent(unsigned char port) const { return m_netEvents[port]; }
    // Installs (or, with an empty function, removes) the packet monitor.
    void SetPacketMonitor(PacketMonitor monitor) { m_monitor = std::move(monitor); }

protected:
    int m_nRunState = RUN_STOPPED;
    _zarv_str m_strName;
    _zarv_str m_strDesc;

private:
    unsigned long m_nGMPID = 0xFFFFFFFFUL;
    std::array<unsigned char, 256> m_netEvents{};
    PacketMonitor m_monitor;
};

#endif  // ZARVKERNEL_DRIVER_H_
