#include "host/zarvlib/zarv_str.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The part of `text` a string is built from: `len` bytes at most when len is
// positive, else the whole text; nothing for null.
std::string_view TextPart(const char* text, int len) {
    if (!text) return {};
    return len > 0 ? std::string_view(text, strnlen(text, static_cast<size_t>(len)))
                   : std::string_view(text);
}

}  // namespace

// Built in place rather than assigned to an empty string: catalogues build
// three strings per record they load.
_zarv_str::_zarv_str(const char* text, int len) : m_s(TextPart(text, len)) {}

_zarv_str& _zarv_str::operator=(const char* text) {
    // Assigning from our own buffer is allowed: std::string::assign copes.
    if (text)
        m_s.assign(text);
    else
        m_s.clear();
    return *this;
}

_zarv_str& _zarv_str::operator<<(long n) {
    m_s += std::to_string(n);
    return *this;
}

int _zarv_str::Format(const char* format, ...) {
    if (!format) {
        m_s.clear();
        return 0;
    }
    // Format into a separate buffer: the arguments may point into m_s.
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        vsnprintf(out.data(), out.size(), format, again);
        out.resize(static_cast<size_t>(n));
    }
    va_end(again);
    m_s.swap(out);
    return static_cast<int>(m_s.size());
}

void _zarv_str::TrimRight(char c) {
    size_t end = m_s.find_last_not_of(c);
    m_s.erase(end == std::string::npos ? 0 : end + 1);
}

int _zarv_str::DeleteAfterIncluding(const char* text) {
    if (!text || !*text) return 0;
    size_t at = m_s.find(text);
    if (at == std::string::npos) return 0;
    m_s.erase(at);
    return 1;
}

int _zarv_str::DeleteAfterLastIncluding(const char* text) {
    if (!text || !*text) return 0;
    size_t at = m_s.rfind(text);
    if (at == std::string::npos) return 0;
    m_s.erase(at);
    return 1;
}

int SplitStrByStr(const char* text, const char* sep, std::vector<_zarv_str>& out) {
    out.clear();
    if (!text || !*text) return 0;
    std::string_view rest(text);
    std::string_view separator(sep ? sep : "");
    if (separator.empty()) {
        out.emplace_back(rest);
        return 1;
    }
    // Catalogue loaders split every line: count first so that the list is
    // allocated once.
    size_t pieces = 1;
    for (size_t at = rest.find(separator); at != std::string_view::npos;
         at = rest.find(separator, at + separator.size()))
        ++pieces;
    out.reserve(pieces);
    for (size_t at; (at = rest.find(separator)) != std::string_view::npos;
         rest.remove_prefix(at + separator.size()))
        out.emplace_back(rest.substr(0, at));
    out.emplace_back(rest);
    return static_cast<int>(out.size());
}

int SplitStrByChar(const char* text, char sep, std::vector<_zarv_str>& out) {
    // A NUL separator is the empty text: it cannot occur inside a C text, so
    // the whole text is one piece.
    const char separator[2] = {sep, '\0'};
    return SplitStrByStr(text, separator, out);
}

int SplitStrByComma(const char* text, std::vector<_zarv_str>& out) {
    return SplitStrByChar(text, ',', out);
}

uint32_t DJBHash(std::string_view text) {
    uint32_t hash = kDJBSeed;
    for (unsigned char c : text) hash = DJBStep(hash, c);
    return hash;
}

uint32_t DJBHash(const char* text) { return DJBHash(std::string_view(text ? text : "")); }
