#include "pseudo/pseudo.h"

CZARVPseudo::CZARVPseudo(unsigned short id) : m_id(id) {}

CZARVPseudo::~CZARVPseudo() = default;

_zarvVAR CZARVPseudo::PSDProp(unsigned short meta_no) const {
    auto it = m_props.find(meta_no);
    return it == m_props.end() ? _zarvVAR() : it->second;
}

_zarvVAR CZARVPseudo::operator[](int meta_no) const {
    return PSDProp(static_cast<unsigned short>(meta_no));
}

bool CZARVPseudo::InsertPSDProp(unsigned short meta_no, const _zarvVAR& value) {
    return m_props.emplace(meta_no, value).second;
}

void CZARVPseudo::ClearPSDProp(unsigned short meta_no) { m_props.erase(meta_no); }

int CZARVPseudo::GetPSDPropVector(std::vector<unsigned short>& out) const {
    for (const auto& [meta_no, value] : m_props) out.push_back(meta_no);
    return static_cast<int>(out.size());
}

bool operator<(const CZARVPseudo& a, const CZARVPseudo& b) { return a.GetID() < b.GetID(); }
