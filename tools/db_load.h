// A configuration database file as the library loads it: the library's own
// load into a fresh engine, with a reporter that turns what the load
// refuses or passes over into findings. Every command that shows a
// database (check, info, dump, diff, export-csv, import-csv, demo) reads it
// through here, so the tool never decides on its own what a file means.
#ifndef TOOLS_DB_LOAD_H_
#define TOOLS_DB_LOAD_H_

#include <string>

#include "engine/db_engine.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "tools/findings.h"

class CZARVMetaPropTbl;

namespace zarvtool {

// The type databases are loaded with unless the caller names another
// (`check --type`): with RIDs 192 to 254 it indexes IO addresses.
inline constexpr int kDefaultDbType = 1;

struct DbLoad {
    // The RID the file's header names, which the load was asked for; 0 for
    // a file too short to name one (the load then says why it refuses it).
    unsigned char rid = 0;
    bool header = false;  // the file starts with the magic bytes and a RID
    bool loaded = false;  // the library accepted the file
    Findings findings;    // what the load reported, with byte offsets
    CZARVPtr<CZARVQENDbEngine> engine;
    // The stored records, ascending GMPID (the set holds a reference on each).
    CZARVDataSet<CZARVMPInfo> records;

    // The first problem the load reported, "text (at byte N)"; for a
    // refused file, why it was refused.
    std::string Refusal() const;
    // "N records or properties passed over by the load" (the problems it
    // reported), for the warnings of the commands that go on with the rest.
    std::string PassedOver() const;
};

// Loads `path` into `out` (a fresh DbLoad) with the meta property table `meta` (may be null:
// property codes as stored) and the database type `type`. False with `why` only when the file
// cannot be read at all or the load ran out of memory; a file the library refuses gives true
// with `out.loaded` false and the reason in `out.findings`.
bool LoadDbFile(const std::string& path, const CZARVMetaPropTbl* meta, int type, DbLoad& out,
                std::string& why);

}  // namespace zarvtool

#endif  // TOOLS_DB_LOAD_H_
