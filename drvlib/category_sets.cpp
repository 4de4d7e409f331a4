#include "drvlib/category_sets.h"

#include "drvlib/internal/category_table.h"

namespace zarvqen {

CZARVPropSet* CZARVCategorySets::SetOf(int selector) {
    return FindCategory(selector) ? &m_sets[selector - kFirstCategory] : nullptr;
}

const CZARVPropSet* CZARVCategorySets::SetOf(int selector) const {
    return FindCategory(selector) ? &m_sets[selector - kFirstCategory] : nullptr;
}

bool CZARVCategorySets::InsertMetaProp(CZARVMetaProp* prop, int selector) {
    const CategoryInfo* cat = FindCategory(selector);
    return cat && SetOf(selector)->Insert(prop, cat->low, cat->high);
}

bool CZARVCategorySets::DeleteMetaProp(uint16_t no, int selector) {
    CZARVPropSet* set = SetOf(selector);
    return set && set->Delete(no);
}

CZARVMetaProp* CZARVCategorySets::GetMetaProp(uint16_t no, int selector) const {
    const CZARVPropSet* set = SetOf(selector);
    return set ? set->Get(no) : nullptr;
}

int CZARVCategorySets::QueryIOSet(int selector, CZARVDataSet<CZARVMetaProp>& out) {
    CZARVPropSet* set = SetOf(selector);
    return set ? set->Query(out) : -1;
}

int CZARVCategorySets::GetFreeMetaNo(int selector) const {
    const CategoryInfo* cat = FindCategory(selector);
    if (!cat) return 0xFFFF;
    return SetOf(selector)->FreeNo(cat->low, cat->high);
}

void CZARVCategorySets::Clear(int selector) {
    if (selector == kSelAll) {
        for (CZARVPropSet& set : m_sets) set.Clear();
        return;
    }
    if (CZARVPropSet* set = SetOf(selector)) set->Clear();
}

}  // namespace zarvqen
