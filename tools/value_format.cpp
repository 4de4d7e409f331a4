#include "tools/value_format.h"

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

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

// The bits of a float or double and the layout of its NaNs: the sign bit,
// the mantissa field a payload lives in, and the mantissa of the quiet NaN
// that `nan` stands for.
template <class T>
struct FloatBits {
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    static constexpr int kMantissaBits = std::numeric_limits<T>::digits - 1;
    static constexpr Bits kSign = Bits{1} << (sizeof(T) * 8 - 1);
    static constexpr Bits kMantissa = (Bits{1} << kMantissaBits) - 1;
    static constexpr Bits kExponent = ~(kSign | kMantissa);
    static constexpr Bits kQuiet = Bits{1} << (kMantissaBits - 1);
};

template <class T>
std::string NanText(T value) {
    using B = FloatBits<T>;
    typename B::Bits bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::string out = (bits & B::kSign) ? "-nan" : "nan";
    const typename B::Bits mantissa = bits & B::kMantissa;
    if (mantissa == B::kQuiet) return out;
    char buf[24];
    std::snprintf(buf, sizeof buf, "(0x%llX)", static_cast<unsigned long long>(mantissa));
    return out + buf;
}

// "nan" or "nan(0x<mantissa>)" after an optional sign; false for any other
// text, and for a mantissa of 0 (an infinity) or wider than the field.
template <class T>
bool ParseNan(const std::string& text, _zarvVAR& out) {
    using B = FloatBits<T>;
    size_t pos = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (strncasecmp(text.c_str() + pos, "nan", 3) != 0) return false;
    pos += 3;
    uint64_t mantissa = B::kQuiet;
    if (pos < text.size()) {
        if (text[pos] != '(' || text.back() != ')') return false;
        std::string digits = text.substr(pos + 1, text.size() - pos - 2);
        if (digits.size() < 3 || (digits[1] != 'x' && digits[1] != 'X') ||
            !ParseUnsigned(digits, B::kMantissa, mantissa) || mantissa == 0)
            return false;
    }
    typename B::Bits bits = B::kExponent | static_cast<typename B::Bits>(mantissa);
    if (text[0] == '-') bits |= B::kSign;
    T value;
    std::memcpy(&value, &bits, sizeof value);
    out = value;
    return true;
}

// True when the digits of a decimal or hexadecimal floating literal (before
// its exponent) are not all zero.
bool HasNonzeroDigit(const std::string& text) {
    size_t pos = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool hex = text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0;
    if (hex) pos += 2;
    for (; pos < text.size(); ++pos) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
        if (c == (hex ? 'p' : 'e')) break;
        if ((c >= '1' && c <= '9') || (hex && c >= 'a' && c <= 'f')) return true;
    }
    return false;
}

// A float or double read strictly: the whole text must be the number, one
// that does not overflow to an infinity or underflow to zero; infinities and
// NaNs only when written as such.
bool ParseFloating(int kind, const std::string& text, _zarvVAR& out, std::string& why) {
    const bool single = kind == _zarvVAR::VT_R4;
    const char* name = single ? "float" : "double";
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    if (single ? ParseNan<float>(text, out) : ParseNan<double>(text, out)) return true;
    char* end = nullptr;
    errno = 0;
    const double value = single ? std::strtof(text.c_str(), &end) : std::strtod(text.c_str(), &end);
    if (*end || std::isnan(value)) return false;  // a NaN in another form than ours
    const size_t body = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool written_inf = strncasecmp(text.c_str() + body, "inf", 3) == 0;
    if (std::isinf(value) && !written_inf) {
        why = Quoted(text) + " is beyond the range of a " + std::string(name);
        return false;
    }
    if (value == 0 && HasNonzeroDigit(text)) {
        why = Quoted(text) + " is too small for a " + std::string(name) + ": it would read as 0";
        return false;
    }
    if (single)
        out = static_cast<float>(value);
    else
        out = value;
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

std::string CountOf(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
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

bool IsValidUtf8(const std::string& text) {
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;  // overlong below U+0800
            if (c == 0xED) hi = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;  // overlong below U+10000
            if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char b = static_cast<unsigned char>(text[i + k]);
            if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return false;
        }
        i += len;
    }
    return true;
}

std::string HexBytes(const std::string& text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0xF];
    }
    return out;
}

std::string DisplayValue(const _zarvVAR& value) {
    if (value.GetType() == _zarvVAR::VT_STR) return Quoted(value.ToString());
    if (value.IsEmpty()) return "(empty)";
    return ValueText(value);
}

std::string DescribeValue(const _zarvVAR& value) {
    if (value.IsEmpty()) return "empty";
    return KindName(value.GetType()) + " " + DisplayValue(value);
}

bool SameValue(const _zarvVAR& a, const _zarvVAR& b) {
    return a.GetType() == b.GetType() && ValueText(a) == ValueText(b);
}

std::string ValueText(const _zarvVAR& value) {
    // The variant writes every NaN as "nan": its sign and payload are ours.
    if (value.GetType() == _zarvVAR::VT_R4 && std::isnan(value.GetFloat()))
        return NanText(value.GetFloat());
    if (value.GetType() == _zarvVAR::VT_R8 && std::isnan(value.GetDouble()))
        return NanText(value.GetDouble());
    return value.ToString();
}

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
    why.clear();
    // Every reader below stops at a NUL byte: "5\0junk" would read as 5.
    if (text.find('\0') != std::string::npos) {
        why = Quoted(text) + " holds a NUL byte";
        return false;
    }
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
            if (!ParseFloating(kind, text, out, why)) {
                if (why.empty()) why = Quoted(text) + " cannot be read as " + KindName(kind);
                out.Clear();
                return false;
            }
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
