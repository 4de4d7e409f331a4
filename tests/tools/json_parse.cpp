// A strict JSON reader for the tests of `dump --format json`.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "tools/tool_test_util.h"

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : m_s(text) {}

    bool Document(Json& out) {
        if (!Value(out, 0)) return false;
        Blank();
        return m_pos == m_s.size();
    }

private:
    void Blank() {
        while (m_pos < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_pos]))) ++m_pos;
    }
    bool Take(char c) {
        Blank();
        if (m_pos < m_s.size() && m_s[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool Word(const char* w) {
        std::string word(w);
        if (m_s.compare(m_pos, word.size(), word) != 0) return false;
        m_pos += word.size();
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (m_pos < m_s.size()) {
            char c = m_s[m_pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_s.size()) return false;
            char e = m_s[m_pos++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    if (m_pos + 4 > m_s.size()) return false;
                    for (int i = 0; i < 4; ++i)
                        if (!std::isxdigit(static_cast<unsigned char>(m_s[m_pos + i])))
                            return false;
                    out +=
                        static_cast<char>(std::strtol(m_s.substr(m_pos, 4).c_str(), nullptr, 16));
                    m_pos += 4;
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }
    bool Number(double& out) {
        size_t start = m_pos;
        if (m_pos < m_s.size() && m_s[m_pos] == '-') ++m_pos;
        if (m_pos >= m_s.size() || !std::isdigit(static_cast<unsigned char>(m_s[m_pos])))
            return false;
        while (m_pos < m_s.size() && (std::isdigit(static_cast<unsigned char>(m_s[m_pos])) ||
                                      std::strchr(".eE+-", m_s[m_pos])))
            ++m_pos;
        char* end = nullptr;
        std::string text = m_s.substr(start, m_pos - start);
        out = std::strtod(text.c_str(), &end);
        return *end == '\0';
    }
    bool Value(Json& out, int depth) {
        if (depth > 64) return false;
        Blank();
        if (m_pos >= m_s.size()) return false;
        char c = m_s[m_pos];
        if (c == '{') {
            out.type = Json::kObject;
            ++m_pos;
            if (Take('}')) return true;
            do {
                std::string key;
                Json value;
                Blank();
                if (!String(key) || !Take(':') || !Value(value, depth + 1)) return false;
                out.members.emplace_back(std::move(key), std::move(value));
            } while (Take(','));
            return Take('}');
        }
        if (c == '[') {
            out.type = Json::kArray;
            ++m_pos;
            if (Take(']')) return true;
            do {
                Json value;
                if (!Value(value, depth + 1)) return false;
                out.items.push_back(std::move(value));
            } while (Take(','));
            return Take(']');
        }
        if (c == '"') {
            out.type = Json::kString;
            return String(out.text);
        }
        if (Word("true")) {
            out.type = Json::kBool;
            out.b = true;
            return true;
        }
        if (Word("false")) {
            out.type = Json::kBool;
            return true;
        }
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
