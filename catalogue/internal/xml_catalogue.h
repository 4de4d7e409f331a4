// The XML frame every catalogue file shares: the declaration carrying the
// caller's version and encoding texts, one root element that is written only
// when the catalogue has content, and loading that enters the root. Also
// CZARVXmlWriter, through which every catalogue writes its elements and
// which refuses texts no XML file can carry, and CZARVXmlElem, which lets
// one element codec read an element either at the document's main position
// or as its current child.
#ifndef CATALOGUE_XML_CATALOGUE_H_
#define CATALOGUE_XML_CATALOGUE_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_str.h"

namespace zarvqen {

// Where an element codec works in a CMarkup.
enum class XmlLevel {
    kMain,   // AddElem / GetData / GetAttrib: the main position
    kChild,  // AddChildElem / GetChildData / GetChildAttrib: the current child
};

// One element of a document at a given level, for reading. Holds a
// reference to the document, which must outlive it.
class CZARVXmlElem {
public:
    CZARVXmlElem(CMarkup& doc, XmlLevel level) : m_doc(doc), m_level(level) {}

    // Text and attributes of the current element; empty when absent.
    _zarv_str Data() const;
    _zarv_str Attrib(const char* name) const;
    // The same borrowed from the document, valid until it changes.
    const char* DataText() const;
    const char* AttribText(const char* name) const;
    bool HasAttrib(const char* name) const;
    // 1-based line of the element in the loaded text, 0 when unknown.
    int Line() const;

private:
    CMarkup& m_doc;
    XmlLevel m_level;
};

// The building side of a catalogue save: every element and attribute a
// catalogue writes goes through here, with its text given whole (length
// included). It writes the file's text as it goes, in the layout CMarkup's
// Save gives the same document (two-space indent, one element per line, an
// element with only text on one line, an empty one as "<tag />"), instead
// of building the document first: a catalogue of many thousand elements is
// written in one pass.
//
// Positions follow CMarkup: a parent (the element entered last, the top
// at first), the main element among its children and the current child
// among the main element's children. Add puts a new element after the
// current one at its level, which in a text written in order is the end.
// Attributes are set right after their element is added, before anything
// goes inside or after it; an attribute set later can no longer be written
// and spoils the save. XML cannot write the character U+0000, so a text
// holding a NUL byte is not written at all and spoils the save too:
// SaveXmlCatalogue then leaves the file as it was and returns false,
// instead of writing the text cut at the NUL, which would load back as
// another text.
class CZARVXmlWriter {
public:
    CZARVXmlWriter() = default;
    CZARVXmlWriter(const CZARVXmlWriter&) = delete;
    CZARVXmlWriter& operator=(const CZARVXmlWriter&) = delete;

    // Opens the text with the XML declaration carrying "version" and
    // "encoding" (a null text is written as an empty one). False, writing
    // nothing, when something was written before, or when a text holds
    // "?>", which would end the declaration inside it and leave a file that
    // does not load.
    bool Declare(const char* version, const char* encoding);
    // Adds a new element after the current one at `level` and makes it
    // current. False (nothing added) when the tag is no valid XML name, for
    // a second top-level element, for a child without a main element, or
    // when the data cannot be written.
    bool Add(XmlLevel level, const char* tag, std::string_view data = {});
    // Sets an attribute of the current element at `level`; a name set twice
    // keeps the later value. False when there is no such element, the name
    // is no valid XML name or the value cannot be written.
    bool SetAttrib(XmlLevel level, const char* name, std::string_view value);
    // The same for a C text; null is written as an empty text.
    bool SetAttrib(XmlLevel level, const char* name, const char* value) {
        return SetAttrib(level, name, std::string_view(value ? value : ""));
    }
    bool SetAttrib(XmlLevel level, const char* name, int value);
    // Steps into the main element / back out of it (CMarkup's IntoElem and
    // OutOfElem): false without a main element / at the top.
    bool IntoElem();
    bool OutOfElem();

    // An empty buffer to build the next text given to Add or SetAttrib in.
    // It keeps its room from one element to the next, so that writing many
    // elements allocates nothing per element; each call empties it.
    std::string& TextBuffer() {
        m_buffer.clear();
        return m_buffer;
    }

