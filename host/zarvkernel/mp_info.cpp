#include "host/zarvkernel/mp_info.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "host/zarvkernel/mp_value.h"
#include "host/zarvlib/zarv_pool.h"
#include "host/zarvlib/zarv_str.h"

CZARVMPInfo::CZARVMPInfo(unsigned long gmpid) : m_nGMPID(static_cast<uint32_t>(gmpid)) {}

CZARVMPInfo::~CZARVMPInfo() {
    LinkValue(nullptr);
    _zarvVAR* values = Values();
    for (size_t i = 0; i < m_nCount; ++i) values[i].~_zarvVAR();
    ::operator delete(m_pSpill);
}

void* CZARVMPInfo::operator new(size_t size) { return zarvpool::Allocate(size); }

void CZARVMPInfo::operator delete(void* block, size_t size) noexcept {
    zarvpool::Free(block, size);
}

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

size_t CZARVMPInfo::Find(unsigned short id) const {
    const unsigned short* ids = Ids();
    return static_cast<size_t>(std::lower_bound(ids, ids + m_nCount, id) - ids);
}

void CZARVMPInfo::RebuildMask() {
    m_nPresent = 0;
    const unsigned short* ids = Ids();
    for (size_t i = 0; i < m_nCount; ++i) m_nPresent |= MaskBit(ids[i]);
}

// A variant is its sixteen bytes (zarv_var.h): moving one is copying them,
// after which nothing is left to destroy at the old place. So the arrays
// move with memmove/memcpy, which is what keeps an insert in the middle of
// a record cheap.
void CZARVMPInfo::Relocate(size_t capacity) {
    unsigned char* block = nullptr;
    _zarvVAR* values = reinterpret_cast<_zarvVAR*>(m_inlineValues);
    unsigned short* ids = m_inlineIds;
    unsigned char* types = m_inlineTypes;
    if (capacity > kInlineProps) {
        const size_t bytes =
            kSpillHeader + capacity * (sizeof(_zarvVAR) + sizeof(unsigned short) + 1);
        block = static_cast<unsigned char*>(::operator new(bytes));
        const auto stored = static_cast<uint32_t>(capacity);
        std::memcpy(block, &stored, sizeof stored);
        values = reinterpret_cast<_zarvVAR*>(block + kSpillHeader);
        ids = reinterpret_cast<unsigned short*>(block + kSpillHeader + capacity * sizeof(_zarvVAR));
        types = block + kSpillHeader + capacity * (sizeof(_zarvVAR) + sizeof(unsigned short));
    }
    std::memcpy(static_cast<void*>(values), static_cast<const void*>(Values()),
                m_nCount * sizeof(_zarvVAR));
    std::memcpy(ids, Ids(), m_nCount * sizeof(unsigned short));
    std::memcpy(types, Types(), m_nCount);
    ::operator delete(m_pSpill);
    m_pSpill = block;
}

void CZARVMPInfo::ReserveMPProps(size_t n) {
    if (n > Capacity() && n <= size_t{0xFFFF} + 1) Relocate(n);
}

void CZARVMPInfo::InsertAt(size_t index, unsigned short id, _zarvVAR&& value, int validType) {
    if (m_nCount == Capacity()) Relocate(std::min(Capacity() * 2, size_t{0xFFFF} + 1));
    _zarvVAR* values = Values();
    unsigned short* ids = Ids();
    unsigned char* types = Types();
    // Loads append: only an insert before the end moves anything.
    if (const size_t later = m_nCount - index; later > 0) {
        std::memmove(static_cast<void*>(values + index + 1),
                     static_cast<const void*>(values + index), later * sizeof(_zarvVAR));
        std::memmove(ids + index + 1, ids + index, later * sizeof(unsigned short));
        std::memmove(types + index + 1, types + index, later);
    }
    new (values + index) _zarvVAR(std::move(value));
    ids[index] = id;
    types[index] = static_cast<unsigned char>(validType);
    ++m_nCount;
    m_nPresent |= MaskBit(id);
    if (id == kReferenceProp) UpdateLinkedValue();
}

const _zarvVAR* CZARVMPInfo::FindMPProp(unsigned short id) const {
    if (!(m_nPresent & MaskBit(id))) return nullptr;
    size_t i = Find(id);
    return IsAt(i, id) ? &Values()[i] : nullptr;
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
    size_t i = Find(id);
    return IsAt(i, id) ? Types()[i] : -1;
}

int CZARVMPInfo::GetMPPropVector(std::vector<unsigned short>& out) const {
    const unsigned short* ids = Ids();
    out.assign(ids, ids + m_nCount);
    return static_cast<int>(out.size());
}

bool CZARVMPInfo::InsertMPProp(unsigned short id, const _zarvVAR& value, int validType) {
    return InsertMPProp(id, _zarvVAR(value), validType);
}

bool CZARVMPInfo::InsertMPProp(unsigned short id, _zarvVAR&& value, int validType) {
    if (!IsValidType(validType)) return false;
    // Loaders and writers add numbers in ascending order: try the end first.
    size_t i = m_nCount == 0 || Ids()[m_nCount - 1] < id ? m_nCount : Find(id);
    if (IsAt(i, id)) return false;
    InsertAt(i, id, std::move(value), validType);
    return true;
}

bool CZARVMPInfo::SetMPProp(unsigned short id, const _zarvVAR& value, int validType) {
    if (!IsValidType(validType)) return false;
    size_t i = Find(id);
    if (IsAt(i, id)) {
        Values()[i] = value;
        Types()[i] = static_cast<unsigned char>(validType);
        return true;
    }
    InsertAt(i, id, _zarvVAR(value), validType);
    return true;
}

bool CZARVMPInfo::RemoveMPProp(unsigned short id) {
    size_t i = Find(id);
    if (!IsAt(i, id)) return false;
    _zarvVAR* values = Values();
    unsigned short* ids = Ids();
    unsigned char* types = Types();
    values[i].~_zarvVAR();
    const size_t later = m_nCount - i - 1;
    std::memmove(static_cast<void*>(values + i), static_cast<const void*>(values + i + 1),
                 later * sizeof(_zarvVAR));
    std::memmove(ids + i, ids + i + 1, later * sizeof(unsigned short));
    std::memmove(types + i, types + i + 1, later);
    --m_nCount;
    // Back inside once they fit (which allocates nothing): the spilled
    // block would be memory held for nothing.
    if (m_pSpill && m_nCount <= kInlineProps) Relocate(kInlineProps);
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
