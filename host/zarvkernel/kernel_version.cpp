#include "host/zarvkernel/kernel_version.h"

int m_gZARVVer = 1;
