#include "tools/csv.h"

#include <istream>

namespace zarvtool {

CsvReader::CsvReader(std::istream& in, std::string start) : m_in(&in), m_buf(std::move(start)) {}

CsvReader::Parse CsvReader::ParseRecord(CsvRecord& out) {
    out.fields.clear();
    if (!m_error.empty()) return Parse::kEnd;
    if (m_pos >= m_buf.size()) return m_in ? Parse::kMore : Parse::kEnd;
    out.line = m_line;
    CsvField field;
    bool in_quotes = false;
    // A record the buffer ends in is read again with more text (kMore), so
    // only a CR that ends one must know the byte after it.
    auto unseen = [&] { return m_pos >= m_buf.size() && m_in; };
    while (m_pos < m_buf.size()) {
        char c = m_buf[m_pos++];
        if (in_quotes) {
            if (c == '"') {
                if (m_pos < m_buf.size() && m_buf[m_pos] == '"') {
                    field.text += '"';
                    ++m_pos;
                } else {
                    in_quotes = false;
                }
            } else {
                // CR LF, LF and a lone CR each end a line.
                if (c == '\n' || (c == '\r' && (m_pos >= m_buf.size() || m_buf[m_pos] != '\n')))
                    ++m_line;
                field.text += c;
            }
            continue;
        }
        if (c == ',') {
            out.fields.push_back(std::move(field));
            field = CsvField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && unseen()) return Parse::kMore;
            if (c == '\r' && m_pos < m_buf.size() && m_buf[m_pos] == '\n') ++m_pos;
            ++m_line;
            out.fields.push_back(std::move(field));
            return Parse::kRecord;
        } else if (c == '"' && field.text.empty() && !field.quoted) {
            in_quotes = true;
            field.quoted = true;
        } else {
            // Text after a closing quote ("ab"cd) is kept, as spreadsheets do.
            field.text += c;
        }
    }
    if (m_in) return Parse::kMore;
    if (in_quotes) {
        m_error = "quoted field not closed before the end of the file";
        m_errorLine = out.line;
        return Parse::kEnd;
    }
    out.fields.push_back(std::move(field));
    return Parse::kRecord;
}

bool CsvReader::Refill() {
    // What was read goes: the buffer holds the record being read and the
    // next chunk.
    m_base += m_pos;
    m_buf.erase(0, m_pos);
    m_pos = 0;
    const size_t had = m_buf.size();
    m_buf.resize(had + kChunk);
    m_in->read(m_buf.data() + had, static_cast<std::streamsize>(kChunk));
    m_buf.resize(had + static_cast<size_t>(m_in->gcount()));
    if (m_in->bad()) {
        m_error = "read error";
        m_errorLine = m_line;
        m_in = nullptr;
        return false;
    }
    if (m_in->eof()) m_in = nullptr;  // the buffer now holds the rest
    return true;
}

bool CsvReader::Next(CsvRecord& out) {
    for (;;) {
        const size_t pos = m_pos;
        const int line = m_line;
        switch (ParseRecord(out)) {
            case Parse::kRecord:
                return true;
            case Parse::kEnd:
                return false;
            case Parse::kMore:
                // The record is read again from its start with more text.
                m_pos = pos;
                m_line = line;
                if (!Refill()) return false;
                break;
        }
    }
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
