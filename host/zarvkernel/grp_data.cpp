#include "host/zarvkernel/grp_data.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace {

// Appends a number in its shortest exact text (integers in decimal, floats
// in the shortest form that reads back to the same value).
template <class T>
void AppendNumber(std::string& out, T value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void AppendValue(std::string& out, const _zarvVAR& v) {
    int kind = v.GetType();
    switch (kind) {
        case _zarvVAR::VT_BOOL:
        case _zarvVAR::VT_I2:
        case _zarvVAR::VT_UI2:
        case _zarvVAR::VT_I4:
        case _zarvVAR::VT_UI4:
        case _zarvVAR::VT_R4:
        case _zarvVAR::VT_R8:
        case _zarvVAR::VT_STR:
        case _zarvVAR::VT_I8:
        case _zarvVAR::VT_UI8:
            break;
        default:
            kind = _zarvVAR::VT_EMPTY;  // nothing else can be carried
    }
    AppendNumber(out, kind);
    out += ':';
    switch (kind) {
        case _zarvVAR::VT_BOOL:
            out += v.GetBool() ? '1' : '0';
            break;
        case _zarvVAR::VT_I2:
        case _zarvVAR::VT_I4:
        case _zarvVAR::VT_I8:
            AppendNumber(out, v.ToLongLong());
            break;
        case _zarvVAR::VT_UI2:
        case _zarvVAR::VT_UI4:
        case _zarvVAR::VT_UI8:
            AppendNumber(out, v.ToULongLong());
            break;
        case _zarvVAR::VT_R4:
            AppendNumber(out, v.GetFloat());
            break;
        case _zarvVAR::VT_R8:
            AppendNumber(out, v.GetDouble());
            break;
        case _zarvVAR::VT_STR:
            AppendNumber(out, v.GetTextLength());
            out += ':';
            out.append(v.GetText(), v.GetTextLength());
            break;
        default:
            break;
    }
    out += ';';
}

// A cursor over the text being parsed; every step checks what remains.
class Reader {
public:
    explicit Reader(std::string_view text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    bool AtEnd() const { return m_p == m_end; }
    size_t Remaining() const { return static_cast<size_t>(m_end - m_p); }

    bool Expect(char c) {
        if (m_p == m_end || *m_p != c) return false;
        ++m_p;
        return true;
    }
    // A number of type T, exactly as to_chars writes it (no spaces, no '+').
    template <class T>
    bool Number(T& out) {
        auto res = std::from_chars(m_p, m_end, out);
        if (res.ec != std::errc() || res.ptr == m_p) return false;
        m_p = res.ptr;
        return true;
    }
    bool Bytes(size_t n, std::string& out) {
        if (n > Remaining()) return false;
        out.assign(m_p, n);
        m_p += n;
        return true;
    }

private:
    const char* m_p;
    const char* m_end;
};

template <class T>
bool ReadNumber(Reader& r, _zarvVAR& out) {
    T n{};
    if (!r.Number(n)) return false;
    out = n;
    return true;
}

bool ReadValue(Reader& r, _zarvVAR& out) {
    int kind = 0;
    if (!r.Number(kind) || !r.Expect(':')) return false;
    switch (kind) {
        case _zarvVAR::VT_EMPTY:
            out.Clear();
            break;
        case _zarvVAR::VT_BOOL:
            if (r.Expect('1'))
                out = true;
            else if (r.Expect('0'))
                out = false;
            else
                return false;
            break;
        case _zarvVAR::VT_I2:
            if (!ReadNumber<short>(r, out)) return false;
            break;
        case _zarvVAR::VT_UI2:
            if (!ReadNumber<unsigned short>(r, out)) return false;
            break;
        case _zarvVAR::VT_I4:
            if (!ReadNumber<int>(r, out)) return false;
            break;
        case _zarvVAR::VT_UI4:
            if (!ReadNumber<unsigned int>(r, out)) return false;
            break;
        case _zarvVAR::VT_I8:
            if (!ReadNumber<long long>(r, out)) return false;
            break;
        case _zarvVAR::VT_UI8:
            if (!ReadNumber<unsigned long long>(r, out)) return false;
            break;
        case _zarvVAR::VT_R4:
            if (!ReadNumber<float>(r, out)) return false;
            break;
        case _zarvVAR::VT_R8:
            if (!ReadNumber<double>(r, out)) return false;
            break;
        case _zarvVAR::VT_STR: {
            size_t len = 0;
            std::string text;
            if (!r.Number(len) || !r.Expect(':') || !r.Bytes(len, text)) return false;
            out = text.c_str();
            break;
        }
        default:
            return false;
    }
    return r.Expect(';');
}

}  // namespace

bool CZARVGRPData::Add(const _zarvVAR& value) {
    if (m_values.size() >= static_cast<size_t>(kMaxValues)) return false;
    m_values.push_back(value);
    return true;
}

bool CZARVGRPData::GetAt(int index, _zarvVAR& out) const {
    const _zarvVAR* v = At(index);
    if (!v) return false;
    out = *v;
    return true;
}

bool CZARVGRPData::SetAt(int index, const _zarvVAR& value) {
    if (index < 0 || index >= kMaxValues) return false;
    if (static_cast<size_t>(index) >= m_values.size()) m_values.resize(index + 1);
    m_values[index] = value;
    return true;
}

const _zarvVAR* CZARVGRPData::At(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_values.size()) return nullptr;
    return &m_values[index];
}

const char* CZARVGRPData::ToStream(_zarv_str& out) const {
    std::string text = "G";
    AppendNumber(text, m_values.size());
    text += '|';
    for (const _zarvVAR& v : m_values) AppendValue(text, v);
    out = _zarv_str(std::move(text));
    return out.c_str();
}

bool CZARVGRPData::FromStream(const char* text) {
    if (!text) return false;
    Reader r{std::string_view(text)};
    int count = 0;
    if (!r.Expect('G') || !r.Number(count) || !r.Expect('|')) return false;
    if (count < 0 || count > kMaxValues) return false;
    std::vector<_zarvVAR> values;
    // Each item takes at least four characters ("-1:;"); never reserve more
    // than the text can hold.
    values.reserve(std::min<size_t>(count, r.Remaining() / 4));
    for (int i = 0; i < count; ++i) {
        _zarvVAR v;
        if (!ReadValue(r, v)) return false;
        values.push_back(std::move(v));
    }
    if (!r.AtEnd()) return false;
    m_values.swap(values);
    return true;
}
