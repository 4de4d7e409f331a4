#include "catalogue/internal/xml_catalogue.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "host/zarvlib/file_ops.h"
#include "host/zarvlib/internal/zarv_result.h"

namespace zarvqen {

const char* CZARVXmlElem::DataText() const {
    return m_level == XmlLevel::kMain ? m_doc.DataText() : m_doc.ChildDataText();
}

const char* CZARVXmlElem::AttribText(const char* name) const {
    return m_level == XmlLevel::kMain ? m_doc.AttribText(name) : m_doc.ChildAttribText(name);
}

bool CZARVXmlElem::HasAttrib(const char* name) const {
    return m_level == XmlLevel::kMain ? m_doc.HasAttrib(name) : m_doc.HasChildAttrib(name);
}

int CZARVXmlElem::Line() const {
    return m_level == XmlLevel::kMain ? m_doc.GetLine() : m_doc.GetChildLine();
}

_zarv_str CZARVXmlElem::Data() const { return _zarv_str(DataText()); }
_zarv_str CZARVXmlElem::Attrib(const char* name) const { return _zarv_str(AttribText(name)); }

namespace {

// What the document's save writes for a byte of element text or of an
// attribute value: the byte itself, an entity, or a character reference
// (two digits) for a control character. Tabs, line feeds and carriage
// returns stay as they are in text; in an attribute value they are
// referenced, or a load would read them as blanks.
enum EscapeKind : unsigned char { kInText = 1, kInAttrib = 2 };

constexpr std::array<unsigned char, 256> MakeEscapeTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 32; ++c) table[c] = kInText | kInAttrib;
    table['\t'] = table['\n'] = table['\r'] = kInAttrib;
    table['&'] = table['<'] = kInText | kInAttrib;
    table['>'] = kInText;
    table['"'] = kInAttrib;
    return table;
}

constexpr std::array<unsigned char, 256> kEscapeTable = MakeEscapeTable();

// True when one of the eight bytes of `word` is 0 (the classic bit trick:
// exact about whether, not about which).
constexpr bool HasZeroByte(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    return ((word - kOnes) & ~word & (kOnes << 7)) != 0;
}

// True when one of the eight bytes of `word` may need escaping `where`: a
// control character (tabs and line ends too, which the byte loop then
// passes in text), '&', '<', and '>' in text or '"' in an attribute value.
bool MayNeedEscape(uint64_t word, EscapeKind where) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    const bool control = ((word - kOnes * 0x20) & ~word & (kOnes << 7)) != 0;
    return control || HasZeroByte(word ^ (kOnes * '&')) || HasZeroByte(word ^ (kOnes * '<')) ||
           HasZeroByte(word ^ (kOnes * (where == kInText ? '>' : '"')));
}

// The first byte from `p` on that needs escaping `where`, or `end`. Element
// texts are mostly plain: they are passed eight bytes at a time.
const char* SkipPlain(const char* p, const char* end, EscapeKind where) {
    for (uint64_t word; end - p >= 8; p += 8) {
        std::memcpy(&word, p, sizeof word);
        if (MayNeedEscape(word, where)) break;
    }
    while (p < end && !(kEscapeTable[static_cast<unsigned char>(*p)] & where)) ++p;
    return p;
}

// Appends `text` escaped `where`. False at a NUL byte, which no escape can
// write (what was appended is then unspecified).
bool AppendEscaped(std::string& out, std::string_view text, EscapeKind where) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* run = p;
        p = SkipPlain(p, end, where);
        out.append(run, static_cast<size_t>(p - run));
        if (p == end) break;
        const unsigned char c = static_cast<unsigned char>(*p++);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\0':
                return false;
            default: {
                const char ref[] = {'&', '#', static_cast<char>('0' + c / 10),
                                    static_cast<char>('0' + c % 10), ';'};
                out.append(ref, sizeof ref);
            }
        }
    }
    return true;
}

constexpr size_t kIndentWidth = 2;

// The declaration ends at the first "?>", whatever quotes stand around it:
// a version or encoding text holding one would end it early, and the file
// would not load.
bool FitsDeclaration(const char* text) { return !text || !std::strstr(text, "?>"); }

}  // namespace

bool CZARVXmlWriter::Writable(std::string_view text) {
    if (text.find('\0') == std::string_view::npos) return true;
    m_spoilt = true;
    return false;
}

bool CZARVXmlWriter::Declare(const char* version, const char* encoding) {
    if (!m_text.empty() || !FitsDeclaration(version) || !FitsDeclaration(encoding)) return false;
    m_text += "<?xml";
    for (const auto& [name, value] :
         {std::pair{" version=\"", version}, {" encoding=\"", encoding}}) {
        m_text += name;
        AppendEscaped(m_text, value ? value : "", kInAttrib);
        m_text += '"';
    }
    m_text += "?>";
    return true;
}

