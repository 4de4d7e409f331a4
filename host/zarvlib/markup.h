// CMarkup: the XML document of the system, built on pugixml.
//
// Navigation follows three positions: the parent, the main position (an
// element among the parent's children) and the current child (an element
// among the main element's children).
//   FindElem(name)       next element after the main position, among the
//                        parent's children, with that name (any when null);
//   FindChildElem(name)  the same among the main element's children, after
//                        the current child (finds a main element first when
//                        there is none);
//   IntoElem()           the main element becomes the parent, the current
//                        child the main position;
//   OutOfElem()          the reverse.
// Adding: AddElem puts a new element after the main position and makes it
// main; AddChildElem puts one after the current child and makes it current.
// AddNode(MNT_PROCESSING_INSTRUCTION, "xml") adds the XML declaration; until
// the next element is added, AddAttrib sets the declaration's attributes in
// the order given. The declaration is no element.
//
// Texts are bytes: a file is read as UTF-8 without any conversion whatever
// its declaration names, and written without a byte-order mark, so every
// byte of element data and attributes (quotes, ampersands, angle brackets,
// tabs, line breaks, non-ASCII) survives a save and a load. Element and
// attribute names must be valid XML names; AddElem and AddChildElem refuse
// others (false, nothing added). Saved files are indented, one element per
// line. A document has one root element, or none when it is a lone XML
// declaration (how an empty catalogue is saved; it loads as an empty
// document).
//
// Save writes atomically through CZARVFileOps: a failed save leaves the old
// file whole. Load and SetDoc leave an empty document when they fail.
#ifndef ZARVLIB_MARKUP_H_
#define ZARVLIB_MARKUP_H_

#include <cstddef>
#include <memory>
#include <string>

#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API CMarkup {
public:
    enum MarkupNodeType {
        MNT_ELEMENT = 1,
        MNT_TEXT = 2,
        MNT_CDATA_SECTION = 8,
        MNT_PROCESSING_INSTRUCTION = 16,
        MNT_COMMENT = 32,
    };
    // An opaque handle of a position (an element, or null for the top). It
    // names that element of this document only, and stays valid while the
    // element is in the document: until it or an element above it is removed
    // (RemoveElem, RemoveChildElem) or the whole document is replaced (Load
    // and SetDoc, whether or not they succeed) or destroyed. Adding elements or attributes, and
    // moving the positions, leave every handle valid. A handle that is no longer valid must not be
    // passed to x_SetPos.
    using Pos = void*;

    CMarkup();
    explicit CMarkup(const char* text);  // parses the text; empty on failure
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;
    ~CMarkup();

    // --- whole document ---
    bool Load(const char* path);
    bool Save(const char* path) const;
    bool SetDoc(const char* text);
    bool SetDoc(const char* text, size_t len);
    std::string GetDoc() const;
    // Why the last Load or SetDoc failed: the parser's description, the byte
    // offset in the text (-1 when the fault has no one place) and its 1-based
    // line and column (0 when unknown). Empty after a success.
    struct ParseError {
        std::string description;
        long long offset = -1;
        int line = 0;
        int column = 0;
    };
    const ParseError& GetParseError() const;

    // True when the document has a root element. A document that is only an
    // XML declaration (how an empty catalogue is saved) has none: false.
    bool IsWellFormed() const;

    // --- navigation ---
    bool FindElem(const char* name = nullptr);
    bool FindChildElem(const char* name = nullptr);
    bool IntoElem();
    bool OutOfElem();
    void ResetPos();       // back to the top of the document
    void ResetMainPos();   // FindElem starts again at the parent's first child
    void ResetChildPos();  // FindChildElem starts again at the first child
    Pos GetParentPos() const;
    Pos GetMainPos() const;
    Pos GetChildPos() const;
    // Sets the three positions. x_SetPos(parent, 0, 0) restarts FindElem at
    // the first child of `parent` (null: the top of the document).
    void x_SetPos(Pos parent, Pos main, Pos child);

    // --- reading ---
    _zarv_str GetTagName() const;
    _zarv_str GetChildTagName() const;
    _zarv_str GetData() const;
    _zarv_str GetChildData() const;
    _zarv_str GetAttrib(const char* name) const;
    _zarv_str GetChildAttrib(const char* name) const;
    bool HasAttrib(const char* name) const;
    bool HasChildAttrib(const char* name) const;
    // The same texts borrowed ("" when absent), valid until the document
    // changes: for readers that copy what they keep anyway.
    const char* DataText() const;
    const char* ChildDataText() const;
    const char* AttribText(const char* name) const;
    const char* ChildAttribText(const char* name) const;
    // 1-based line of the main element / current child in the loaded text,
    // 0 when unknown (for example for elements added after loading).
    int GetLine() const;
    int GetChildLine() const;

    // --- building ---
    bool AddNode(int type, const char* text);
    // `flags` is accepted for compatibility and ignored: an element is always
    // added as described above, with `data` (may be null) as its text.
    bool AddElem(const char* name, const char* data = nullptr, int flags = 0);
    bool AddChildElem(const char* name, const char* data = nullptr, int flags = 0);
    bool AddAttrib(const char* name, const char* value);
    bool AddAttrib(const char* name, int value);
    bool AddChildAttrib(const char* name, const char* value);
    bool AddChildAttrib(const char* name, int value);
    bool SetData(const char* data);
    bool SetChildData(const char* data);
    bool RemoveElem();       // removes the main element; the previous sibling becomes main
    bool RemoveChildElem();  // the same for the current child

    // True when `name` is a valid XML element or attribute name.
    static bool IsValidName(const char* name);

private:
    void LeaveEmpty();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

#endif  // ZARVLIB_MARKUP_H_
