// CZARVValueDef<Derived>: what a meta property and a table field have in
// common: a name, an initial value whose kind is the value type, an input
// type code, a parameter text and a description. Header-only; the derived
// classes name the accessors of the name, the input type and the value type
// after their own enumerations.
//
// Texts are copied in; a null text is stored as an empty one. The text
// getters return the object's own text, valid until that text changes or
// the object is destroyed.
#ifndef CATALOGUE_VALUE_DEF_H_
#define CATALOGUE_VALUE_DEF_H_

#include <cstdint>

#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

template <class Derived>
class CZARVValueDef : public CZARVObj {
public:
    const char* GetParameter() const { return m_param.c_str(); }
    void SetParameter(const char* param) { m_param = param; }
    const char* GetDesc() const { return m_desc.c_str(); }
    void SetDesc(const char* desc) { m_desc = desc; }

    // Each assigns the initial value through the variant's assignment of the
    // same type, so the value type follows the argument's type; nothing else
    // changes.
    Derived& operator=(const _zarvVAR& v) { return AssignInit(v); }
    Derived& operator=(short v) { return AssignInit(v); }
    Derived& operator=(unsigned short v) { return AssignInit(v); }
    Derived& operator=(long v) { return AssignInit(v); }
    Derived& operator=(unsigned long v) { return AssignInit(v); }
    Derived& operator=(float v) { return AssignInit(v); }
    Derived& operator=(double v) { return AssignInit(v); }
    Derived& operator=(const char* v) { return AssignInit(v); }
    Derived& operator=(bool v) { return AssignInit(v); }

protected:
    CZARVValueDef() = default;
    CZARVValueDef(const char* name, const _zarvVAR& init, int32_t input, const char* param,
                  const char* desc)
        : m_name(name), m_init(init), m_input(input), m_param(param), m_desc(desc) {}
    ~CZARVValueDef() override = default;

    template <class V>
    Derived& AssignInit(V v) {
        m_init = v;
        return static_cast<Derived&>(*this);
    }
    int InitKind() const { return m_init.GetType(); }
    int CopyInit(_zarvVAR& out) const {
        out = m_init;
        return m_init.GetType();
    }

    _zarv_str m_name;
    _zarvVAR m_init;
    int32_t m_input = 0;
    _zarv_str m_param;
    _zarv_str m_desc;
};

#endif  // CATALOGUE_VALUE_DEF_H_
