// A variant of any kind the variant can be assigned from, in one expression.
#ifndef TESTS_SUPPORT_MAKE_VAR_H_
#define TESTS_SUPPORT_MAKE_VAR_H_

#include "host/zarvlib/zarv_var.h"

template <class T>
_zarvVAR Var(T v) {
    _zarvVAR r;
    r = v;
    return r;
}

#endif  // TESTS_SUPPORT_MAKE_VAR_H_
