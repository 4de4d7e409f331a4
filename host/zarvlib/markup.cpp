#include "host/zarvlib/markup.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <pugixml.hpp>
#include <type_traits>
#include <vector>

#include "host/zarvlib/file_ops.h"
#include "host/zarvlib/internal/read_file.h"
#include "host/zarvlib/internal/zarv_result.h"
#include "host/zarvlib/zarv_file.h"

namespace {

// The bytes of a document's file: the read writes them all at once, so the
// buffer is not zeroed first.
using ZarvFileBytes = std::vector<char, _zarv_uninit_alloc<char>>;

// Texts must come back byte for byte: no end-of-line or attribute
// whitespace normalisation, and a lone whitespace text is kept as data.
constexpr unsigned kParseFlags =
    (pugi::parse_default & ~pugi::parse_wconv_attribute & ~pugi::parse_eol) |
    pugi::parse_declaration | pugi::parse_pi | pugi::parse_ws_pcdata_single;

// Fragment mode keeps text found outside the root element, so that the
// well-formedness check below can see and refuse it.
constexpr unsigned kCheckFlags = kParseFlags | pugi::parse_fragment;

constexpr unsigned kSaveFlags = pugi::format_indent | pugi::format_no_declaration;

pugi::xml_node FromPos(CMarkup::Pos p) {
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(p));
}

CMarkup::Pos ToPos(pugi::xml_node n) { return n.internal_object(); }

bool IsNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsBlank(const char* s) {
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
    return true;
}

// Deeper documents are refused: no file of the system nests more than a few
// levels, and indenting a deeper one on save would cost quadratic space.
constexpr int kMaxDepth = 256;

// What the parser lets through but a well-formed document cannot have, and
// the element that has it.
struct TreeFault {
    std::string why;  // empty when there is none
    pugi::xml_node node;
};

// The first name, in sorted order, that two attributes of `n` share, or
// null; `names` is scratch space.
const char* SortedRepeat(pugi::xml_node n, std::vector<const char*>& names) {
    names.clear();
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
        names.push_back(a.name());
    std::sort(names.begin(), names.end(),
              [](const char* x, const char* y) { return std::strcmp(x, y) < 0; });
    for (size_t i = 1; i < names.size(); ++i)
        if (std::strcmp(names[i - 1], names[i]) == 0) return names[i];
    return nullptr;
}

// A name of an attribute of `n` that another of its attributes has, or null.
// Elements carry a few attributes: each is compared with those before it,
// first by its first byte, as the list is read; a longer list is sorted.
const char* RepeatedAttribute(pugi::xml_node n, std::vector<const char*>& names) {
    constexpr size_t kPairwise = 8;
    std::array<const char*, kPairwise> seen;
    size_t count = 0;
    const char* repeated = nullptr;  // the first name equal to one before it
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        if (count == kPairwise) return SortedRepeat(n, names);
        const char* name = a.name();
        for (size_t j = 0; j < count && !repeated; ++j)
            if (seen[j][0] == name[0] && std::strcmp(seen[j], name) == 0) repeated = name;
        seen[count++] = name;
    }
    return repeated;
}

// Walks the whole tree without recursion and finds the first element that
// repeats an attribute name or nests deeper than kMaxDepth.
TreeFault FindTreeFault(pugi::xml_node root) {
    if (!root) return {};
    // The parser's own walk: a virtual call per node instead of a handful of
    // calls to move between nodes.
    struct Finder : pugi::xml_tree_walker {
        std::vector<const char*> names;
        TreeFault fault;
        bool Check(pugi::xml_node n) {
            if (const char* repeated = RepeatedAttribute(n, names))
                fault = {"element <" + std::string(n.name()) + "> repeats the attribute \"" +
                             repeated + "\"",
                         n};
            return fault.why.empty();
        }
        bool for_each(pugi::xml_node& n) override {
            // depth() counts from the root's children, which are one level in.
            if (depth() + 1 > kMaxDepth) {
                fault = {"elements nest deeper than " + std::to_string(kMaxDepth) + " levels", n};
                return false;
            }
            return n.type() != pugi::node_element || Check(n);
        }
    } finder;
    if (finder.Check(root)) root.traverse(finder);
    return std::move(finder.fault);
}

// True when the byte at `i` ends a line: a line feed, or a carriage return
// not followed by one (XML reads CR LF and a lone CR as one line end).
bool EndsLine(const char* text, size_t len, size_t i) {
    return text[i] == '\n' || (text[i] == '\r' && (i + 1 == len || text[i + 1] != '\n'));
}

