// CZARVSysConfig and CZARVHwInfo: the system configuration of a host and the
// hardware descriptions it holds.
//
// The system configuration keeps every hardware description by its integer
// identifier as a shared handle; GetHwInfo hands out another handle of the
// same object, so a caller that keeps only the raw pointer relies on the
// configuration keeping the object alive (until RemoveHwInfo, Clear or the
// configuration's end).
#ifndef ZARVKERNEL_SYS_CONFIG_H_
#define ZARVKERNEL_SYS_CONFIG_H_

#include <map>
#include <memory>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"

// The description of one piece of hardware a host runs on.
class ZARVKERNEL_API CZARVHwInfo {
public:
    // Null texts are stored empty.
    explicit CZARVHwInfo(int id, const char* name = nullptr, const char* model = nullptr,
                         const char* serial = nullptr);

    int GetID() const { return m_nID; }
    const char* GetName() const { return m_strName.c_str(); }
    const char* GetModel() const { return m_strModel.c_str(); }
    const char* GetSerial() const { return m_strSerial.c_str(); }
    void SetName(const char* name) { m_strName = name; }
    void SetModel(const char* model) { m_strModel = model; }
    void SetSerial(const char* serial) { m_strSerial = serial; }

private:
    int m_nID;
    _zarv_str m_strName;
    _zarv_str m_strModel;
    _zarv_str m_strSerial;
};

class ZARVKERNEL_API CZARVSysConfig {
public:
    CZARVSysConfig() = default;

    // Adds a description under its identifier. False for an empty handle or
    // an identifier already present (the first description stays).
    bool AddHwInfo(std::shared_ptr<CZARVHwInfo> info);
    // Removes the description of `id`; false when absent.
    bool RemoveHwInfo(int id);
    void Clear() { m_hwInfos.clear(); }
    int GetHwInfoCount() const { return static_cast<int>(m_hwInfos.size()); }

    // A handle of the description of `id`; empty when there is none.
    std::shared_ptr<CZARVHwInfo> GetHwInfo(int id) const;

private:
    std::map<int, std::shared_ptr<CZARVHwInfo>> m_hwInfos;
};

#endif  // ZARVKERNEL_SYS_CONFIG_H_
