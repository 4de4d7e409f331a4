// CZARVPseudo: a pseudo definition, a record of typed values keyed by meta
// number (the 16-bit number of a meta property), at most one value per
// number, numbered by a 16-bit ID fixed at construction.
//
// Reference counted: a new definition holds one reference for its creator;
// the pseudo definition collection takes its own. Definitions are ordered
// by ID (operator<, unsigned).
#ifndef PSEUDO_PSEUDO_H_
#define PSEUDO_PSEUDO_H_

#include <map>
#include <vector>

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVPseudo : public CZARVObj {
public:
    explicit CZARVPseudo(unsigned short id);
    ~CZARVPseudo() override;

    unsigned short GetID() const { return m_id; }

    // A copy of the value stored under `meta_no`, or an empty value.
    _zarvVAR PSDProp(unsigned short meta_no) const;
    // PSDProp of the low 16 bits of `meta_no`.
    _zarvVAR operator[](int meta_no) const;
    // Stores a copy of `value` when `meta_no` has no value yet (true); an
    // existing value stays and the result is false. To replace a value, clear
    // it first.
    bool InsertPSDProp(unsigned short meta_no, const _zarvVAR& value);
    // Removes the value of `meta_no`, if any.
    void ClearPSDProp(unsigned short meta_no);
    // Appends every meta number that has a value, ascending, to `out` (which
    // is not emptied first) and returns the new length of `out`.
    int GetPSDPropVector(std::vector<unsigned short>& out) const;

private:
    unsigned short m_id;
    std::map<unsigned short, _zarvVAR> m_props;
};

// True when the left ID is smaller (unsigned comparison).
ZARVQEN_API bool operator<(const CZARVPseudo& a, const CZARVPseudo& b);

template <>
struct ptrless<CZARVPseudo*> : ZarvIdPtrLess<CZARVPseudo> {};

#endif  // PSEUDO_PSEUDO_H_
