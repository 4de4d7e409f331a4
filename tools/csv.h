// CSV as spreadsheets write it (RFC 4180): fields separated by commas,
// records by line ends (CRLF or LF), fields that hold a comma, a quote or a
// line end in double quotes with inner quotes doubled.
//
// The reader keeps, for each field, whether it was quoted, so that a quoted
// empty field ("") can mean an empty text while an unquoted empty one means
// "no value".
#ifndef TOOLS_CSV_H_
#define TOOLS_CSV_H_

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace zarvtool {

struct CsvField {
    std::string text;
    bool quoted = false;
};

struct CsvRecord {
    int line = 0;  // 1-based line on which the record starts
    std::vector<CsvField> fields;
};

// Reads records one after the other, from a text or from a stream.
class CsvReader {
public:
    explicit CsvReader(std::string text) : m_buf(std::move(text)) {}
    // Reads `in` to its end in chunks, after `start` (what was read of it
    // already), holding only the record being read and the next chunk.
    CsvReader(std::istream& in, std::string start);
    // False at the end of the text. A quoted field left open at the end of
    // the text, or a stream that cannot be read, sets Error() and ends the
    // reading.
    bool Next(CsvRecord& out);
    const std::string& Error() const { return m_error; }
    int ErrorLine() const { return m_errorLine; }
    // How far the reading got, in bytes of the text.
    size_t Offset() const { return m_base + m_pos; }

    static constexpr size_t kChunk = 1 << 20;

private:
    enum class Parse { kRecord, kEnd, kMore };
    // One record from m_pos; kMore when the buffer ends before it is known
    // to end and the stream has more.
    Parse ParseRecord(CsvRecord& out);
    // Drops what was read and appends the next chunk; false on a read error.
    bool Refill();

    std::istream* m_in = nullptr;  // null once the buffer holds the rest
    std::string m_buf;
    size_t m_base = 0;  // offset of m_buf[0] in the text
    size_t m_pos = 0;
    int m_line = 1;
    std::string m_error;
    int m_errorLine = 0;
};

// One field as the writer puts it: quoted when `force_quotes` is set or the
// text holds a comma, a quote, a line end or leading or trailing blanks.
std::string CsvCell(const std::string& text, bool force_quotes = false);

}  // namespace zarvtool

#endif  // TOOLS_CSV_H_