// The offsets of the line ends of `text` in `out`, in order. A text without
// carriage returns is searched for line feeds only, with memchr: every load
// of a catalogue passes here.
void FindLineEnds(const char* text, size_t len, std::vector<size_t>& out) {
    out.clear();
    if (len == 0) return;
    if (!std::memchr(text, '\r', len)) {
        const char* end = text + len;
        for (const char* p = text;
             (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))));
             ++p)
            out.push_back(static_cast<size_t>(p - text));
        return;
    }
    for (size_t i = 0; i < len; ++i)
        if (EndsLine(text, len, i)) out.push_back(i);
}

// True when `s` holds a character reference to U+0000 ("&#0;", "&#x00;").
bool HasNulReference(const char* s, size_t n) {
    for (const char* p = static_cast<const char*>(std::memchr(s, '&', n)); p;) {
        const char* end = s + n;
        const char* q = p + 1;
        if (q < end && *q == '#') {
            ++q;
            bool hex = q < end && *q == 'x';
            if (hex) ++q;
            const char* digits = q;
            while (q < end && *q == '0') ++q;
            if (q > digits && q < end && *q == ';') return true;
        }
        p = static_cast<const char*>(std::memchr(p + 1, '&', static_cast<size_t>(end - p - 1)));
    }
    return false;
}

// A reference to U+0000 is not XML, and the parser would silently cut the
// text or attribute value at it. Only texts and attribute values decode
// references (a comment or a processing instruction may spell one), so the
// document is parsed once more with references left as written and those
// values are checked. The plain scan keeps the usual document to one parse.
bool HasNulCharacter(const char* text, size_t len) {
    if (!HasNulReference(text, len)) return false;
    pugi::xml_document raw;
    if (raw.load_buffer(text, len, kCheckFlags & ~pugi::parse_escapes, pugi::encoding_utf8)
            .status != pugi::status_ok)
        return true;
    struct Finder : pugi::xml_tree_walker {
        bool found = false;
        static bool Has(const char* v) { return HasNulReference(v, std::strlen(v)); }
        bool for_each(pugi::xml_node& n) override {
            if (n.type() == pugi::node_pcdata && Has(n.value())) found = true;
            for (pugi::xml_attribute a = n.first_attribute(); a && !found; a = a.next_attribute())
                if (Has(a.value())) found = true;
            return !found;
        }
    } finder;
    raw.traverse(finder);
    return finder.found;
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

}  // namespace

struct CMarkup::Impl {
    // The parsed text: the document is parsed in place and its names and
    // texts point into it, so it lives as long as the document (declared
    // first, it is destroyed last). A vector keeps its bytes where they are
    // when it is moved.
    ZarvFileBytes text;
    std::unique_ptr<pugi::xml_document> doc = std::make_unique<pugi::xml_document>();
    pugi::xml_node parent;  // null: the document itself
    pugi::xml_node main;
    pugi::xml_node child;
    pugi::xml_node decl;            // declaration whose attributes AddAttrib sets
    std::vector<size_t> line_ends;  // offsets of the line ends (EndsLine) in the parsed text
    ParseError error;               // why the last parse failed

    pugi::xml_node ParentNode() const { return parent ? parent : doc->root(); }

    void Reset() { parent = main = child = decl = pugi::xml_node(); }

    int LineOf(pugi::xml_node n) const {
        if (!n) return 0;
        ptrdiff_t offset = n.offset_debug();
        if (offset < 0) return 0;
        auto it = std::lower_bound(line_ends.begin(), line_ends.end(), static_cast<size_t>(offset));
        return static_cast<int>(it - line_ends.begin()) + 1;
    }

    static pugi::xml_node NextElement(pugi::xml_node from, const char* name) {
        for (pugi::xml_node n = from; n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            if (!name || !*name || std::strcmp(n.name(), name) == 0) return n;
        }
        return pugi::xml_node();
    }

    // Records why the parse failed, at `offset` of the text of `len` bytes
    // when there is one; its line and column come from line_ends.
    void Fail(size_t len, const char* why, ptrdiff_t offset) {
        error = ParseError{why, -1, 0, 0};
        if (offset < 0 || static_cast<size_t>(offset) > len) return;
        error.offset = offset;
        auto after =
            std::lower_bound(line_ends.begin(), line_ends.end(), static_cast<size_t>(offset));
        error.line = static_cast<int>(after - line_ends.begin()) + 1;
        size_t line_start = after == line_ends.begin() ? 0 : *(after - 1) + 1;
        error.column = static_cast<int>(static_cast<size_t>(offset) - line_start) + 1;
    }

