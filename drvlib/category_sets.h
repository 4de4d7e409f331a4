// CZARVCategorySets: the eleven property sets of a driver or task node and
// the operations on them by category selector. Driver and task nodes differ
// only in the names of selectors 10 and 11, so both keep one of these.
#ifndef DRVLIB_CATEGORY_SETS_H_
#define DRVLIB_CATEGORY_SETS_H_

#include <array>
#include <cstdint>

#include "drvlib/prop_set.h"

namespace zarvqen {

class CZARVCategorySets {
public:
    // Each follows the node operation of the same name; an invalid selector
    // gives false, null or -1 (GetFreeMetaNo: 65535).
    bool InsertMetaProp(CZARVMetaProp* prop, int selector);
    bool DeleteMetaProp(uint16_t no, int selector);
    CZARVMetaProp* GetMetaProp(uint16_t no, int selector) const;
    int QueryIOSet(int selector, CZARVDataSet<CZARVMetaProp>& out);
    int GetFreeMetaNo(int selector) const;
    // A valid selector empties its set; "all" (13) empties every set.
    void Clear(int selector);

private:
    CZARVPropSet* SetOf(int selector);
    const CZARVPropSet* SetOf(int selector) const;

    std::array<CZARVPropSet, 11> m_sets;  // by selector - 1
};

}  // namespace zarvqen

#endif  // DRVLIB_CATEGORY_SETS_H_
