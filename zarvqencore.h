// zarvqencore: the core library of the configuration engine.
//
// One include for programs that use the library: every exported class and
// the two host layers they stand on. Link the CMake target `zarvqencore`.
#ifndef ZARVQENCORE_H_
#define ZARVQENCORE_H_

// Version of the headers and of the loaded library.
#include "zarvqen_version.h"

#include "host/zarvkernel.h"
#include "host/zarvlib.h"

// Configuration database engine and its IO index.
#include "engine/db_engine.h"
#include "engine/io_index.h"

// Engine driver.
#include "driver/qen_driver.h"
#include "driver/qen_msg_reciever.h"

// Meta-definition model.
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/table_field.h"
#include "meta/table_node.h"
#include "meta/typed_obj.h"
#include "meta/typed_obj_tbl.h"

// Driver library.
#include "drvlib/drv_lib.h"
#include "drvlib/drv_node.h"
#include "drvlib/srv_node.h"
#include "drvlib/tsk_node.h"

// Pseudo definitions.
#include "pseudo/pseudo.h"
#include "pseudo/pseudos.h"

#endif  // ZARVQENCORE_H_
