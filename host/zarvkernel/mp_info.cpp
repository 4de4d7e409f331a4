#include "host/zarvkernel/mp_info.h"

#include <algorithm>
#include <utility>

#include "host/zarvkernel/mp_value.h"
#include "host/zarvlib/zarv_str.h"

CZARVMPInfo::CZARVMPInfo(unsigned long gmpid) : m_nGMPID(static_cast<uint32_t>(gmpid)) {}

CZARVMPInfo::~CZARVMPInfo() { LinkValue(nullptr); }

void CZARVMPInfo::LinkValue(CZARVMPValue* value) const {
    if (m_pLinked == value) {
        UpdateLinkedValue();
        return;
    }
    if (m_pLinked) m_pLinked->m_pLinked = nullptr;
    m_pLinked = value;
    if (!value) return;
    if (value->m_pLinked) value->m_pLinked->m_pLinked = nullptr;
    value->m_pLinked = this;
    UpdateLinkedValue();
}

void CZARVMPInfo::UpdateLinkedValue() const {
    if (m_pLinked) m_pLinked->m_bLinkedHasReference = FindMPProp(kReferenceProp) != nullptr;
}

std::vector<CZARVMPInfo::Prop>::const_iterator CZARVMPInfo::Find(unsigned short id) const {
    return std::lower_bound(m_props.begin(), m_props.end(), id,
                            [](const Prop& p, unsigned short key) { return p.id < key; });
}

void CZARVMPInfo::RebuildMask() {
    m_nPresent = 0;
    for (const Prop& p : m_props) m_nPresent |= MaskBit(p.id);
}

const _zarvVAR* CZARVMPInfo::FindMPProp(unsigned short id) const {
    if (!(m_nPresent & MaskBit(id))) return nullptr;
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
    if (!(m_nPresent & MaskBit(id))) return -1;
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
    return InsertMPProp(id, _zarvVAR(value), validType);
}

bool CZARVMPInfo::InsertMPProp(unsigned short id, _zarvVAR&& value, int validType) {
    if (!IsValidType(validType)) return false;
    // Loaders and writers add numbers in ascending order: try the end first.
    auto it = m_props.empty() || m_props.back().id < id ? m_props.cend() : Find(id);
    if (it != m_props.end() && it->id == id) return false;
    m_props.insert(it, Prop{id, static_cast<unsigned char>(validType), std::move(value)});
    m_nPresent |= MaskBit(id);
    if (id == kReferenceProp) UpdateLinkedValue();
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
    m_nPresent |= MaskBit(id);
    if (id == kReferenceProp) UpdateLinkedValue();
    return true;
}

bool CZARVMPInfo::RemoveMPProp(unsigned short id) {
    auto it = Find(id);
    if (it == m_props.end() || it->id != id) return false;
    m_props.erase(it);
    RebuildMask();
    if (id == kReferenceProp) UpdateLinkedValue();
    return true;
}

CZARVMPValue* CZARVMPInfo::CreateValueFromInfo() const {
    const _zarvVAR* v = FindMPProp(kRefNameProp);
    // A text name is handed over as it is stored, without a copy.
    if (v && v->GetType() == _zarvVAR::VT_STR) return new CZARVMPValue(m_nGMPID, v->GetText());
    _zarv_str name;
    if (v) name = static_cast<_zarv_str>(*v);
    return new CZARVMPValue(m_nGMPID, name.c_str());
}
