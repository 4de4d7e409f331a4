// The sample installation of `zarvqen demo`: a substation with two field
// devices on the network and one on a serial line, built with the library's
// public classes only. Everything is fixed data, so the demo prints the
// same account on every run.
#ifndef TOOLS_DEMO_INSTALL_H_
#define TOOLS_DEMO_INSTALL_H_

#include <cstdint>
#include <vector>

#include "engine/db_engine.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"

class CZARVDrvLib;
class CZARVMetaPropTbl;
class CZARVMetaTable;
class CZARVPseudos;
class CZARVTypedObjTbl;

namespace zarvdemo {

// The three configuration databases.
inline constexpr unsigned char kIoRid = 200;   // IO-indexed, type 1
inline constexpr unsigned char kRefRid = 130;  // reference points
inline constexpr unsigned char kCalcRid = 5;   // plain: calculated values
inline constexpr int kIoType = 1;

CZARVPtr<CZARVMetaPropTbl> BuildMetaProps();
CZARVPtr<CZARVDrvLib> BuildDriverLib();
CZARVPtr<CZARVTypedObjTbl> BuildTypedObjs();
CZARVPtr<CZARVMetaTable> BuildMetaTables();
CZARVPtr<CZARVPseudos> BuildPseudos();

// Creates the three databases in `engine` and inserts their points.
// Returns the number of points inserted.
int FillDatabases(CZARVQENDbEngine& engine);

// A value the demo's driver acquires: the point and its reading.
struct Reading {
    uint32_t gmpid;
    _zarvVAR value;
};
// What the simulated field devices report, in a fixed order.
std::vector<Reading> FieldReadings();

// The reference points of RID 130 (block 1), in GMPID order.
std::vector<uint32_t> ReferencePoints();

// The IO addresses (property 401 texts) of RID 200.
std::vector<const char*> IoDevices();

}  // namespace zarvdemo

#endif  // TOOLS_DEMO_INSTALL_H_
