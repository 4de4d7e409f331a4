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
#include <string_view>

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
// included). XML cannot write the character U+0000, so a text holding a NUL
// byte is not written at all and spoils the save: SaveXmlCatalogue then
// leaves the file as it was and returns false, instead of writing the text
// cut at the NUL, which would load back as another text. Holds a reference
// to the document, which must outlive it.
class CZARVXmlWriter {
public:
    explicit CZARVXmlWriter(CMarkup& doc) : m_doc(doc) {}
    CZARVXmlWriter(const CZARVXmlWriter&) = delete;
    CZARVXmlWriter& operator=(const CZARVXmlWriter&) = delete;

    // Adds a new element after the current one at `level` and makes it
    // current. False (nothing added) when the document refuses the tag or
    // the data cannot be written.
    bool Add(XmlLevel level, const char* tag, std::string_view data = {});
    // Sets an attribute of the current element at `level`. False when the
    // document refuses it or the value cannot be written.
    bool SetAttrib(XmlLevel level, const char* name, std::string_view value);
    // The same for a C text; null is written as an empty text.
    bool SetAttrib(XmlLevel level, const char* name, const char* value) {
        return SetAttrib(level, name, std::string_view(value ? value : ""));
    }
    bool SetAttrib(XmlLevel level, const char* name, int value);
    // Steps into the main element / back out of it (CMarkup's IntoElem and
    // OutOfElem).
    bool IntoElem() { return m_doc.IntoElem(); }
    bool OutOfElem() { return m_doc.OutOfElem(); }

    // True once a text that cannot be written was given.
    bool Spoilt() const { return m_spoilt; }

private:
    // False, and the save spoilt, for a text the file cannot carry.
    bool Writable(std::string_view text);

    CMarkup& m_doc;
    bool m_spoilt = false;
};

// Adds the XML declaration with the attributes "version" and "encoding" (a
// null text is written as an empty one). False when the document refuses
// the declaration, or when a text holds "?>", which would end the
// declaration inside it and leave a file that does not load; the
// attributes' own results do not count.
bool AddXmlDeclaration(CMarkup& doc, const char* version, const char* encoding);

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
