// _zarv_str: the system's string, a thin layer over std::string with the
// operations the configuration code uses; and the text helpers that go with
// it (splitting and the DJB hash).
#ifndef ZARVLIB_ZARV_STR_H_
#define ZARVLIB_ZARV_STR_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API _zarv_str {
public:
    _zarv_str() = default;
    // Copies `len` bytes of `text`, or the whole text when len is 0. A null
    // text gives an empty string.
    _zarv_str(const char* text, int len = 0);          // NOLINT(implicit)
    _zarv_str(const std::string& s) : m_s(s) {}        // NOLINT(implicit)
    _zarv_str(std::string&& s) : m_s(std::move(s)) {}  // NOLINT(implicit)
    _zarv_str(std::string_view s) : m_s(s) {}          // NOLINT(implicit)

    _zarv_str& operator=(const char* text);
    _zarv_str& operator=(const std::string& s) {
        m_s = s;
        return *this;
    }

    _zarv_str& operator+=(const _zarv_str& s) {
        m_s += s.m_s;
        return *this;
    }
    _zarv_str& operator+=(const char* text) {
        if (text) m_s += text;
        return *this;
    }
    _zarv_str& operator+=(char c) {
        m_s += c;
        return *this;
    }
    // Appends the number in decimal.
    _zarv_str& operator<<(long n);

    operator const char*() const { return m_s.c_str(); }  // NOLINT(implicit)
    operator char*() { return m_s.data(); }               // NOLINT(implicit)
    const char* c_str() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }
    std::string& str() { return m_s; }
    std::string_view view() const { return m_s; }

    bool empty() const { return m_s.empty(); }
    size_t size() const { return m_s.size(); }
    size_t length() const { return m_s.size(); }
    void clear() { m_s.clear(); }

    // Replaces the content with the printf-formatted text. The arguments may
    // include this string itself. Returns the new length.
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Removes trailing occurrences of `c`.
    void TrimRight(char c);
    // Cuts the string at the first occurrence of `text`, the occurrence
    // included. Returns 1 when it cut, 0 when `text` is absent (or empty).
    int DeleteAfterIncluding(const char* text);
    // The same at the last occurrence.
    int DeleteAfterLastIncluding(const char* text);

    friend bool operator==(const _zarv_str& a, const _zarv_str& b) { return a.m_s == b.m_s; }
    friend bool operator==(const _zarv_str& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator<(const _zarv_str& a, const _zarv_str& b) { return a.m_s < b.m_s; }
    friend auto operator<=>(const _zarv_str& a, const _zarv_str& b) { return a.m_s <=> b.m_s; }

private:
    std::string m_s;
};

template <>
struct std::hash<_zarv_str> {
    size_t operator()(const _zarv_str& s) const { return std::hash<std::string>()(s.str()); }
};

// Each replaces `out` with the pieces of `text` split at every separator and
// returns their number. Empty pieces count ("a,,b" gives three pieces, "7,"
// gives "7" and ""), but an empty or null text gives no pieces at all.
ZARVLIB_API int SplitStrByChar(const char* text, char sep, std::vector<_zarv_str>& out);
ZARVLIB_API int SplitStrByComma(const char* text, std::vector<_zarv_str>& out);
// Splits at every occurrence of `sep`; an empty or null `sep` gives the whole
// text as one piece.
ZARVLIB_API int SplitStrByStr(const char* text, const char* sep, std::vector<_zarv_str>& out);

// The DJB string hash: 5381, then hash * 33 + each byte (unsigned), 32-bit.
// A null text hashes as an empty one.
ZARVLIB_API uint32_t DJBHash(const char* text);
// The hash's seed and its step per byte, for callers that hash while they
// scan a text for something else.
constexpr uint32_t kDJBSeed = 5381;
constexpr uint32_t DJBStep(uint32_t hash, unsigned char c) { return hash * 33 + c; }
ZARVLIB_API uint32_t DJBHash(std::string_view text);

#endif  // ZARVLIB_ZARV_STR_H_
