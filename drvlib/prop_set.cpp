#include "drvlib/prop_set.h"

namespace zarvqen {

bool CZARVPropSet::Insert(CZARVMetaProp* prop, uint16_t low, uint16_t high) {
    if (!prop) return false;
    // The reference is taken first and given back on refusal, so a refused
    // property's count is exactly what it was.
    CZARVPtr<CZARVMetaProp> held(prop);
    if (prop->GetID() < low || prop->GetID() > high) return false;
    return InsertItem(prop);
}

int CZARVPropSet::Query(CZARVDataSet<CZARVMetaProp>& out) {
    auto it = GetFirst();
    while (CZARVMetaProp* prop = GetNext(it)) out.Add(prop);
    return out.GetCount();
}

}  // namespace zarvqen
