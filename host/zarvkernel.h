// The kernel runtime: measurement-point records, live values and their
// databases, the name table, the driver base and the communication ports.
#ifndef HOST_ZARVKERNEL_H_
#define HOST_ZARVKERNEL_H_

#include "host/zarvkernel/com_port.h"
#include "host/zarvkernel/dev_obj.h"
#include "host/zarvkernel/driver.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/kernel_version.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/net_port.h"
#include "host/zarvkernel/phy_packet.h"
#include "host/zarvkernel/port_srv.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvkernel/sys_config.h"
#include "host/zarvkernel/tcp_client_port.h"
#include "host/zarvkernel/udp_client_port.h"
#include "host/zarvkernel/zarv_msg.h"
#include "host/zarvkernel/zarv_time.h"

#endif  // HOST_ZARVKERNEL_H_
