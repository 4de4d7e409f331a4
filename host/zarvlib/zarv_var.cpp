#include "host/zarvlib/zarv_var.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// atoi() as the C library defines it (strtol, then narrowed to int), but
// without undefined behaviour on overflow.
long long TextToInt(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

// Float to integer truncation that saturates instead of being undefined.
template <class I>
I SaturatingTrunc(double d) {
    if (std::isnan(d)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<I>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<I>::max());
    if (d <= lo) return std::numeric_limits<I>::min();
    if (d >= hi) return std::numeric_limits<I>::max();
    return static_cast<I>(d);
}

template <class F>
void AppendShortest(std::string& out, F value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

template <class I>
void AppendDecimal(std::string& out, I value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// Files read a float's text as a double and round that to single precision.
// The shortest text of a float reads back as that float when read as a float,
// but for a few (7.038531e-26 among them) the double it reads as lies so near
// the midpoint between two floats that the second rounding picks the
// neighbour. Those are written with the shortest text of their exact value
// as a double, which reads back exactly. Texts at the ends of the range
// (infinities, NaN, beyond the largest float) are read by their own rules.
void AppendFloatText(std::string& out, float value) {
    const size_t start = out.size();
    AppendShortest(out, value);
    if (!std::isfinite(value)) return;
    double back = 0.0;
    std::from_chars(out.data() + start, out.data() + out.size(), back);
    if (std::fabs(back) > std::numeric_limits<float>::max() || static_cast<float>(back) == value)
        return;
    out.resize(start);
    AppendShortest(out, static_cast<double>(value));
}

}  // namespace

_zarvVAR& _zarvVAR::AssignText(const _zarvVAR& o) {
    if (this == &o) return *this;
    if (o.Kind() == VT_STR) {
        SetText(o.TextData(), o.TextSize());
        return *this;
    }
    Clear();
    std::memcpy(m_rep, o.m_rep, sizeof m_rep);
    return *this;
}

void _zarvVAR::SetText(const char* text, size_t len) {
    // `text` may lie inside this variant's own text: it is read before the
    // old text goes.
    if (len <= kInlineMax) {
        std::string* old = IsHeapText() ? HeapText() : nullptr;
        std::memmove(m_rep + 2, text, len);
        m_rep[2 + len] = '\0';
        m_rep[1] = static_cast<unsigned char>(len);
        m_rep[0] = static_cast<unsigned char>(VT_STR);
        std::memset(m_rep + 3 + len, 0, sizeof m_rep - 3 - len);
        delete old;
        return;
    }
    if (IsHeapText()) {
        HeapText()->assign(text, len);  // assign copes with text inside itself
        return;
    }
    auto* s = new std::string(text, len);
    Clear();
    m_rep[0] = static_cast<unsigned char>(VT_STR);
    m_rep[1] = kHeapMark;
    std::memcpy(m_rep + 8, &s, sizeof s);
}

#define ZARV_VAR_ASSIGN(TYPE, KIND, CAST)   \
    _zarvVAR& _zarvVAR::operator=(TYPE v) { \
        Store(KIND, static_cast<CAST>(v));  \
        return *this;                       \
    }
ZARV_VAR_ASSIGN(bool, VT_BOOL, uint8_t)
ZARV_VAR_ASSIGN(short, VT_I2, int16_t)
ZARV_VAR_ASSIGN(unsigned short, VT_UI2, uint16_t)
ZARV_VAR_ASSIGN(int, VT_I4, int32_t)
ZARV_VAR_ASSIGN(unsigned int, VT_UI4, uint32_t)
ZARV_VAR_ASSIGN(long, VT_I4, int32_t)
ZARV_VAR_ASSIGN(unsigned long, VT_UI4, uint32_t)
ZARV_VAR_ASSIGN(long long, VT_I8, int64_t)
ZARV_VAR_ASSIGN(unsigned long long, VT_UI8, uint64_t)
ZARV_VAR_ASSIGN(float, VT_R4, float)
ZARV_VAR_ASSIGN(double, VT_R8, double)
#undef ZARV_VAR_ASSIGN

_zarvVAR& _zarvVAR::operator=(const char* text) {
    if (!text) text = "";
    SetText(text, std::strlen(text));
    return *this;
}

long long _zarvVAR::ToLongLong() const {
    switch (Kind()) {
        case VT_BOOL:
            return GetBool() ? 1 : 0;
        case VT_I2:
            return Load<int16_t>();
        case VT_UI2:
            return Load<uint16_t>();
        case VT_I4:
            return Load<int32_t>();
        case VT_UI4:
            return Load<uint32_t>();
        case VT_I8:
            return Load<int64_t>();
        case VT_UI8:
            return static_cast<long long>(GetBits());
        case VT_R4:
            return SaturatingTrunc<long long>(GetFloat());
        case VT_R8:
            return SaturatingTrunc<long long>(GetDouble());
        case VT_STR:
            return TextToInt(TextData());
        default:
            return 0;
    }
}

unsigned long long _zarvVAR::ToULongLong() const {
    switch (Kind()) {
        case VT_UI8:
            return GetBits();
        case VT_R4:
            return GetFloat() < 0 ? static_cast<unsigned long long>(ToLongLong())
                                  : SaturatingTrunc<unsigned long long>(GetFloat());
        case VT_R8:
            return GetDouble() < 0 ? static_cast<unsigned long long>(ToLongLong())
                                   : SaturatingTrunc<unsigned long long>(GetDouble());
        default:
            return static_cast<unsigned long long>(ToLongLong());
    }
}

double _zarvVAR::ToDouble() const {
    switch (Kind()) {
        case VT_R4:
            return GetFloat();
        case VT_R8:
            return GetDouble();
        case VT_UI8:
            return static_cast<double>(GetBits());
        case VT_STR:
            return std::atof(TextData());
        default:
            return static_cast<double>(ToLongLong());
    }
}

bool _zarvVAR::ToBool() const {
    switch (Kind()) {
        case VT_EMPTY:
            return false;
        case VT_R4:
            return GetFloat() != 0;
        case VT_R8:
            return GetDouble() != 0;
        case VT_STR:
            return std::strcmp(TextData(), "true") == 0 || std::strcmp(TextData(), "TRUE") == 0 ||
                   TextToInt(TextData()) != 0;
        default:
            return GetBits() != 0 && ToLongLong() != 0;
    }
}

_zarvVAR::operator short() const { return static_cast<short>(ToLongLong()); }

_zarvVAR::operator int() const {
    if (Kind() == VT_R4 || Kind() == VT_R8) return SaturatingTrunc<int>(ToDouble());
    return static_cast<int>(ToLongLong());
}

_zarvVAR::operator long() const {
    if (Kind() == VT_R4 || Kind() == VT_R8) return SaturatingTrunc<long>(ToDouble());
    return static_cast<long>(ToLongLong());
}

_zarvVAR::operator _zarv_str() const { return _zarv_str(ToString()); }

std::string _zarvVAR::ToString() const {
    std::string text;
    AppendText(text);
    return text;
}

void _zarvVAR::AppendText(std::string& out) const {
    switch (Kind()) {
        case VT_BOOL:
            out += GetBool() ? "true" : "false";
            return;
        case VT_I2:
            return AppendDecimal(out, Load<int16_t>());
        case VT_UI2:
            return AppendDecimal(out, Load<uint16_t>());
        case VT_I4:
            return AppendDecimal(out, Load<int32_t>());
        case VT_UI4:
            return AppendDecimal(out, Load<uint32_t>());
        case VT_I8:
            return AppendDecimal(out, Load<int64_t>());
        case VT_UI8:
            return AppendDecimal(out, GetBits());
        // Shortest text that reads back to the same value.
        case VT_R4:
            return AppendFloatText(out, GetFloat());
        case VT_R8:
            return AppendShortest(out, GetDouble());
        case VT_STR:
            out.append(TextData(), TextSize());
            return;
        default:
            return;
    }
}

bool operator==(const _zarvVAR& a, const _zarvVAR& b) {
    if (a.Kind() != b.Kind()) return false;
    switch (a.Kind()) {
        case _zarvVAR::VT_EMPTY:
            return true;
        case _zarvVAR::VT_BOOL:
            return a.GetBool() == b.GetBool();
        case _zarvVAR::VT_I2:
            return a.Load<int16_t>() == b.Load<int16_t>();
        case _zarvVAR::VT_UI2:
            return a.Load<uint16_t>() == b.Load<uint16_t>();
        case _zarvVAR::VT_I4:
            return a.Load<int32_t>() == b.Load<int32_t>();
        case _zarvVAR::VT_UI4:
            return a.Load<uint32_t>() == b.Load<uint32_t>();
        case _zarvVAR::VT_R4:
            return a.GetFloat() == b.GetFloat();
        case _zarvVAR::VT_R8:
            return a.GetDouble() == b.GetDouble();
        case _zarvVAR::VT_STR:
            return a.TextSize() == b.TextSize() &&
                   std::memcmp(a.TextData(), b.TextData(), a.TextSize()) == 0;
        default:
            return a.GetBits() == b.GetBits();
    }
}
