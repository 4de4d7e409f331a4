// The value text rules: how the catalogue files turn texts back into
// numbers and values. Every catalogue reader (meta property table, meta
// tables, driver library, pseudo definitions) goes through these functions,
// so a value written by one catalogue reads back the same in every other.
//
// Writing is the variant's own text conversion (ValueToText); the kind code
// goes beside it as an unsigned decimal, so the empty kind is written as
// 4294967295 and reads back as a kind no value can be made of.
#ifndef CATALOGUE_VALUE_TEXT_H_
#define CATALOGUE_VALUE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

namespace zarvqen {

// The decimal integer rule, atoi without its undefined cases: leading white
// space, one optional sign, then digits up to the first other character. No
// digits gives 0; a number beyond the signed 32-bit range is clamped to
// 2147483647 or -2147483648. A null text gives 0.
int32_t ReadDecimal(const char* text);

// ReadDecimal, then the low 16 bits as an unsigned number: how IDs and meta
// numbers are read (70000 gives 4464, -1 gives 65535).
uint16_t ReadLow16(const char* text);

// The floating rule, as atof reads. A null text gives 0.
double ReadFloating(const char* text);

// True exactly for the texts "true" and "TRUE".
bool ReadBoolText(const char* text);

// A double rounded to single precision; beyond the float range it becomes
// an infinity of the same sign instead of an undefined conversion.
float NarrowToFloat(double value);

// True for the kind codes a value can be read back in: 0 to 7 (bool,
// signed and unsigned 16-bit, signed and unsigned 32-bit, float, double,
// text). Negative codes are outside.
bool IsTextKind(int32_t kind);

// Sets `value` from `text` by the rule of `kind`: bool by ReadBoolText,
// 1 and 2 the low 16 bits of ReadDecimal, 3 ReadDecimal, 4 its 32 bits taken
// as unsigned, 5 and 6 ReadFloating (5 rounded to float), 7 the text itself.
// For any other kind `value` is emptied and the result is false.
bool ValueFromText(int32_t kind, const char* text, _zarvVAR& value);

// The kind code read from `kind_text` by the decimal integer rule, then
// ValueFromText: an empty value for a kind outside 0 to 7.
_zarvVAR ValueFromKindText(const char* kind_text, const char* value_text);

// The comma pieces of a C text that must have exactly `count` of them, cut
// in place: every comma of `text` up to the last piece becomes a NUL and
// `pieces[0..count)` point at the pieces. True when `text` has exactly that
// many pieces (an empty text has none); false otherwise, with `text` and
// `pieces` then unspecified. Stops at the first piece too many, so a text of
// nothing but commas costs nothing per comma.
bool CutCommaPieces(char* text, size_t count, const char** pieces);

// The same for a C text (null reads as empty), the pieces copied into `out`.
bool SplitCommaPieces(const char* text, size_t count, std::vector<_zarv_str>& out);

// For a person told what a load read: how a text fares under the rules
// above. Each gives the words saying that `text` reads as another number or
// value than it spells, or an empty text when it reads as written. Built
// only for a caller who asked to be told.
//
// DecimalReadsAs: the decimal integer rule, the text expected to be one
// optional sign and digits within the signed 32-bit range (0 to 65535 with
// `low16`, where the low 16 bits are what is kept): "<what> "12abc" reads as
// 12".
std::string DecimalReadsAs(const std::string& what, const char* text, bool low16);
// ValueTextReadsAs: ValueFromText of `kind` (0 to 7): "<owner>: long value
// "12abc" reads as 12". Floating texts are only asked to be numbers, since a
// direct single-precision read may differ from the rule in the last bit.
std::string ValueTextReadsAs(const std::string& owner, int32_t kind, const char* text);
// The name of a kind code 0 to 7 ("bool", "short", ..., "text"), else "kind N".
std::string TextKindName(int32_t kind);
// `text` between double quotes.
std::string QuotedText(const char* text);

// The text a value is written with: the variant's own conversion.
std::string ValueToText(const _zarvVAR& value);

// Appends "<kind>,<value text>" to `out`: the kind code as an unsigned
// decimal and the value text, as the property and table field elements
// carry them.
void AppendKindAndValueText(std::string& out, const _zarvVAR& value);

// Appends `n` in decimal to `out`.
void AppendDecimal(std::string& out, uint32_t n);

}  // namespace zarvqen

#endif  // CATALOGUE_VALUE_TEXT_H_