void CZARVXmlWriter::NewLine(size_t depth) {
    m_text += '\n';
    m_text.append(depth * kIndentWidth, ' ');
}

void CZARVXmlWriter::SealStart() {
    if (m_open.empty() || !m_open.back().start_open) return;
    m_open.back().start_open = false;
    m_text += '>';
    AppendEscaped(m_text, m_pending_data, kInText);
    // Elements after an element's text follow it on the same line.
    m_after_text = !m_pending_data.empty();
    m_pending_data.clear();
    m_attribs.clear();
}

void CZARVXmlWriter::CloseLast() {
    OpenElem& last = m_open.back();
    if (last.start_open && m_pending_data.empty()) {
        m_text += " />";
    } else {
        if (last.start_open) {
            m_text += '>';
            AppendEscaped(m_text, m_pending_data, kInText);
            m_pending_data.clear();
        } else {
            NewLine(m_open.size() - 1);  // after its last child element
        }
        m_text += "</";
        m_text += last.tag;
        m_text += '>';
    }
    m_attribs.clear();
    m_open.pop_back();
}

void CZARVXmlWriter::CloseTo(size_t open_count) {
    while (m_open.size() > open_count) CloseLast();
}

void CZARVXmlWriter::Open(const char* tag, std::string_view data) {
    SealStart();
    if (!m_after_text && !m_text.empty()) NewLine(m_open.size());
    m_after_text = false;
    m_text += '<';
    m_text += tag;
    m_open.push_back({tag, true});
    m_pending_data.assign(data);
}

bool CZARVXmlWriter::Add(XmlLevel level, const char* tag, std::string_view data) {
    if (!Writable(data) || !CMarkup::IsValidName(tag)) return false;
    if (level == XmlLevel::kMain) {
        // A document holds one top-level element.
        if (m_depth == 0 && m_has_root) return false;
        CloseTo(m_depth);
        Open(tag, data);
        m_has_root = true;
        m_has_main = true;
        m_has_child = false;
        return true;
    }
    if (!m_has_main) return false;
    CloseTo(m_depth + 1);
    Open(tag, data);
    m_has_child = true;
    return true;
}

bool CZARVXmlWriter::BeginAttrib(XmlLevel level, const char* name) {
    const bool main = level == XmlLevel::kMain;
    if (!(main ? m_has_main : m_has_child) || !CMarkup::IsValidName(name)) return false;
    const size_t open_count = m_depth + (main ? 1 : 2);
    if (m_open.size() != open_count || !m_open.back().start_open) {
        m_spoilt = true;  // its start tag is written already
        return false;
    }
    m_text += ' ';
    m_attrib_at = m_text.size();
    m_text += name;
    m_text += "=\"";
    return true;
}

void CZARVXmlWriter::EndAttrib() {
    const size_t name_len = m_text.find('=', m_attrib_at) - m_attrib_at;
    const size_t value_at = m_attrib_at + name_len + 2;
    const size_t value_len = m_text.size() - value_at;
    m_text += '"';
    const std::string_view name = std::string_view(m_text).substr(m_attrib_at, name_len);
    for (size_t i = 0; i < m_attribs.size(); ++i) {
        AttribSpan& span = m_attribs[i];
        if (std::string_view(m_text).substr(span.name_at, span.name_len) != name) continue;
        // A name set again keeps its place and takes the new value.
        std::string value = m_text.substr(value_at, value_len);
        m_text.resize(m_attrib_at - 1);
        m_text.replace(span.value_at, span.value_len, value);
        for (size_t j = i + 1; j < m_attribs.size(); ++j) {
            m_attribs[j].name_at = m_attribs[j].name_at + value.size() - span.value_len;
            m_attribs[j].value_at = m_attribs[j].value_at + value.size() - span.value_len;
        }
        span.value_len = value.size();
        return;
    }
    m_attribs.push_back({m_attrib_at, name_len, value_at, value_len});
}

bool CZARVXmlWriter::SetAttrib(XmlLevel level, const char* name, std::string_view value) {
    if (!BeginAttrib(level, name)) {
        Writable(value);  // a value holding a NUL spoils the save all the same
        return false;
    }
    // The value is checked for a NUL while it is escaped, and taken back
    // with its name when it holds one.
    if (!AppendEscaped(m_text, value, kInAttrib)) {
        m_text.resize(m_attrib_at - 1);
        m_spoilt = true;
        return false;
    }
    EndAttrib();
    return true;
}

