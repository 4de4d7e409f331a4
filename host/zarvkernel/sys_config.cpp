#include "host/zarvkernel/sys_config.h"

#include <utility>

CZARVHwInfo::CZARVHwInfo(int id, const char* name, const char* model, const char* serial)
    : m_nID(id), m_strName(name), m_strModel(model), m_strSerial(serial) {}

bool CZARVSysConfig::AddHwInfo(std::shared_ptr<CZARVHwInfo> info) {
    if (!info) return false;
    const int id = info->GetID();
    return m_hwInfos.emplace(id, std::move(info)).second;
}

bool CZARVSysConfig::RemoveHwInfo(int id) { return m_hwInfos.erase(id) > 0; }

std::shared_ptr<CZARVHwInfo> CZARVSysConfig::GetHwInfo(int id) const {
    auto it = m_hwInfos.find(id);
    return it == m_hwInfos.end() ? nullptr : it->second;
}