    // Parses `source` in place and keeps it as the document's text.
    bool Parse(ZarvFileBytes source) {
        const size_t len = source.size();
        // An empty vector may have no bytes at all; the parser and the
        // scans below get a valid pointer either way.
        static char empty_text = 0;
        char* bytes = len ? source.data() : &empty_text;
        // The parse writes into the text: what is read from the text as
        // written (line ends, references to U+0000) is taken first. A text
        // with a character reference keeps a copy for the check below.
        FindLineEnds(bytes, len, line_ends);
        ZarvFileBytes as_written;
        if (HasNulReference(bytes, len)) as_written = source;
        auto fresh = std::make_unique<pugi::xml_document>();
        pugi::xml_parse_result res =
            fresh->load_buffer_inplace(bytes, len, kCheckFlags, pugi::encoding_utf8);
        bool ok = res.status == pugi::status_ok;
        error = ParseError{};
        if (!ok) Fail(len, res.description(), res.offset);
        // Well-formed means one root element, no text outside it and no
        // repeated attribute.
        int roots = 0;
        for (pugi::xml_node n = fresh->first_child(); ok && n;) {
            pugi::xml_node next = n.next_sibling();
            if (n.type() == pugi::node_element && ++roots == 2)
                Fail(len, "a second root element", n.offset_debug());
            if (n.type() == pugi::node_cdata) {
                ok = false;
                Fail(len, "character data outside the root element", n.offset_debug());
            }
            if (n.type() == pugi::node_pcdata) {
                if (!IsBlank(n.value())) {
                    ok = false;
                    Fail(len, "text outside the root element", n.offset_debug());
                }
                fresh->remove_child(n);
            }
            n = next;
        }
        // A lone declaration is a document too: catalogues with nothing in
        // them are saved that way and must load back as empty.
        bool bare_declaration = roots == 0 && fresh->first_child().type() == pugi::node_declaration;
        if (ok && roots == 0 && !bare_declaration) Fail(len, "no root element", -1);
        if (ok && roots > 1) ok = false;  // the second root was recorded above
        ok = ok && (roots == 1 || bare_declaration);
        if (ok) {
            TreeFault fault = FindTreeFault(fresh->document_element());
            if (!fault.why.empty()) {
                ok = false;
                Fail(len, fault.why.c_str(), fault.node.offset_debug());
            }
        }
        if (ok && !as_written.empty() && HasNulCharacter(as_written.data(), len)) {
            ok = false;
            Fail(len, "a reference to the character U+0000", -1);
        }
        Reset();
        if (!ok) {
            line_ends.clear();
            doc = std::make_unique<pugi::xml_document>();
            text.clear();
            return false;
        }
        doc = std::move(fresh);
        text = std::move(source);
        return true;
    }

    std::string Serialise() const {
        StringWriter w;
        doc->save(w, "  ", kSaveFlags, pugi::encoding_utf8);
        return std::move(w.out);
    }

    // Inserts a new element named `name` among `under`'s children, after
    // `after` when it is set, else at the end.
    static pugi::xml_node Insert(pugi::xml_node under, pugi::xml_node after, const char* name,
                                 const char* data) {
        pugi::xml_node n = after ? under.insert_child_after(pugi::node_element, after)
                                 : under.append_child(pugi::node_element);
        if (!n) return n;
        n.set_name(name);
        if (data && *data) n.append_child(pugi::node_pcdata).set_value(data);
        return n;
    }

    static bool SetText(pugi::xml_node n, const char* data) {
        if (!n) return false;
        if (!data || !*data) {
            for (pugi::xml_node c = n.first_child(); c;) {
                pugi::xml_node next = c.next_sibling();
                if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
                    n.remove_child(c);
                c = next;
            }
            return true;
        }
        return n.text().set(data);
    }

    // `value` is a C text (null writes an empty one) or an int, which the
    // parser's own formatting writes in plain decimal without a string.
    template <class V>
    static bool SetAttrib(pugi::xml_node n, const char* name, V value) {
        if (!n || !CMarkup::IsValidName(name)) return false;
        pugi::xml_attribute a = n.attribute(name);
        if (!a) a = n.append_attribute(name);
        if constexpr (std::is_same_v<V, int>)
            return a && a.set_value(value);
        else
            return a && a.set_value(value ? value : "");
    }
};

CMarkup::CMarkup() : m_impl(std::make_unique<Impl>()) {}

CMarkup::CMarkup(const char* text) : CMarkup() { SetDoc(text); }

CMarkup::~CMarkup() = default;

