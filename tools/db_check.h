// The loading rules of a configuration database file, applied to a walk of
// the file (db_scan.h) to tell a person what a load refuses or drops and
// why, with byte offsets: a damaged file the library refuses whole, and the
// records and properties a load passes over (a GMPID given twice, an IO
// address given twice in an IO-indexed database, a property number given
// twice in one record, a valid type a record cannot keep).
#ifndef TOOLS_DB_CHECK_H_
#define TOOLS_DB_CHECK_H_

#include "tools/db_scan.h"
#include "tools/findings.h"

class CZARVMetaPropTbl;

namespace zarvtool {

struct DbLoadSettings {
    // The meta property table the load would decode property codes with
    // (may be null).
    const CZARVMetaPropTbl* meta = nullptr;
    // The database type the load would be given.
    int type = 1;
};

// Appends the findings of `scan` to `out`; returns the number of records a
// load would store (0 when the library refuses the file).
int CheckDatabase(const DbScan& scan, const DbLoadSettings& settings, Findings& out);

// Whether a load with `type` indexes the IO addresses of RID `rid`.
bool IsIOIndexed(unsigned char rid, int type);

}  // namespace zarvtool

#endif  // TOOLS_DB_CHECK_H_
