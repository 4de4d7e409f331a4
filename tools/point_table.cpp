#include "tools/point_table.h"

#include <strings.h>

#include <algorithm>

#include "engine/internal/db_file_format.h"
#include "meta/meta_prop_tbl.h"
#include "tools/csv.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// "p" followed by decimal digits only.
bool IsNumberName(const std::string& text) {
    return text.size() > 1 && (text[0] == 'p' || text[0] == 'P') &&
           text.find_first_not_of("0123456789", 1) == std::string::npos;
}

// A meta name that reads back as itself in a header.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name.find(':') == std::string::npos && !IsNumberName(name) &&
           strcasecmp(name.c_str(), "gmpid") != 0 && name.front() != ' ' && name.back() != ' ';
}

}  // namespace

bool SamePoint(const Point& a, const Point& b) {
    if (a.props.size() != b.props.size()) return false;
    for (size_t i = 0; i < a.props.size(); ++i) {
        const PointProp& x = a.props[i];
        const PointProp& y = b.props[i];
        if (x.number != y.number || x.valid != y.valid || !SameValue(x.value, y.value))
            return false;
    }
    return true;
}

Point PointOfRecord(const CZARVMPInfo& rec) {
    Point p;
    p.gmpid = zarvgmpid::FromArg(rec.GetGMPID());
    for (int i = 0; i < rec.GetMPPropCount(); ++i)
        p.props.push_back({rec.GetMPPropIdAt(i), rec.GetMPTypeAt(i), rec.GetMPPropAt(i)});
    std::sort(p.props.begin(), p.props.end(),
              [](const PointProp& a, const PointProp& b) { return a.number < b.number; });
    return p;
}

ColumnNames::ColumnNames(CZARVMetaPropTbl* meta) : m_meta(meta) {
    if (!meta) return;
    auto it = meta->GetFirst();
    while (CZARVMetaProp* prop = meta->GetNext(it)) {
        auto [pos, fresh] = m_ids.emplace(prop->GetMetaName(), prop->GetID());
        if (!fresh) pos->second = -1;
    }
}

std::string ColumnNames::Header(const Column& col) const {
    std::string suffix = ":" + std::to_string(col.kind) + ":" + std::to_string(col.valid);
    const CZARVMetaProp* def = m_meta ? m_meta->GetMetaProp(col.number) : nullptr;
    if (def && IsPlainName(def->GetMetaName())) {
        auto it = m_ids.find(def->GetMetaName());
        if (it != m_ids.end() && it->second == col.number) {
            if (def->GetValType() == col.kind && def->GetValidType() == col.valid)
                return def->GetMetaName();
            return def->GetMetaName() + suffix;
        }
    }
    return "p" + std::to_string(col.number) + suffix;
}

bool ColumnNames::Parse(const std::string& text, Column& out, std::string& why) const {
    std::vector<std::string> parts = SplitAt(text, ':');
    if (parts.size() > 3) {
        why = "column " + Quoted(text) + ": write p<number>:<kind>:<valid> or <meta name>";
        return false;
    }
    const std::string& name = parts[0];
    uint64_t number = 0;
    if (IsNumberName(name)) {
        if (!ParseUnsigned(name.substr(1), zarvdbfile::kNumberMask, number)) {
            why = "column " + Quoted(text) + ": property numbers go up to " +
                  std::to_string(zarvdbfile::kNumberMask);
            return false;
        }
    } else {
        auto it = m_ids.find(name);
        if (!m_meta) {
            why = "column " + Quoted(text) +
                  " names no property: write p<number>:<kind>:<valid>, "
                  "or give --meta to name columns by meta name";
            return false;
        }
        if (it == m_ids.end() || it->second < 0) {
            why = "column " + Quoted(text) + ": " +
                  (it == m_ids.end()
                       ? "no property of the meta property table has that name"
                       : "several properties of the meta property table have that name");
            return false;
        }
        number = static_cast<uint64_t>(it->second);
    }
    out.number = static_cast<unsigned short>(number);
    const CZARVMetaProp* def = m_meta ? m_meta->GetMetaProp(out.number) : nullptr;
    if (parts.size() >= 2 && !parts[1].empty()) {
        if (!KindFromText(parts[1], out.kind) || !IsStorableKind(out.kind)) {
            why = "column " + Quoted(text) + ": " + Quoted(parts[1]) +
                  " is no kind a database stores (empty, bool, short, ushort, long, ulong, "
                  "float, double, text, int64, uint64 or their codes)";
            return false;
        }
    } else if (def) {
        out.kind = def->GetValType();
    } else {
        why = "column " + Quoted(text) + " states no kind: write p" + std::to_string(out.number) +
              ":<kind>:<valid>" + (m_meta ? "" : " or give --meta");
        return false;
    }
    int64_t valid = def ? def->GetValidType() : 0;
    if (parts.size() == 3 && !ParseSigned(parts[2], INT32_MIN, INT32_MAX, valid)) valid = -1;
    if (valid < 0 || valid > 3) {
        why = "column " + Quoted(text) + ": the valid type must be 0 to 3";
        return false;
    }
    out.valid = static_cast<int>(valid);
    if (zarvdbfile::PropertyCode(out.number, out.valid) == zarvdbfile::kEndMark) {
        why = "column " + Quoted(text) + ": property " + std::to_string(out.number) +
              " with valid type 3 would read as the end of its record";
        return false;
    }
    if (!IsStorableKind(out.kind)) {
        why = "column " + Quoted(text) + ": kind " + std::to_string(out.kind) +
              " of the meta property table cannot be stored";
        return false;
    }
    return true;
}

std::string CellOfValue(const _zarvVAR& value) {
    std::string text = ValueText(value);
    bool maybe_empty = value.IsEmpty() || value.GetType() == _zarvVAR::VT_STR;
    return CsvCell(text, maybe_empty && text.empty());
}

}  // namespace zarvtool
