#include "meta/table_field.h"

CZARVTableField::CZARVTableField() = default;

CZARVTableField::CZARVTableField(const char* name, const _zarvVAR& init, FLDINPUTTYPE input,
                                 const char* param, const char* desc)
    : CZARVValueDef(name, init, input, param, desc) {}

CZARVTableField::~CZARVTableField() = default;