bool CMarkup::IsValidName(const char* name) {
    if (!name || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
    for (const char* p = name + 1; *p; ++p)
        if (!IsNameChar(static_cast<unsigned char>(*p))) return false;
    return true;
}

// --- whole document ---

bool CMarkup::Load(const char* path) {
    m_impl->error = ParseError{};
    bool ok = ZarvResultOf(false, [&] {
        ZarvFileBytes text;
        if (!path || !ZarvReadWholeFile(path, text)) {
            m_impl->error = ParseError{"the file cannot be read", -1, 0, 0};
            return false;
        }
        return m_impl->Parse(std::move(text));
    });
    if (!ok) LeaveEmpty();
    return ok;
}

void CMarkup::LeaveEmpty() {
    // Leaves the empty document a failed load promises, even when memory ran
    // out, and keeps the reason the load failed.
    ParseError why = std::move(m_impl->error);
    if (why.description.empty()) why.description = "out of memory";
    ZarvResultOf(false, [&] { return m_impl->Parse({}); });
    m_impl->error = std::move(why);
}

const CMarkup::ParseError& CMarkup::GetParseError() const { return m_impl->error; }

bool CMarkup::Save(const char* path) const {
    if (!path || !*path) return false;
    return ZarvResultOf(false, [&] {
        std::string text = m_impl->Serialise();
        return ZarvWriteFileAtomic(path, text.data(), text.size());
    });
}

bool CMarkup::SetDoc(const char* text) { return SetDoc(text, text ? std::strlen(text) : 0); }

bool CMarkup::SetDoc(const char* text, size_t len) {
    if (!text) len = 0;
    m_impl->error = ParseError{};
    bool ok = ZarvResultOf(false, [&] {
        return m_impl->Parse(text ? ZarvFileBytes(text, text + len) : ZarvFileBytes());
    });
    if (!ok) LeaveEmpty();
    return ok;
}

std::string CMarkup::GetDoc() const { return m_impl->Serialise(); }

bool CMarkup::IsWellFormed() const { return m_impl->doc->document_element() != nullptr; }

// --- navigation ---

bool CMarkup::FindElem(const char* name) {
    Impl& m = *m_impl;
    pugi::xml_node from = m.main ? m.main.next_sibling() : m.ParentNode().first_child();
    pugi::xml_node found = Impl::NextElement(from, name);
    if (!found) return false;
    m.main = found;
    m.child = pugi::xml_node();
    return true;
}

bool CMarkup::FindChildElem(const char* name) {
    Impl& m = *m_impl;
    if (!m.main && !FindElem()) return false;
    pugi::xml_node from = m.child ? m.child.next_sibling() : m.main.first_child();
    pugi::xml_node found = Impl::NextElement(from, name);
    if (!found) return false;
    m.child = found;
    return true;
}

bool CMarkup::IntoElem() {
    Impl& m = *m_impl;
    if (!m.main) return false;
    m.parent = m.main;
    m.main = m.child;
    m.child = pugi::xml_node();
    return true;
}

bool CMarkup::OutOfElem() {
    Impl& m = *m_impl;
    if (!m.parent) return false;
    m.child = m.main;
    m.main = m.parent;
    pugi::xml_node up = m.parent.parent();
    m.parent = up.type() == pugi::node_document ? pugi::xml_node() : up;
    return true;
}

void CMarkup::ResetPos() { m_impl->Reset(); }

void CMarkup::ResetMainPos() {
    m_impl->main = pugi::xml_node();
    m_impl->child = pugi::xml_node();
}

void CMarkup::ResetChildPos() { m_impl->child = pugi::xml_node(); }

CMarkup::Pos CMarkup::GetParentPos() const { return ToPos(m_impl->parent); }
CMarkup::Pos CMarkup::GetMainPos() const { return ToPos(m_impl->main); }
CMarkup::Pos CMarkup::GetChildPos() const { return ToPos(m_impl->child); }

void CMarkup::x_SetPos(Pos parent, Pos main, Pos child) {
    m_impl->parent = FromPos(parent);
    m_impl->main = FromPos(main);
    m_impl->child = FromPos(child);
}

// --- reading ---

_zarv_str CMarkup::GetTagName() const { return _zarv_str(m_impl->main.name()); }
_zarv_str CMarkup::GetChildTagName() const { return _zarv_str(m_impl->child.name()); }
const char* CMarkup::DataText() const { return m_impl->main.text().get(); }
const char* CMarkup::ChildDataText() const { return m_impl->child.text().get(); }

const char* CMarkup::AttribText(const char* name) const {
    return name ? m_impl->main.attribute(name).value() : "";
}

const char* CMarkup::ChildAttribText(const char* name) const {
    return name ? m_impl->child.attribute(name).value() : "";
}

_zarv_str CMarkup::GetData() const { return _zarv_str(DataText()); }
_zarv_str CMarkup::GetChildData() const { return _zarv_str(ChildDataText()); }
_zarv_str CMarkup::GetAttrib(const char* name) const { return _zarv_str(AttribText(name)); }
_zarv_str CMarkup::GetChildAttrib(const char* name) const {
    return _zarv_str(ChildAttribText(name));
}

bool CMarkup::HasAttrib(const char* name) const { return name && m_impl->main.attribute(name); }

bool CMarkup::HasChildAttrib(const char* name) const {
    return name && m_impl->child.attribute(name);
}

int CMarkup::GetLine() const { return m_impl->LineOf(m_impl->main); }
int CMarkup::GetChildLine() const { return m_impl->LineOf(m_impl->child); }

// --- building ---

bool CMarkup::AddNode(int type, const char* text) {
    Impl& m = *m_impl;
    pugi::xml_node under = m.ParentNode();
    pugi::xml_node n;
    if (type == MNT_PROCESSING_INSTRUCTION) {
        if (!IsValidName(text)) return false;
        if (std::strcmp(text, "xml") == 0) {
            // The declaration always opens the document; a second one replaces the first.
            if (m.parent) return false;
            pugi::xml_node root = m.doc->root();
            for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
                if (c.type() == pugi::node_declaration) {
                    root.remove_child(c);
                    break;
                }
            }
            m.decl = root.prepend_child(pugi::node_declaration);
            return static_cast<bool>(m.decl);
        }
        n = m.main ? under.insert_child_after(pugi::node_pi, m.main)
                   : under.append_child(pugi::node_pi);
        if (n) n.set_name(text);
    } else if (type == MNT_COMMENT || type == MNT_TEXT || type == MNT_CDATA_SECTION) {
        pugi::xml_node_type t = type == MNT_COMMENT ? pugi::node_comment
                                : type == MNT_TEXT  ? pugi::node_pcdata
                                                    : pugi::node_cdata;
        if (t != pugi::node_comment && !m.parent) return false;  // no text outside the root
        n = m.main ? under.insert_child_after(t, m.main) : under.append_child(t);
        if (n) n.set_value(text ? text : "");
    } else {
        return false;
    }
    return static_cast<bool>(n);
}

