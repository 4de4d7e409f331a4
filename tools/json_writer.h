// A small JSON writer: objects, arrays, strings with the required escapes,
// numbers and variants, indented two blanks per level.
#ifndef TOOLS_JSON_WRITER_H_
#define TOOLS_JSON_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_var.h"

namespace zarvtool {

class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : m_out(out) {}

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    // The name of the next member of the current object.
    void Key(const std::string& name);

    // A string; a text that is not valid UTF-8 as {"bytes_hex": "<its bytes
    // in hexadecimal>"}, so that every byte comes through and the output
    // stays valid JSON.
    void String(const std::string& text);
    void Int(int64_t n);
    void UInt(uint64_t n);
    // Finite numbers as numbers; NaN and infinities as the strings "nan",
    // "inf" and "-inf" (JSON has no number for them).
    void Double(double d);
    void Bool(bool b);
    void Null();
    // A variant as the JSON value of its kind: bool, number, string, or null
    // for the empty kind; a float or double NaN as the string of its text
    // with sign and payload ("nan", "-nan(0x1)", as CSV cells write it).
    void Value(const _zarvVAR& value);

    // Key and value in one call.
    void Member(const std::string& name, const std::string& text) {
        Key(name);
        String(text);
    }
    void Member(const std::string& name, int64_t n) {
        Key(name);
        Int(n);
    }

private:
    void Open(char c);
    void Close(char c);
    // Separator and indentation before a value (not after a key).
    void BeforeValue();
    void NewLine();
    // The text in quotes with JSON's escapes.
    void Quote(const std::string& text);

    std::string& m_out;
    std::vector<bool> m_first;  // per open level: no element written yet
    bool m_afterKey = false;
};

}  // namespace zarvtool

#endif  // TOOLS_JSON_WRITER_H_
