// The utility library: reference-counted objects, data sets, strings,
// variants, binary files and XML documents.
#ifndef HOST_ZARVLIB_H_
#define HOST_ZARVLIB_H_

#include "host/zarvlib/file_ops.h"
#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_file.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

#endif  // HOST_ZARVLIB_H_