bool CMarkup::AddElem(const char* name, const char* data, int /*flags*/) {
    Impl& m = *m_impl;
    if (!IsValidName(name)) return false;
    // A document holds one root element.
    if (!m.parent && m.doc->document_element()) return false;
    pugi::xml_node n = Impl::Insert(m.ParentNode(), m.main, name, data);
    if (!n) return false;
    m.main = n;
    m.child = pugi::xml_node();
    m.decl = pugi::xml_node();
    return true;
}

bool CMarkup::AddChildElem(const char* name, const char* data, int /*flags*/) {
    Impl& m = *m_impl;
    if (!m.main || !IsValidName(name)) return false;
    pugi::xml_node n = Impl::Insert(m.main, m.child, name, data);
    if (!n) return false;
    m.child = n;
    m.decl = pugi::xml_node();
    return true;
}

bool CMarkup::AddAttrib(const char* name, const char* value) {
    Impl& m = *m_impl;
    return Impl::SetAttrib(m.decl ? m.decl : m.main, name, value);
}

bool CMarkup::AddAttrib(const char* name, int value) {
    Impl& m = *m_impl;
    return Impl::SetAttrib(m.decl ? m.decl : m.main, name, value);
}

bool CMarkup::AddChildAttrib(const char* name, const char* value) {
    return Impl::SetAttrib(m_impl->child, name, value);
}

bool CMarkup::AddChildAttrib(const char* name, int value) {
    return Impl::SetAttrib(m_impl->child, name, value);
}

bool CMarkup::SetData(const char* data) { return Impl::SetText(m_impl->main, data); }
bool CMarkup::SetChildData(const char* data) { return Impl::SetText(m_impl->child, data); }

bool CMarkup::RemoveElem() {
    Impl& m = *m_impl;
    if (!m.main) return false;
    pugi::xml_node prev = m.main.previous_sibling();
    while (prev && prev.type() != pugi::node_element) prev = prev.previous_sibling();
    m.ParentNode().remove_child(m.main);
    m.main = prev;
    m.child = pugi::xml_node();
    return true;
}

bool CMarkup::RemoveChildElem() {
    Impl& m = *m_impl;
    if (!m.main || !m.child) return false;
    pugi::xml_node prev = m.child.previous_sibling();
    while (prev && prev.type() != pugi::node_element) prev = prev.previous_sibling();
    m.main.remove_child(m.child);
    m.child = prev;
    return true;
}
