// CZARVPropSet: the meta properties a driver, service or task node defines
// for one category, ordered by meta number, at most one per number, holding
// one reference on each. It is the ID-ordered catalogue of the meta property
// table, used as a member of a node.
#ifndef DRVLIB_PROP_SET_H_
#define DRVLIB_PROP_SET_H_

#include <cstdint>

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/zarv_dataset.h"
#include "meta/meta_prop.h"

namespace zarvqen {

class CZARVPropSet : public CZARVIdCatalogue<CZARVMetaProp> {
public:
    CZARVPropSet() = default;

    // Takes a reference on `prop` and keeps it when its meta number lies in
    // [low, high] and is not yet present; otherwise gives the reference back
    // (the caller's count is as before) and returns false.
    bool Insert(CZARVMetaProp* prop, uint16_t low, uint16_t high);
    // Drops the set's reference on property `no`; false when absent.
    bool Delete(uint16_t no) { return DeleteItem(no); }
    // Borrowed pointer, or null.
    CZARVMetaProp* Get(uint16_t no) const { return GetItem(no); }
    // Appends every property in ascending order (each append takes a
    // reference) and returns the size of `out` afterwards.
    int Query(CZARVDataSet<CZARVMetaProp>& out);
    // The lowest number of [low, high] no property uses, or -1.
    int FreeNo(uint16_t low, uint16_t high) const { return FirstFreeId(low, high); }
    void Clear() { CZARVIdCatalogue::Clear(); }
};

}  // namespace zarvqen

#endif  // DRVLIB_PROP_SET_H_
