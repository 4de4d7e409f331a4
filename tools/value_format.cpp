#include "tools/value_format.h"

#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zarvtool {

namespace {

struct KindRow {
    int code;
    const char* name;
};
constexpr KindRow kKinds[] = {
    {_zarvVAR::VT_EMPTY, "empty"}, {_zarvVAR::VT_BOOL, "bool"},  {_zarvVAR::VT_I2, "short"},
    {_zarvVAR::VT_UI2, "ushort"},  {_zarvVAR::VT_I4, "long"},    {_zarvVAR::VT_UI4, "ulong"},
    {_zarvVAR::VT_R4, "float"},    {_zarvVAR::VT_R8, "double"},  {_zarvVAR::VT_STR, "text"},
    {_zarvVAR::VT_I8, "int64"},    {_zarvVAR::VT_UI8, "uint64"},
};

bool ParseFloating(int kind, const std::string& text, _zarvVAR& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    errno = 0;
    if (kind == _zarvVAR::VT_R4) {
        float f = std::strtof(text.c_str(), &end);
        if (*end) return false;
        out = f;
    } else {
        double d = std::strtod(text.c_str(), &end);
        if (*end) return false;
        out = d;
    }
    return true;
}

}  // namespace

std::string KindName(int kind) {
    for (const KindRow& row : kKinds)
        if (row.code == kind) return row.name;
    return "kind " + std::to_string(kind);
}

bool KindFromText(const std::string& text, int& kind) {
    for (const KindRow& row : kKinds) {
        if (strcasecmp(text.c_str(), row.name) == 0) {
            kind = row.code;
            return true;
        }
    }
    int64_t n = 0;
    if (!ParseSigned(text, INT32_MIN, INT32_MAX, n)) return false;
    kind = static_cast<int>(n);
    return true;
}

bool IsStorableKind(int kind) {
    return (kind >= _zarvVAR::VT_EMPTY && kind <= _zarvVAR::VT_STR) || kind == _zarvVAR::VT_I8 ||
           kind == _zarvVAR::VT_UI8;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%02X", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string DisplayValue(const _zarvVAR& value) {
    if (value.GetType() == _zarvVAR::VT_STR) return Quoted(value.ToString());
    if (value.IsEmpty()) return "(empty)";
    return value.ToString();
}

std::string DescribeValue(const _zarvVAR& value) {
    if (value.IsEmpty()) return "empty";
    return KindName(value.GetType()) + " " + DisplayValue(value);
}

bool SameValue(const _zarvVAR& a, const _zarvVAR& b) {
    return a.GetType() == b.GetType() && a.ToString() == b.ToString();
}

std::string ValueText(const _zarvVAR& value) { return value.ToString(); }

std::vector<std::string> SplitAt(const std::string& text, char sep) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == sep)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& out) {
    if (text.empty()) return false;
    int base = 10;
    const char* digits = text.c_str();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits += 2;
    }
    if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long n = std::strtoull(digits, &end, base);
    if (*end || errno == ERANGE || n > max) return false;
    out = n;
    return true;
}

bool ParseSigned(const std::string& text, int64_t min, int64_t max, int64_t& out) {
    if (text.empty()) return false;
    const char* p = text.c_str();
    if (*p == '-' || *p == '+') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(text.c_str(), &end, 10);
    if (*end || errno == ERANGE || n < min || n > max) return false;
    out = n;
    return true;
}

bool ParseValue(int kind, const std::string& text, _zarvVAR& out, std::string& why) {
    out.Clear();
    int64_t s = 0;
    uint64_t u = 0;
    bool ok = true;
    switch (kind) {
        case _zarvVAR::VT_EMPTY:
            ok = text.empty();
            break;
        case _zarvVAR::VT_BOOL:
            if (strcasecmp(text.c_str(), "true") == 0)
                out = true;
            else if (strcasecmp(text.c_str(), "false") == 0)
                out = false;
            else
                ok = false;
            break;
        case _zarvVAR::VT_I2:
            if ((ok = ParseSigned(text, INT16_MIN, INT16_MAX, s))) out = static_cast<short>(s);
            break;
        case _zarvVAR::VT_UI2:
            if ((ok = ParseUnsigned(text, UINT16_MAX, u))) out = static_cast<unsigned short>(u);
            break;
        case _zarvVAR::VT_I4:
            if ((ok = ParseSigned(text, INT32_MIN, INT32_MAX, s))) out = static_cast<int>(s);
            break;
        case _zarvVAR::VT_UI4:
            if ((ok = ParseUnsigned(text, UINT32_MAX, u))) out = static_cast<unsigned int>(u);
            break;
        case _zarvVAR::VT_I8:
            if ((ok = ParseSigned(text, INT64_MIN, INT64_MAX, s))) out = static_cast<long long>(s);
            break;
        case _zarvVAR::VT_UI8:
            if ((ok = ParseUnsigned(text, UINT64_MAX, u))) out = static_cast<unsigned long long>(u);
            break;
        case _zarvVAR::VT_R4:
        case _zarvVAR::VT_R8:
            ok = ParseFloating(kind, text, out);
            break;
        case _zarvVAR::VT_STR:
            out = text.c_str();
            break;
        default:
            why = "kind " + std::to_string(kind) + " cannot be stored";
            return false;
    }
    if (!ok) {
        why = Quoted(text) + " cannot be read as " + KindName(kind);
        if (kind == _zarvVAR::VT_EMPTY)
            why = Quoted(text) + " given for an empty value (write \"\")";
        out.Clear();
    }
    return ok;
}

}  // namespace zarvtool
