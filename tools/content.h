// The content of any file of an installation as one model: a summary and
// a list of entries (points, properties, tables, nodes...), each a list of
// named fields holding values. `dump` prints it, `diff` compares two of
// them entry by entry and field by field, `info` prints the summary.
//
// Catalogues are read through the library's own classes, so the content is
// what a program using the library sees; so is a database, through the
// library's load (db_load.h).
#ifndef TOOLS_CONTENT_H_
#define TOOLS_CONTENT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_var.h"
#include "tools/file_kind.h"
#include "tools/findings.h"

class CZARVMetaPropTbl;

namespace zarvtool {

struct DbLoad;

struct Field {
    std::string name;   // unique within its entry: "p401", "name", "m12"...
    std::string label;  // meta name of a database property, when known
    _zarvVAR value;
    bool typed = false;  // the kind of the value is part of the content
    int valid = -1;      // valid type of a database property; -1 when none
};

struct Entry {
    std::string section;  // "point", "prop", "table", "field", "driver"...
    std::string key;      // unique within its section
    bool has_gmpid = false;
    uint32_t gmpid = 0;
    std::vector<Field> fields;
};

struct SummaryItem {
    std::string name;
    _zarvVAR value;
};

struct Content {
    FileKind kind = FileKind::kUnknown;
    std::vector<SummaryItem> summary;
    std::vector<Entry> entries;
    // Said on standard error by the commands (records and properties the
    // load passed over).
    std::vector<std::string> warnings;
    // The points of a database loaded for one pass (`streamed`): they are
    // not copied into `entries` but made from the load, one at a time, by
    // ForEachEntry, so a large database is held only as the library holds
    // it.
    std::shared_ptr<const DbLoad> db;
    const CZARVMetaPropTbl* db_meta = nullptr;
};

// Reads `path` as a file of `kind`. `meta` (may be null) decodes database
// properties as a load with that table does and labels them with their
// meta names. False with `why` set when the file
// cannot be read as that kind (the library refuses it).
// With `streamed`, a database's points are left to ForEachEntry (`meta`
// must then outlive `out`).
bool LoadContent(const std::string& path, FileKind kind, const CZARVMetaPropTbl* meta, Content& out,
                 std::string& why, bool streamed = false);

// Calls `visit` with every entry in order: `entries`, then the points of a
// streamed database. Each entry of a streamed database is valid only
// during its call.
void ForEachEntry(const Content& content, const std::function<void(const Entry&)>& visit);

// The point of `gmpid` of a streamed database, made into `out`; false when
// the database stores none (or `content` is not a streamed database).
bool FindStreamedPoint(const Content& content, uint32_t gmpid, Entry& out);

// A field's value as a person reads it: the kind and the value for typed
// fields, with "(valid N)" when it has a valid type; the value alone
// otherwise.
std::string FieldText(const Field& field);
// The field's name with its label, "p401 IOAddress".
std::string FieldTitle(const Field& field);
// The field of database property `number`: "p<number>" with its value and
// valid type.
Field PropertyField(unsigned short number, const _zarvVAR& value, int valid);
// The lines that tell how entry `b` differs from `a`, field by field, one
// per field: "    - title: value" removed, "    title: old -> new" changed,
// "    + title: value" added; empty when the entries are the same.
std::string FieldChanges(const Entry& a, const Entry& b);
// "point 200.1.0.5 (0xC8010005)", "prop 401", "driver "mod"".
std::string EntryTitle(const Entry& entry);

// Runs the library's own loader of catalogue `kind` on `path`: what it
// passes over, skips, drops or reads otherwise than written, and why it
// refuses the file, go to `out` with their lines. Nothing for other kinds.
void CheckCatalogue(const std::string& path, FileKind kind, Findings& out);

// Loads the meta property table given with --meta; true without a path.
// False, with the reason on standard error, when the file cannot be loaded.
bool LoadMetaOption(const std::string& path, CZARVMetaPropTbl& table);

}  // namespace zarvtool

#endif  // TOOLS_CONTENT_H_