    // True once a text that cannot be written was given.
    bool Spoilt() const { return m_spoilt; }
    // Closes every open element and gives the whole text. Nothing may be
    // added afterwards.
    const std::string& Finish();

private:
    // An element on the path from the top-level element to the last one
    // added; only the last one's start tag can still take attributes.
    struct OpenElem {
        std::string tag;
        bool start_open;  // "<tag ..." written, its ">" not yet
    };
    // Where an attribute of the open start tag lies in m_text, so that
    // setting its name again replaces the value.
    struct AttribSpan {
        size_t name_at, name_len, value_at, value_len;
    };

    // False, and the save spoilt, for a text the file cannot carry.
    bool Writable(std::string_view text);
    void Open(const char* tag, std::string_view data);
    // Ends the last open element's start tag before something goes inside it.
    void SealStart();
    void CloseLast();
    void CloseTo(size_t open_count);
    // Writes ` name="` for the current element at `level`, false when it
    // cannot take the attribute; EndAttrib closes the value written after
    // it, and moves it into the place of an attribute of the same name.
    bool BeginAttrib(XmlLevel level, const char* name);
    void EndAttrib();
    void NewLine(size_t depth);

    std::string m_text;
    std::vector<OpenElem> m_open;
    std::string m_pending_data;         // text of the element whose start tag is open
    std::vector<AttribSpan> m_attribs;  // attributes of that start tag
    size_t m_attrib_at = 0;             // where the name of the attribute being set begins
    std::string m_buffer;               // TextBuffer
    size_t m_depth = 0;                 // levels entered with IntoElem
    bool m_has_main = false;
    bool m_has_child = false;
    bool m_has_root = false;
    bool m_after_text = false;  // the last thing written is an element's text
    bool m_spoilt = false;
};

// Options of SaveXmlCatalogue.
struct XmlCatalogueFrame {
    const char* root;  // tag of the root element
    bool has_content;  // false: the file holds only the declaration
    bool enter_root;   // true: write_body runs inside the root (kMain adds
                       // children); false: at the root (kChild does)
};

// Writes a catalogue file: the declaration, then, when the catalogue has
// content, the root element and whatever `write_body` adds to it. A root that
// cannot be added (or entered) leaves only the declaration. Returns false,
// writing nothing, when the declaration is refused or `write_body` gave the
// writer a text the file cannot carry; else the result of saving the
// document to `path`. Either way a failure leaves the old file whole.
bool SaveXmlCatalogue(const char* path, const char* version, const char* encoding,
                      const XmlCatalogueFrame& frame,
                      const std::function<void(CZARVXmlWriter&)>& write_body);

// Outcome of OpenXmlCatalogue.
enum class XmlOpen {
    kUnreadable,  // missing file or not a well-formed document
    kNoRoot,      // loaded, but no top-level element with the wanted name
    kInRoot,      // loaded and entered: FindElem walks the root's children
};

// Loads `path` into `doc` and enters its top-level element: the one named
// `root`, or the first one whatever its name when `root` is null.
XmlOpen OpenXmlCatalogue(CMarkup& doc, const char* path, const char* root);

// Loads a catalogue file into a catalogue. Returns false, calling nothing,
// when `path` is not a readable document, or when `root` is named and the
// document has no top-level element of that name: the catalogue keeps what
// it had. Otherwise calls `clear` (the old content goes), then `read_body`
// inside the root element (not at all for a document without one, which
// leaves the catalogue empty) and returns true.
//
// Both answer false, never an exception, when memory runs out; a load that
// runs out after the old content went leaves what it had read by then.
bool LoadXmlCatalogue(const char* path, const char* root, const std::function<void()>& clear,
                      const std::function<void(CMarkup&)>& read_body);

// Which top-level element a catalogue load enters.
struct XmlCatalogueRoot {
    const char* name;  // the root's usual tag
    bool any;          // true: the first element whatever its tag
};

// LoadXmlCatalogue telling `reporter` (may be null) why it refuses a file:
// the parse error with its line and column, or the missing root; and, for a
// root taken whatever its tag, a note when the tag is not the usual one. The
// result and what the catalogue holds afterwards are those of the load
// without a reporter.
bool LoadXmlCatalogue(const char* path, const XmlCatalogueRoot& root,
                      const std::function<void()>& clear,
                      const std::function<void(CMarkup&)>& read_body, CZARVLoadReporter* reporter);

}  // namespace zarvqen

#endif  // CATALOGUE_XML_CATALOGUE_H_
