// A strict JSON reader for the tests of `dump --format json`.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "tools/tool_test_util.h"

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : m_s(text) {}

    bool Document(Json& out) { return Value(out, 0) && (Blank(), m_pos == m_s.size()); }

private:
    bool More() const { return m_pos < m_s.size(); }
    bool Is(int (*cls)(int)) const { return More() && cls(static_cast<unsigned char>(m_s[m_pos])); }
    void Blank() {
        while (Is(std::isspace)) ++m_pos;
    }
    bool Take(char c) {
        Blank();
        return More() && m_s[m_pos] == c && ++m_pos;
    }
    bool Word(const std::string& word) {
        return m_s.compare(m_pos, word.size(), word) == 0 && (m_pos += word.size());
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (More()) {
            char c = m_s[m_pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20 || (c == '\\' && !More())) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            const char* escapes = "\"\"\\\\//n\nt\tr\rb\bf\f";
            const char* at = std::strchr(escapes, m_s[m_pos]);
            if (m_s[m_pos] == 'u') {
                std::string hex = m_s.substr(m_pos + 1, 4);
                if (hex.size() != 4 ||
                    hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    return false;
                out += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
                m_pos += 5;
            } else if (at && *at && (at - escapes) % 2 == 0) {
                out += at[1];
                ++m_pos;
            } else {
                return false;
            }
        }
        return false;
    }
    bool Number(double& out) {
        size_t start = m_pos;
        if (More() && m_s[m_pos] == '-') ++m_pos;
        if (!Is(std::isdigit)) return false;
        while (Is(std::isdigit) || (More() && std::strchr(".eE+-", m_s[m_pos]))) ++m_pos;
        std::string text = m_s.substr(start, m_pos - start);
        char* end = nullptr;
        out = std::strtod(text.c_str(), &end);
        return *end == '\0';
    }
    bool Value(Json& out, int depth) {
        Blank();
        if (depth > 64 || !More()) return false;
        if (Take('{')) {
            out.type = Json::kObject;
            if (Take('}')) return true;
            do {
                std::string key;
                Json value;
                if (!String(key) || !Take(':') || !Value(value, depth + 1)) return false;
                out.members.emplace_back(std::move(key), std::move(value));
            } while (Take(','));
            return Take('}');
        }
        if (Take('[')) {
            out.type = Json::kArray;
            if (Take(']')) return true;
            do {
                out.items.emplace_back();
                if (!Value(out.items.back(), depth + 1)) return false;
            } while (Take(','));
            return Take(']');
        }
        if (m_s[m_pos] == '"') return (out.type = Json::kString, String(out.text));
        if (Word("true")) return (out.type = Json::kBool, out.b = true);
        if (Word("false")) return (out.type = Json::kBool, true);
        if (Word("null")) return true;
        out.type = Json::kNumber;
        return Number(out.number);
    }

    const std::string& m_s;
    size_t m_pos = 0;
};

}  // namespace

bool ParseJson(const std::string& text, Json& out) {
    out = Json();
    return Parser(text).Document(out);
}
