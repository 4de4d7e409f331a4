// The XML frame every catalogue file shares: the declaration carrying the
// caller's version and encoding texts, one root element that is written only
// when the catalogue has content, and loading that enters the root. Also
// CZARVXmlElem, which lets one element codec read and write an element
// either at the document's main position or as its current child.
#ifndef META_XML_CATALOGUE_H_
#define META_XML_CATALOGUE_H_

#include <functional>

#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_str.h"

namespace zarvqen {

// Where an element codec works in a CMarkup.
enum class XmlLevel {
    kMain,   // AddElem / GetData / GetAttrib: the main position
    kChild,  // AddChildElem / GetChildData / GetChildAttrib: the current child
};

// One element of a document at a given level. Holds a reference to the
// document, which must outlive it.
class CZARVXmlElem {
public:
    CZARVXmlElem(CMarkup& doc, XmlLevel level) : m_doc(doc), m_level(level) {}

    // Adds a new element after the current one at this level and makes it
    // current. False (nothing added) when the document refuses the tag.
    bool Add(const char* tag, const char* data);
    // Sets an attribute of the current element; values are written as given.
    bool SetAttrib(const char* name, const char* value);
    bool SetAttrib(const char* name, int value);

    // Text and attributes of the current element; empty when absent.
    _zarv_str Data() const;
    _zarv_str Attrib(const char* name) const;
    // The same borrowed from the document, valid until it changes.
    const char* DataText() const;
    const char* AttribText(const char* name) const;

private:
    CMarkup& m_doc;
    XmlLevel m_level;
};

// Adds the XML declaration with the attributes "version" and "encoding" (a
// null text is written as an empty one). False when the document refuses
// the declaration; the attributes' own results do not count.
bool AddXmlDeclaration(CMarkup& doc, const char* version, const char* encoding);

// Options of SaveXmlCatalogue.
struct XmlCatalogueFrame {
    const char* root;  // tag of the root element
    bool has_content;  // false: the file holds only the declaration
    bool enter_root;   // true: write_body runs inside the root (AddElem adds
                       // children); false: at the root (AddChildElem does)
};

// Writes a catalogue file: the declaration, then, when the catalogue has
// content, the root element and whatever `write_body` adds to it. A root that
// cannot be added (or entered) leaves only the declaration. Returns false when
// the declaration is refused (nothing is written), else the result of saving
// the document to `path`.
bool SaveXmlCatalogue(const char* path, const char* version, const char* encoding,
                      const XmlCatalogueFrame& frame,
                      const std::function<void(CMarkup&)>& write_body);

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

}  // namespace zarvqen

#endif  // META_XML_CATALOGUE_H_