bool CZARVXmlWriter::SetAttrib(XmlLevel level, const char* name, int value) {
    if (!BeginAttrib(level, name)) return false;
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, written.ptr);
    EndAttrib();
    return true;
}

bool CZARVXmlWriter::IntoElem() {
    if (!m_has_main) return false;
    ++m_depth;
    m_has_main = m_has_child;
    m_has_child = false;
    return true;
}

bool CZARVXmlWriter::OutOfElem() {
    if (m_depth == 0) return false;
    --m_depth;
    m_has_child = m_has_main;
    m_has_main = true;
    return true;
}

const std::string& CZARVXmlWriter::Finish() {
    CloseTo(0);
    if (!m_text.empty()) m_text += '\n';
    return m_text;
}

bool SaveXmlCatalogue(const char* path, const char* version, const char* encoding,
                      const XmlCatalogueFrame& frame,
                      const std::function<void(CZARVXmlWriter&)>& write_body) {
    return ZarvResultOf(false, [&] {
        CZARVXmlWriter writer;
        if (!writer.Declare(version, encoding)) return false;
        if (frame.has_content && writer.Add(XmlLevel::kMain, frame.root) &&
            (!frame.enter_root || writer.IntoElem()))
            write_body(writer);
        if (writer.Spoilt() || !path || !*path) return false;
        const std::string& text = writer.Finish();
        return ZarvWriteFileAtomic(path, text.data(), text.size());
    });
}

XmlOpen OpenXmlCatalogue(CMarkup& doc, const char* path, const char* root) {
    if (!doc.Load(path)) return XmlOpen::kUnreadable;
    if (!doc.FindElem(root) || !doc.IntoElem()) return XmlOpen::kNoRoot;
    return XmlOpen::kInRoot;
}

bool LoadXmlCatalogue(const char* path, const char* root, const std::function<void()>& clear,
                      const std::function<void(CMarkup&)>& read_body) {
    return LoadXmlCatalogue(path, XmlCatalogueRoot{root, root == nullptr}, clear, read_body,
                            nullptr);
}

namespace {

// Tells why `doc` could not be opened as a catalogue with that root.
void ReportRefusal(CZARVLoadReporter& reporter, CMarkup& doc, XmlOpen opened,
                   const XmlCatalogueRoot& root) {
    using Where = CZARVLoadReporter::Where;
    if (opened == XmlOpen::kUnreadable) {
        const CMarkup::ParseError& error = doc.GetParseError();
        std::string what = error.line > 0 ? "not well-formed XML: " + error.description +
                                                "; the library refuses the file"
                                          : error.description + ": the library refuses the file";
        reporter.Report(CZARVLoadReporter::kProblem, Where{error.line, error.column, error.offset},
                        what);
        return;
    }
    std::string usual = root.name ? root.name : "";
    doc.ResetPos();
    if (doc.FindElem())
        reporter.Report(CZARVLoadReporter::kProblem, Where::Line(doc.GetLine()),
                        "the root element is <" + doc.GetTagName().str() + ">, not <" + usual +
                            ">: the library refuses the file");
    else
        reporter.Report(CZARVLoadReporter::kProblem, Where{},
                        "no <" + usual +
                            "> element: the library refuses the file (an empty collection is "
                            "saved this way and does not load back)");
}

}  // namespace

bool LoadXmlCatalogue(const char* path, const XmlCatalogueRoot& root,
                      const std::function<void()>& clear,
                      const std::function<void(CMarkup&)>& read_body, CZARVLoadReporter* reporter) {
    return ZarvResultOf(false, [&] {
        CMarkup doc;
        const char* wanted = root.any ? nullptr : root.name;
        XmlOpen opened = OpenXmlCatalogue(doc, path, wanted);
        if (opened == XmlOpen::kUnreadable || (wanted && opened == XmlOpen::kNoRoot)) {
            if (reporter) ReportRefusal(*reporter, doc, opened, root);
            return false;
        }
        clear();
        if (opened != XmlOpen::kInRoot) return true;
        if (reporter && root.any && root.name) {
            // Out to the root for its tag and line, and back in before any
            // child was found.
            doc.OutOfElem();
            std::string tag = doc.GetTagName().str();
            if (tag != root.name)
                reporter->Report(CZARVLoadReporter::kNote,
                                 CZARVLoadReporter::Where::Line(doc.GetLine()),
                                 "root element <" + tag + "> loads like <" + root.name + ">");
            doc.IntoElem();
        }
        read_body(doc);
        return true;
    });
}

}  // namespace zarvqen
