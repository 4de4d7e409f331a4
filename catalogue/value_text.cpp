#include "catalogue/internal/value_text.h"

#include <strings.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace zarvqen {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when `text` is nothing but an optional sign (when `sign`) and digits
// spelling a number from `low` to `high`.
bool SpellsDecimal(const char* text, bool sign, int64_t low, int64_t high) {
    if (!text) return false;
    const char* p = text;
    bool negative = false;
    if (sign && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (!IsDigit(*p)) return false;
    int64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > int64_t{1} << 40) return false;
    }
    int64_t n = negative ? -magnitude : magnitude;
    return *p == '\0' && n >= low && n <= high;
}

// True when `text` spells the value ValueFromText reads from it.
bool SpellsValue(int32_t kind, const char* text) {
    switch (kind) {
        case _zarvVAR::VT_BOOL:
            // "true" and "TRUE" read as true; any other spelling of either
            // word, and any other text, as false.
            return ReadBoolText(text) ||
                   (text && std::strlen(text) == 5 && strncasecmp(text, "false", 5) == 0);
        case _zarvVAR::VT_I2:
            return SpellsDecimal(text, true, INT16_MIN, INT16_MAX);
        case _zarvVAR::VT_UI2:
            return SpellsDecimal(text, false, 0, UINT16_MAX);
        case _zarvVAR::VT_I4:
            return SpellsDecimal(text, true, INT32_MIN, INT32_MAX);
        case _zarvVAR::VT_UI4:
            return SpellsDecimal(text, false, 0, INT32_MAX);
        case _zarvVAR::VT_R4:
        case _zarvVAR::VT_R8: {
            if (!text || !*text || IsBlank(*text)) return false;
            char* end = nullptr;
            std::strtod(text, &end);
            return *end == '\0';
        }
        default:
            return true;
    }
}

}  // namespace

int32_t ReadDecimal(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so
    // a long run of digits can neither overflow nor change the clamp.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (*p - '0');
    }
    int64_t n = negative ? -magnitude : magnitude;
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(n);
}

uint16_t ReadLow16(const char* text) {
    return static_cast<uint16_t>(static_cast<uint32_t>(ReadDecimal(text)));
}

double ReadFloating(const char* text) {
    if (!text) return 0.0;
    // A plain decimal number, as the catalogues write them, is read by
    // from_chars, which gives the same correctly rounded value as strtod
    // several times faster. Everything else (blanks, a plus sign, hex,
    // infinity, NaN, a value out of range) is strtod's.
    const char* p = text + (*text == '-');
    bool plain = (*p >= '0' && *p <= '9' && !(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) ||
                 (*p == '.' && p[1] >= '0' && p[1] <= '9');
    if (plain) {
        double value = 0.0;
        auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
        if (error == std::errc()) return value;
    }
    return std::strtod(text, nullptr);
}

bool ReadBoolText(const char* text) {
    return text && (std::strcmp(text, "true") == 0 || std::strcmp(text, "TRUE") == 0);
}

float NarrowToFloat(double value) {
    // Halfway between the largest float and 2^128: from here on rounding to
    // nearest gives infinity. Below it the conversion is defined.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (std::fabs(value) >= kOverflow && std::isfinite(value))
        return value > 0 ? HUGE_VALF : -HUGE_VALF;
    return static_cast<float>(value);
}

bool IsTextKind(int32_t kind) {
    return static_cast<uint32_t>(kind) <= static_cast<uint32_t>(_zarvVAR::VT_STR);
}

bool ValueFromText(int32_t kind, const char* text, _zarvVAR& value) {
    switch (kind) {
        case _zarvVAR::VT_BOOL:
            value = ReadBoolText(text);
            return true;
        case _zarvVAR::VT_I2:
            value = static_cast<short>(ReadLow16(text));
            return true;
        case _zarvVAR::VT_UI2:
            value = static_cast<unsigned short>(ReadLow16(text));
            return true;
        case _zarvVAR::VT_I4:
            value = static_cast<long>(ReadDecimal(text));
            return true;
        case _zarvVAR::VT_UI4:
            value = static_cast<unsigned long>(static_cast<uint32_t>(ReadDecimal(text)));
            return true;
        case _zarvVAR::VT_R4:
            value = NarrowToFloat(ReadFloating(text));
            return true;
        case _zarvVAR::VT_R8:
            value = ReadFloating(text);
            return true;
        case _zarvVAR::VT_STR:
            value = text ? text : "";
            return true;
        default:
            value.Clear();
            return false;
    }
}

_zarvVAR ValueFromKindText(const char* kind_text, const char* value_text) {
    _zarvVAR value;
    ValueFromText(ReadDecimal(kind_text), value_text, value);
    return value;
}

bool CutCommaPieces(char* text, size_t count, const char** pieces) {
    if (!*text) return count == 0;  // an empty text has no piece
    size_t found = 0;
    if (count == 0) return false;
    pieces[found++] = text;
    for (char* comma = std::strchr(text, ','); comma; comma = std::strchr(comma + 1, ',')) {
        if (found == count) return false;
        *comma = '\0';
        pieces[found++] = comma + 1;
    }
    return found == count;
}

bool SplitCommaPieces(const char* text, size_t count, std::vector<_zarv_str>& out) {
    std::string copy(text ? text : "");
    std::vector<const char*> pieces(count);
    if (!CutCommaPieces(copy.data(), count, pieces.data())) return false;
    out.assign(pieces.begin(), pieces.end());
    return true;
}

std::string DecimalReadsAs(const std::string& what, const char* text, bool low16) {
    if (low16 ? SpellsDecimal(text, true, 0, UINT16_MAX)
              : SpellsDecimal(text, true, INT32_MIN, INT32_MAX))
        return {};
    int64_t reads = low16 ? int64_t{ReadLow16(text)} : int64_t{ReadDecimal(text)};
    return what + " " + QuotedText(text) + " reads as " + std::to_string(reads);
}

std::string ValueTextReadsAs(const std::string& owner, int32_t kind, const char* text) {
    if (SpellsValue(kind, text)) return {};
    _zarvVAR value;
    ValueFromText(kind, text, value);
    return owner + ": " + TextKindName(kind) + " value " + QuotedText(text) + " reads as " +
           ValueToText(value);
}

std::string TextKindName(int32_t kind) {
    static const char* const kNames[] = {"bool",  "short", "ushort", "long",
                                         "ulong", "float", "double", "text"};
    return IsTextKind(kind) ? kNames[kind] : "kind " + std::to_string(kind);
}

std::string QuotedText(const char* text) {
    std::string out = "\"";
    out += text ? text : "";
    out += '"';
    return out;
}

std::string ValueToText(const _zarvVAR& value) { return value.ToString(); }

void AppendKindAndValueText(std::string& out, const _zarvVAR& value) {
    AppendDecimal(out, static_cast<uint32_t>(value.GetType()));
    out += ',';
    value.AppendText(out);
}

void AppendDecimal(std::string& out, uint32_t n) {
    char digits[10];
    const auto written = std::to_chars(digits, digits + sizeof digits, n);
    out.append(digits, written.ptr);
}

}  // namespace zarvqen
