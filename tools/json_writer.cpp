#include "tools/json_writer.h"

#include <cmath>
#include <cstdio>

#include "tools/value_format.h"

namespace zarvtool {

void JsonWriter::NewLine() {
    m_out += '\n';
    m_out.append(m_first.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_first.empty()) return;
    if (!m_first.back()) m_out += ',';
    m_first.back() = false;
    NewLine();
}

void JsonWriter::Open(char c) {
    BeforeValue();
    m_out += c;
    m_first.push_back(true);
}

void JsonWriter::Close(char c) {
    bool empty = m_first.empty() || m_first.back();
    if (!m_first.empty()) m_first.pop_back();
    if (!empty) NewLine();
    m_out += c;
    if (m_first.empty()) m_out += '\n';
}

void JsonWriter::Key(const std::string& name) {
    BeforeValue();
    Quote(name);
    m_out += ": ";
    m_afterKey = true;
}

void JsonWriter::String(const std::string& text) {
    BeforeValue();
    // JSON text is UTF-8: other bytes go out as their hexadecimal digits.
    if (!IsValidUtf8(text)) {
        m_out += "{\"bytes_hex\": \"" + HexBytes(text) + "\"}";
        return;
    }
    Quote(text);
}

void JsonWriter::Quote(const std::string& text) {
    m_out += '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", c);
                    m_out += buf;
                } else {
                    m_out += static_cast<char>(c);
                }
        }
    }
    m_out += '"';
}

void JsonWriter::Int(int64_t n) {
    BeforeValue();
    m_out += std::to_string(n);
}

void JsonWriter::UInt(uint64_t n) {
    BeforeValue();
    m_out += std::to_string(n);
}

void JsonWriter::Double(double d) {
    if (std::isnan(d)) return String("nan");
    if (std::isinf(d)) return String(d < 0 ? "-inf" : "inf");
    BeforeValue();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    m_out += buf;
}

void JsonWriter::Bool(bool b) {
    BeforeValue();
    m_out += b ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
}

void JsonWriter::Value(const _zarvVAR& value) {
    switch (value.GetType()) {
        case _zarvVAR::VT_EMPTY:
            return Null();
        case _zarvVAR::VT_BOOL:
            return Bool(value.GetBool());
        case _zarvVAR::VT_R4:
        case _zarvVAR::VT_R8: {
            double d = value.ToDouble();
            // A NaN keeps its sign and payload in the tool's text of it.
            if (std::isnan(d)) return String(ValueText(value));
            if (!std::isfinite(d)) return Double(d);
            // The variant's shortest text that reads back to the same value.
            BeforeValue();
            m_out += value.ToString();
            return;
        }
        case _zarvVAR::VT_STR:
            return String(value.ToString());
        case _zarvVAR::VT_UI4:
        case _zarvVAR::VT_UI8:
        case _zarvVAR::VT_UI2:
            return UInt(value.ToULongLong());
        default:
            return Int(value.ToLongLong());
    }
}

}  // namespace zarvtool
