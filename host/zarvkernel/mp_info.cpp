#include "host/zarvkernel/mp_info.h"

#include <algorithm>

#include "host/zarvlib/zarv_str.h"
#include "host/zarvkernel/mp_value.h"

namespace {

bool IsValidType(int validType) { return validType >= 0 && validType <= 3; }

}  // namespace

CZARVMPInfo::CZARVMPInfo(unsigned long gmpid) : m_nGMPID(static_cast<uint32_t>(gmpid)) {}

CZARVMPInfo::~CZARVMPInfo() = default;

std::vector<CZARVMPInfo::Prop>::const_iterator CZARVMPInfo::Find(unsigned short id) const {
    return std::lower_bound(m_props.begin(), m_props.end(), id,
                            [](const Prop& p, unsigned short key) { return p.id < key; });
}

const _zarvVAR* CZARVMPInfo::FindMPProp(unsigned short id) const {
    auto it = Find(id);
    return it != m_props.end() && it->id == id ? &it->value : nullptr;
}

_zarvVAR CZARVMPInfo::MPProp(unsigned short id) const {
    const _zarvVAR* v = FindMPProp(id);
    return v ? *v : _zarvVAR();
}

_zarvVAR CZARVMPInfo::operator[](int id) const {
    if (id < 0 || id > 0xFFFF) return _zarvVAR();
    return MPProp(static_cast<unsigned short>(id));
}

bool CZARVMPInfo::IsExist(unsigned short id) const { return FindMPProp(id) != nullptr; }

int CZARVMPInfo::MPType(unsigned short id) const {
    auto it = Find(id);
    return it != m_props.end() && it->id == id ? it->validType : -1;
}

int CZARVMPInfo::GetMPPropVector(std::vector<unsigned short>& out) const {
    out.clear();
    out.reserve(m_props.size());
    for (const Prop& p : m_props) out.push_back(p.id);
    return static_cast<int>(out.size());
}

bool CZARVMPInfo::InsertMPProp(unsigned short id, const _zarvVAR& value, int validType) {
    if (!IsValidType(validType)) return false;
    auto it = Find(id);
    if (it != m_props.end() && it->id == id) return false;
    m_props.insert(it, Prop{id, static_cast<unsigned char>(validType), value});
    return true;
}

bool CZARVMPInfo::SetMPProp(unsigned short id, const _zarvVAR& value, int validType) {
    if (!IsValidType(validType)) return false;
    auto it = Find(id);
    if (it != m_props.end() && it->id == id) {
        auto pos = m_props.begin() + (it - m_props.cbegin());
        pos->value = value;
        pos->validType = static_cast<unsigned char>(validType);
        return true;
    }
    m_props.insert(it, Prop{id, static_cast<unsigned char>(validType), value});
    return true;
}

bool CZARVMPInfo::RemoveMPProp(unsigned short id) {
    auto it = Find(id);
    if (it == m_props.end() || it->id != id) return false;
    m_props.erase(it);
    return true;
}

CZARVMPValue* CZARVMPInfo::CreateValueFromInfo() const {
    _zarv_str name;
    if (const _zarvVAR* v = FindMPProp(kRefNameProp)) name = static_cast<_zarv_str>(*v);
    return new CZARVMPValue(m_nGMPID, name.c_str());
}
