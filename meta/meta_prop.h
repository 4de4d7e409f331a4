// CZARVMetaProp: the definition of one property that configuration records
// may carry: its number (the ID, or meta number), name, initial value (whose
// kind is the property's value type), input type with a parameter text,
// description and valid type.
//
// Reference counted: a new record holds one reference for its creator;
// tables and node property sets take their own. Records are ordered by ID
// (operator<, unsigned), which is how every ID-ordered set sorts them.
#ifndef META_META_PROP_H_
#define META_META_PROP_H_

#include "catalogue/id_catalogue.h"
#include "catalogue/value_def.h"
#include "host/zarvlib/zarv_var.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVMetaProp : public CZARVValueDef<CZARVMetaProp> {
public:
    // The kind code of the initial value (the variant's kinds). A value of
    // another kind (empty, 64-bit) reports its own code.
    enum METAVALTYPE : int {
        MVT_BOOL = 0,
        MVT_SHORT = 1,
        MVT_USHORT = 2,
        MVT_LONG = 3,
        MVT_ULONG = 4,
        MVT_FLOAT = 5,
        MVT_DOUBLE = 6,
        MVT_STRING = 7,
    };
    // Codes stored, copied and written unchanged; they mean something only
    // to the library's callers.
    enum METAINPUTTYPE : int {};
    // 0 unless set. Configuration database files keep it in 2 bits (0 to 3).
    enum METAVALIDTYPE : int {};

    // Empty name, parameter, description and initial value; valid type 0.
    // ID and input type start at 0; callers set them before use.
    CZARVMetaProp();
    // Copies every argument; a null text leaves its field empty.
    CZARVMetaProp(unsigned short id, const char* name, const _zarvVAR& init, METAINPUTTYPE input,
                  const char* param, const char* desc, METAVALIDTYPE valid);
    ~CZARVMetaProp() override;

    unsigned short GetID() const { return m_id; }
    void SetID(unsigned short id) { m_id = id; }
    const char* GetMetaName() const { return m_name.c_str(); }
    void SetMetaName(const char* name) { m_name = name; }
    METAINPUTTYPE GetInputType() const { return static_cast<METAINPUTTYPE>(m_input); }
    void SetInputType(METAINPUTTYPE input) { m_input = input; }
    METAVALIDTYPE GetValidType() const { return m_valid; }
    void setValidType(METAVALIDTYPE valid) { m_valid = valid; }

    // The kind code of the initial value.
    METAVALTYPE GetValType() const { return static_cast<METAVALTYPE>(InitKind()); }
    // Copies the initial value into `out` and returns its kind code.
    METAVALTYPE GetInitValue(_zarvVAR& out) const {
        return static_cast<METAVALTYPE>(CopyInit(out));
    }

    using CZARVValueDef::operator=;
    // The variant's 64-bit kinds; such a value is written with its own kind
    // code and reads back from a file as an empty value.
    CZARVMetaProp& operator=(long long v) { return AssignInit(v); }
    CZARVMetaProp& operator=(unsigned long long v) { return AssignInit(v); }

private:
    unsigned short m_id = 0;
    METAVALIDTYPE m_valid{};
};

// The record's code types by their bare names as well.
using METAVALTYPE = CZARVMetaProp::METAVALTYPE;
using METAINPUTTYPE = CZARVMetaProp::METAINPUTTYPE;
using METAVALIDTYPE = CZARVMetaProp::METAVALIDTYPE;

// True when the left ID is smaller (unsigned 16-bit comparison).
ZARVQEN_API bool operator<(const CZARVMetaProp& a, const CZARVMetaProp& b);

template <>
struct ptrless<CZARVMetaProp*> : ZarvIdPtrLess<CZARVMetaProp> {};

#endif  // META_META_PROP_H_
