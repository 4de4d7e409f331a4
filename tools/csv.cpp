#include "tools/csv.h"

namespace zarvtool {

bool CsvReader::Next(CsvRecord& out) {
    out.fields.clear();
    if (m_pos >= m_text.size() || !m_error.empty()) return false;
    out.line = m_line;
    CsvField field;
    bool in_quotes = false;
    while (m_pos < m_text.size()) {
        char c = m_text[m_pos++];
        if (in_quotes) {
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    field.text += '"';
                    ++m_pos;
                } else {
                    in_quotes = false;
                }
            } else {
                // CR LF, LF and a lone CR each end a line.
                if (c == '\n' || (c == '\r' && (m_pos >= m_text.size() || m_text[m_pos] != '\n')))
                    ++m_line;
                field.text += c;
            }
            continue;
        }
        if (c == ',') {
            out.fields.push_back(std::move(field));
            field = CsvField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
            ++m_line;
            out.fields.push_back(std::move(field));
            return true;
        } else if (c == '"' && field.text.empty() && !field.quoted) {
            in_quotes = true;
            field.quoted = true;
        } else {
            // Text after a closing quote ("ab"cd) is kept, as spreadsheets do.
            field.text += c;
        }
    }
    if (in_quotes) {
        m_error = "quoted field not closed before the end of the file";
        m_errorLine = out.line;
        return false;
    }
    out.fields.push_back(std::move(field));
    return true;
}

std::string CsvCell(const std::string& text, bool force_quotes) {
    bool quote = force_quotes || text.find_first_of(",\"\r\n") != std::string::npos ||
                 (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                    text.back() == ' ' || text.back() == '\t'));
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace zarvtool
