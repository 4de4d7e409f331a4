// Points as rows of a table, the model behind export-csv and import-csv:
// one row per point, one column per (property number, kind, valid type).
//
// Column headers name the property, its kind and its valid type:
//   p401:7:1      property 401, kind 7 (text), valid type 1
//   p401:text:1   the same with the kind's name
//   IOAddress     with a meta property table: the property of that meta
//                 name, with the table's kind and valid type
//   IOAddress:7:1 a meta name with a kind and valid type of its own
// A header may leave out the valid type (then the table's, or 0) and, when
// the table defines the number, the kind.
//
// Cells: an empty unquoted cell means "no such property"; a quoted empty
// cell ("") is an empty text (kind 7) or an empty value (kind -1). Every
// other cell is the value's text, read strictly by its column's kind.
#ifndef TOOLS_POINT_TABLE_H_
#define TOOLS_POINT_TABLE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_var.h"
#include "tools/db_load.h"

class CZARVMetaPropTbl;

namespace zarvtool {

struct PointProp {
    unsigned short number = 0;
    int valid = 0;
    _zarvVAR value;
};

struct Point {
    uint32_t gmpid = 0;
    std::vector<PointProp> props;  // ascending by number, one per number
};

// Same properties with the same kinds, values and valid types.
bool SamePoint(const Point& a, const Point& b);

// One stored point, its properties ascending by number: for a pass over a
// large database that holds no second copy of it.
Point PointOfRecord(const CZARVMPInfo& rec);

struct Column {
    unsigned short number = 0;
    int kind = _zarvVAR::VT_EMPTY;
    int valid = 0;
    bool operator<(const Column& o) const {
        if (number != o.number) return number < o.number;
        if (kind != o.kind) return kind < o.kind;
        return valid < o.valid;
    }
};

// Meta names that can stand for a property number in a header.
class ColumnNames {
public:
    // `meta` may be null (then only "p<number>" headers).
    explicit ColumnNames(CZARVMetaPropTbl* meta);
    // The header of a column: the plain meta name when the table defines
    // the number with a name no other property has and with the column's
    // kind and valid type, the name with ":kind:valid" when only the name
    // fits, else "p<number>:<kind>:<valid>".
    std::string Header(const Column& col) const;
    // Reads a header cell. False with `why` for an unknown name, a number
    // beyond what a database file keeps, a kind it cannot store, a valid
    // type outside 0 to 3, or a missing kind the table cannot supply.
    bool Parse(const std::string& text, Column& out, std::string& why) const;

private:
    const CZARVMetaPropTbl* m_meta;
    std::map<std::string, int> m_ids;  // name -> number, -1 when two properties share it
};

// The cell text of a value (quoted when it must be told from no value).
std::string CellOfValue(const _zarvVAR& value);

}  // namespace zarvtool

#endif  // TOOLS_POINT_TABLE_H_
