// Feeds arbitrary text to one of the tool's own readers; ZARV_FUZZ_TOOL_TEXT
// picks which (each build of this file is one target):
//   1  the CSV reader: it ends on every text; every record it reads, written
//      back cell by cell, reads again as the same texts;
//   2  the GMPID text reader: a GMPID it reads prints, dotted and in hex, to
//      texts that read back as the same GMPID;
//   3  the CSV column header reader (no meta property table): a column it
//      reads prints to a header that reads back as the same column;
//   4  the CSV cell reader of every stored kind (the first byte picks it): a
//      value it reads prints to a cell text that reads back with the same
//      kind and the same bits (NaN payloads included).
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "tools/csv.h"
#include "tools/gmpid_text.h"
#include "tools/point_table.h"
#include "tools/value_format.h"

namespace {

using namespace zarvtool;

[[maybe_unused]] void CheckCsv(const std::string& text) {
    CsvReader reader(text);
    CsvRecord rec;
    int records = 0;
    while (reader.Next(rec)) {
        FUZZ_CHECK(++records <= static_cast<int>(text.size()) + 1);  // it always advances
        std::string line;
        for (size_t i = 0; i < rec.fields.size(); ++i)
            line += (i ? "," : "") + CsvCell(rec.fields[i].text);
        line += "\n";
        CsvReader again(line);
        CsvRecord back;
        FUZZ_CHECK(again.Next(back));
        FUZZ_CHECK(back.fields.size() == rec.fields.size());
        for (size_t i = 0; i < rec.fields.size(); ++i)
            FUZZ_CHECK(back.fields[i].text == rec.fields[i].text);
    }
}

[[maybe_unused]] void CheckGmpid(const std::string& text) {
    uint32_t gmpid = 0, back = 0;
    std::string why;
    const int rid = text.empty() ? -1 : static_cast<unsigned char>(text[0]);
    if (!ParseGmpid(text, rid, gmpid, why)) {
        FUZZ_CHECK(!why.empty());
        return;
    }
    FUZZ_CHECK(ParseGmpid(GmpidDotted(gmpid), -1, back, why) && back == gmpid);
    FUZZ_CHECK(ParseGmpid(GmpidHex(gmpid), -1, back, why) && back == gmpid);
}

[[maybe_unused]] void CheckColumnHeader(const std::string& text) {
    static const ColumnNames names(nullptr);
    Column col, back;
    std::string why;
    if (!names.Parse(text, col, why)) {
        FUZZ_CHECK(!why.empty());
        return;
    }
    FUZZ_CHECK(names.Parse(names.Header(col), back, why));
    FUZZ_CHECK(back.number == col.number && back.kind == col.kind && back.valid == col.valid);
}

[[maybe_unused]] void CheckCell(const std::string& text) {
    static const int kKinds[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 20, 21};
    if (text.empty()) return;
    const int kind = kKinds[static_cast<unsigned char>(text[0]) % std::size(kKinds)];
    _zarvVAR value, back;
    std::string why;
    if (!ParseValue(kind, text.substr(1), value, why)) {
        FUZZ_CHECK(!why.empty());
        return;
    }
    const std::string cell = ValueText(value);
    FUZZ_CHECK(ParseValue(kind, cell, back, why));
    // The text tells every bit: sign, -0, NaN payloads.
    FUZZ_CHECK(back.GetType() == value.GetType() && ValueText(back) == cell);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
#if ZARV_FUZZ_TOOL_TEXT == 1
    CheckCsv(text);
#elif ZARV_FUZZ_TOOL_TEXT == 2
    CheckGmpid(text);
#elif ZARV_FUZZ_TOOL_TEXT == 4
    CheckCell(text);
#else
    CheckColumnHeader(text);
#endif
    return 0;
}
