#include "host/zarvlib/zarv_obj.h"

CZARVBaseObj::~CZARVBaseObj() = default;

CZARVObj::~CZARVObj() = default;

long CZARVObj::Release() {
    long refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}
