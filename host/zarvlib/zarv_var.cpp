#include "host/zarvlib/zarv_var.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// atoi() as the C library defines it (strtol, then narrowed to int), but
// without undefined behaviour on overflow.
long long TextToInt(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

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
std::string ShortestText(F value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace

_zarvVAR::_zarvVAR(_zarvVAR&& o) noexcept : m_kind(o.m_kind), m_u(o.m_u) {
    o.m_kind = VT_EMPTY;
    o.m_u.u64 = 0;
}

_zarvVAR& _zarvVAR::operator=(const _zarvVAR& o) {
    if (this == &o) return *this;
    if (o.m_kind == VT_STR) {
        SetText(o.m_u.s->data(), o.m_u.s->size());
        return *this;
    }
    Clear();
    m_kind = o.m_kind;
    m_u = o.m_u;
    return *this;
}

_zarvVAR& _zarvVAR::operator=(_zarvVAR&& o) noexcept {
    if (this == &o) return *this;
    Clear();
    m_kind = o.m_kind;
    m_u = o.m_u;
    o.m_kind = VT_EMPTY;
    o.m_u.u64 = 0;
    return *this;
}

void _zarvVAR::Clear() {
    if (m_kind == VT_STR) delete m_u.s;
    m_kind = VT_EMPTY;
    m_u.u64 = 0;
}

void _zarvVAR::SetText(const char* text, size_t len) {
    if (m_kind == VT_STR) {
        m_u.s->assign(text, len);  // assign copes with text inside *m_u.s
        return;
    }
    std::string* s = new std::string(text, len);
    Clear();
    m_kind = VT_STR;
    m_u.s = s;
}

#define ZARV_VAR_ASSIGN(TYPE, KIND, FIELD, CAST) \
    _zarvVAR& _zarvVAR::operator=(TYPE v) {      \
        Clear();                                 \
        m_kind = KIND;                           \
        m_u.FIELD = static_cast<CAST>(v);        \
        return *this;                            \
    }
ZARV_VAR_ASSIGN(bool, VT_BOOL, b, bool)
ZARV_VAR_ASSIGN(short, VT_I2, i16, int16_t)
ZARV_VAR_ASSIGN(unsigned short, VT_UI2, u16, uint16_t)
ZARV_VAR_ASSIGN(int, VT_I4, i32, int32_t)
ZARV_VAR_ASSIGN(unsigned int, VT_UI4, u32, uint32_t)
ZARV_VAR_ASSIGN(long, VT_I4, i32, int32_t)
ZARV_VAR_ASSIGN(unsigned long, VT_UI4, u32, uint32_t)
ZARV_VAR_ASSIGN(long long, VT_I8, i64, int64_t)
ZARV_VAR_ASSIGN(unsigned long long, VT_UI8, u64, uint64_t)
ZARV_VAR_ASSIGN(float, VT_R4, f, float)
ZARV_VAR_ASSIGN(double, VT_R8, d, double)
#undef ZARV_VAR_ASSIGN

_zarvVAR& _zarvVAR::operator=(const char* text) {
    if (!text) text = "";
    SetText(text, std::strlen(text));
    return *this;
}

long long _zarvVAR::ToLongLong() const {
    switch (m_kind) {
        case VT_BOOL: return m_u.b ? 1 : 0;
        case VT_I2: return m_u.i16;
        case VT_UI2: return m_u.u16;
        case VT_I4: return m_u.i32;
        case VT_UI4: return m_u.u32;
        case VT_I8: return m_u.i64;
        case VT_UI8: return static_cast<long long>(m_u.u64);
        case VT_R4: return SaturatingTrunc<long long>(m_u.f);
        case VT_R8: return SaturatingTrunc<long long>(m_u.d);
        case VT_STR: return TextToInt(m_u.s->c_str());
        default: return 0;
    }
}

unsigned long long _zarvVAR::ToULongLong() const {
    switch (m_kind) {
        case VT_UI8: return m_u.u64;
        case VT_R4: return m_u.f < 0 ? static_cast<unsigned long long>(ToLongLong())
                                     : SaturatingTrunc<unsigned long long>(m_u.f);
        case VT_R8: return m_u.d < 0 ? static_cast<unsigned long long>(ToLongLong())
                                     : SaturatingTrunc<unsigned long long>(m_u.d);
        default: return static_cast<unsigned long long>(ToLongLong());
    }
}

double _zarvVAR::ToDouble() const {
    switch (m_kind) {
        case VT_R4: return m_u.f;
        case VT_R8: return m_u.d;
        case VT_UI8: return static_cast<double>(m_u.u64);
        case VT_STR: return std::atof(m_u.s->c_str());
        default: return static_cast<double>(ToLongLong());
    }
}

bool _zarvVAR::ToBool() const {
    switch (m_kind) {
        case VT_EMPTY: return false;
        case VT_R4: return m_u.f != 0;
        case VT_R8: return m_u.d != 0;
        case VT_STR: return *m_u.s == "true" || *m_u.s == "TRUE" || TextToInt(m_u.s->c_str()) != 0;
        default: return m_u.u64 != 0 && ToLongLong() != 0;
    }
}

_zarvVAR::operator short() const { return static_cast<short>(ToLongLong()); }

_zarvVAR::operator int() const {
    if (m_kind == VT_R4 || m_kind == VT_R8) return SaturatingTrunc<int>(ToDouble());
    return static_cast<int>(ToLongLong());
}

_zarvVAR::operator long() const {
    if (m_kind == VT_R4 || m_kind == VT_R8) return SaturatingTrunc<long>(ToDouble());
    return static_cast<long>(ToLongLong());
}

_zarvVAR::operator _zarv_str() const { return _zarv_str(ToString()); }

std::string _zarvVAR::ToString() const {
    switch (m_kind) {
        case VT_BOOL: return m_u.b ? "true" : "false";
        case VT_I2: return std::to_string(m_u.i16);
        case VT_UI2: return std::to_string(m_u.u16);
        case VT_I4: return std::to_string(m_u.i32);
        case VT_UI4: return std::to_string(m_u.u32);
        case VT_I8: return std::to_string(m_u.i64);
        case VT_UI8: return std::to_string(m_u.u64);
        // Shortest text that reads back to the same value.
        case VT_R4: return ShortestText(m_u.f);
        case VT_R8: return ShortestText(m_u.d);
        case VT_STR: return *m_u.s;
        default: return std::string();
    }
}

bool operator==(const _zarvVAR& a, const _zarvVAR& b) {
    if (a.m_kind != b.m_kind) return false;
    switch (a.m_kind) {
        case _zarvVAR::VT_EMPTY: return true;
        case _zarvVAR::VT_BOOL: return a.m_u.b == b.m_u.b;
        case _zarvVAR::VT_I2: return a.m_u.i16 == b.m_u.i16;
        case _zarvVAR::VT_UI2: return a.m_u.u16 == b.m_u.u16;
        case _zarvVAR::VT_I4: return a.m_u.i32 == b.m_u.i32;
        case _zarvVAR::VT_UI4: return a.m_u.u32 == b.m_u.u32;
        case _zarvVAR::VT_R4: return a.m_u.f == b.m_u.f;
        case _zarvVAR::VT_R8: return a.m_u.d == b.m_u.d;
        case _zarvVAR::VT_STR: return *a.m_u.s == *b.m_u.s;
        default: return a.m_u.u64 == b.m_u.u64;
    }
}
