#include "host/zarvkernel/mp_value.h"

#include <utility>

#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_pool.h"

CZARVMPValue::CZARVMPValue(unsigned long gmpid, const char* refName)
    : m_nGMPID(static_cast<uint32_t>(gmpid)),
      m_quality(CMPQuality::QUALITY_INVALID | CMPQuality::QUALITY_NOT_INIT),
      m_refName(refName) {}

CZARVMPValue::~CZARVMPValue() {
    if (m_pLinked) m_pLinked->LinkValue(nullptr);
}

void* CZARVMPValue::operator new(size_t size) { return zarvpool::Allocate(size); }

void CZARVMPValue::operator delete(void* block, size_t size) noexcept {
    zarvpool::Free(block, size);
}

void CZARVMPValue::SetValue(const _zarvVAR& value, const CMPQuality& quality,
                            const CZARVTime& time) {
    m_value = value;
    m_quality = quality;
    m_time = time;
    // Only a text in the group format is a group; anything else drops it.
    std::unique_ptr<CZARVGRPData> group;
    if (m_value.GetType() == _zarvVAR::VT_STR && m_value.GetText()[0] == 'G') {
        group = std::make_unique<CZARVGRPData>();
        if (!group->FromStream(m_value.GetText())) group.reset();
    }
    m_pGroup = std::move(group);
}

int CZARVMPValue::GetGroupCount() const { return m_pGroup ? m_pGroup->GetCount() : 0; }

bool CZARVMPValue::GetGroupValue(int index, _zarvVAR& out) const {
    return m_pGroup && m_pGroup->GetAt(index, out);
}

bool CZARVMPValue::SetGroupValue(int index, const _zarvVAR& value) {
    if (index < 0 || index >= CZARVGRPData::kMaxValues) return false;
    if (!m_pGroup) m_pGroup = std::make_unique<CZARVGRPData>();
    m_pGroup->SetAt(index, value);
    _zarv_str text;
    m_value = m_pGroup->ToStream(text);
    return true;
}
