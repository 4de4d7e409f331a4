// The kernel's data-format major version.
//
// The configuration engine writes it from its own version text when it is
// constructed and compares file versions against it. It starts at 1, the
// major version of the format this kernel reads and writes.
#ifndef ZARVKERNEL_KERNEL_VERSION_H_
#define ZARVKERNEL_KERNEL_VERSION_H_

#include "host/zarvkernel/zarvkernel_export.h"

extern ZARVKERNEL_API int m_gZARVVer;

#endif  // ZARVKERNEL_KERNEL_VERSION_H_
