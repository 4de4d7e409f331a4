// A strict JSON checker for the tests of `dump --format json`: the whole
// text must be one JSON value (white space around it allowed).
#include <cctype>
#include <cstring>

#include "tools/tool_test_util.h"

namespace {

class Checker {
public:
    explicit Checker(const std::string& text) : m_s(text) {}
    bool Document() { return Value(0) && (Blank(), m_pos == m_s.size()); }

private:
    char Peek() const { return m_pos < m_s.size() ? m_s[m_pos] : '\0'; }
    void Blank() {
        while (Peek() && std::strchr(" \t\r\n", Peek())) ++m_pos;
    }
    bool Take(char c) { return Blank(), Peek() == c && c && ++m_pos; }
    bool Digits() {
        const size_t start = m_pos;
        while (Peek() >= '0' && Peek() <= '9') ++m_pos;
        return m_pos > start;
    }
    bool String() {
        if (!Take('"')) return false;
        for (char c; (c = Peek()) != '"'; ++m_pos) {
            if (static_cast<unsigned char>(c) < 0x20) return false;  // also the end
            if (c != '\\') continue;
            ++m_pos;
            c = Peek();
            if (c == 'u') {
                for (int i = 0; i < 4; ++i)
                    if (!std::isxdigit(static_cast<unsigned char>(m_s[++m_pos]))) return false;
            } else if (!c || !std::strchr("\"\\/bfnrt", c)) {
                return false;
            }
        }
        return ++m_pos;
    }
    bool Number() {
        Take('-');
        if (!Digits()) return false;
        if (Peek() == '.' && (++m_pos, !Digits())) return false;
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_pos;
            if (Peek() == '+' || Peek() == '-') ++m_pos;
            return Digits();
        }
        return true;
    }
    bool Word(const char* word) {
        const size_t n = std::strlen(word);
        return m_s.compare(m_pos, n, word) == 0 && (m_pos += n);
    }
    template <class Item>
    bool List(char close, Item item) {
        if (Take(close)) return true;
        do {
            if (!item()) return false;
        } while (Take(','));
        return Take(close);
    }
    bool Value(int depth) {
        Blank();
        if (depth > 64) return false;
        if (Take('{'))
            return List('}', [&] { return String() && Take(':') && Value(depth + 1); });
        if (Take('[')) return List(']', [&] { return Value(depth + 1); });
        if (Peek() == '"') return String();
        return Word("true") || Word("false") || Word("null") || Number();
    }

    const std::string& m_s;
    size_t m_pos = 0;
};

}  // namespace

bool IsJson(const std::string& text) { return Checker(text).Document(); }
