// CZARVTableField: one field of a meta table node: a name (unique within its
// node, compared as exact text), an initial value whose kind is the field's
// value type, an input type with a parameter text, and a description.
//
// Reference counted: a new field holds one reference for its creator; a
// node takes its own when it accepts the field.
#ifndef META_TABLE_FIELD_H_
#define META_TABLE_FIELD_H_

#include "catalogue/value_def.h"
#include "host/zarvlib/zarv_var.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVTableField : public CZARVValueDef<CZARVTableField> {
public:
    // The kind code of the initial value; the numbering of the meta
    // property's value types. Any other kind (an empty value among them)
    // reads back from a file as an empty value.
    enum FLDVALTYPE : int {
        FVT_BOOL = 0,
        FVT_SHORT = 1,
        FVT_USHORT = 2,
        FVT_LONG = 3,
        FVT_ULONG = 4,
        FVT_FLOAT = 5,
        FVT_DOUBLE = 6,
        FVT_STRING = 7,
    };
    // Codes stored, copied and written unchanged.
    enum FLDINPUTTYPE : int {};

    // Empty name, parameter, description and initial value; input type 0.
    CZARVTableField();
    // Copies every argument; a null text leaves its field empty.
    CZARVTableField(const char* name, const _zarvVAR& init, FLDINPUTTYPE input, const char* param,
                    const char* desc);
    ~CZARVTableField() override;

    const char* GetFieldName() const { return m_name.c_str(); }
    void SetFieldName(const char* name) { m_name = name; }
    FLDVALTYPE GetValType() const { return static_cast<FLDVALTYPE>(InitKind()); }
    // Copies the initial value into `out` and returns its kind code.
    FLDVALTYPE GetInitValue(_zarvVAR& out) const { return static_cast<FLDVALTYPE>(CopyInit(out)); }
    FLDINPUTTYPE GetInputType() const { return static_cast<FLDINPUTTYPE>(m_input); }
    void SetInputType(FLDINPUTTYPE input) { m_input = input; }

    // Assignments of the initial value (bool, 16- and 32-bit integers, float,
    // double, text, variant); a field has no 64-bit assignment.
    using CZARVValueDef::operator=;
};

// The field's code types by their bare names as well.
using FLDVALTYPE = CZARVTableField::FLDVALTYPE;
using FLDINPUTTYPE = CZARVTableField::FLDINPUTTYPE;

#endif  // META_TABLE_FIELD_H_
