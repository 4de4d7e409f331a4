#include "meta/meta_prop.h"

CZARVMetaProp::CZARVMetaProp() = default;

CZARVMetaProp::CZARVMetaProp(unsigned short id, const char* name, const _zarvVAR& init,
                             METAINPUTTYPE input, const char* param, const char* desc,
                             METAVALIDTYPE valid)
    : CZARVValueDef(name, init, input, param, desc), m_id(id), m_valid(valid) {}

CZARVMetaProp::~CZARVMetaProp() = default;

bool operator<(const CZARVMetaProp& a, const CZARVMetaProp& b) { return a.GetID() < b.GetID(); }
