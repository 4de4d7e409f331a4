// Values as the tool shows and reads them: kind names, display texts and
// strict parsing of typed texts (CSV cells), so that every value written by
// export-csv reads back bit for bit.
#ifndef TOOLS_VALUE_FORMAT_H_
#define TOOLS_VALUE_FORMAT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_var.h"

namespace zarvtool {

// "bool", "short", "ushort", "long", "ulong", "float", "double", "text",
// "empty", "int64", "uint64"; "kind N" for any other code.
std::string KindName(int kind);
// A kind code given as a number or as one of the names above.
bool KindFromText(const std::string& text, int& kind);
// The kinds a database file stores and reads back: empty, 0 to 7 and the
// two 64-bit kinds.
bool IsStorableKind(int kind);

// "1 field", "2 fields": a count with the word that fits it.
std::string CountOf(size_t n, const char* one, const char* many);

// A text in double quotes with backslash escapes for quotes, backslashes and
// control bytes.
std::string Quoted(const std::string& text);
// True when `text` is well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& text);
// The bytes of `text` as upper-case hexadecimal digits, two per byte.
std::string HexBytes(const std::string& text);

// The value for a reader: texts quoted, "(empty)" for the empty kind, the
// variant's own text otherwise.
std::string DisplayValue(const _zarvVAR& value);
// "<kind name> <display value>", for example: text "COM1".
std::string DescribeValue(const _zarvVAR& value);
// Same kind and same text form (floats therefore compare by their exact
// shortest text, not by ==, so -0 and 0 differ and NaN equals NaN).
bool SameValue(const _zarvVAR& a, const _zarvVAR& b);

// The canonical text of a value, which ParseValue reads back bit for bit:
// the variant's text conversion ("" for the empty kind), except NaNs, which
// keep their sign and payload: "nan" and "-nan" for the quiet NaN, else
// "nan(0x<mantissa field in hex>)" with the sign before it.
std::string ValueText(const _zarvVAR& value);
// Reads `text` as a value of `kind`, strictly: booleans "true"/"false" (any
// case), integers in decimal within the kind's range, floating numbers as
// strtod/strtof read the whole text when they neither overflow to an
// infinity nor underflow to zero ("inf", "-inf" and the NaN forms of
// ValueText are read as written), texts unchanged, the empty kind only from
// an empty text; never a text holding a NUL byte. False with `why` set
// otherwise.
bool ParseValue(int kind, const std::string& text, _zarvVAR& out, std::string& why);

// The pieces of `text` between the separators, empty pieces included (an
// empty text is one empty piece).
std::vector<std::string> SplitAt(const std::string& text, char sep);

// Whole-text decimal (or "0x" hexadecimal) numbers within [0, max] and
// [min, max]; false for anything else, signs and blanks included where they
// do not belong.
bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& out);
bool ParseSigned(const std::string& text, int64_t min, int64_t max, int64_t& out);

}  // namespace zarvtool

#endif  // TOOLS_VALUE_FORMAT_H_
