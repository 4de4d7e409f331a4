#include "catalogue/internal/xml_catalogue.h"

#include <cstring>
#include <string>

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

bool CZARVXmlWriter::Writable(std::string_view text) {
    if (text.find('\0') == std::string_view::npos) return true;
    m_spoilt = true;
    return false;
}

bool CZARVXmlWriter::Add(XmlLevel level, const char* tag, std::string_view data) {
    // The document takes C texts: `data` is copied once to end in a NUL.
    if (!Writable(data)) return false;
    std::string text(data);
    return level == XmlLevel::kMain ? m_doc.AddElem(tag, text.c_str())
                                    : m_doc.AddChildElem(tag, text.c_str());
}

bool CZARVXmlWriter::SetAttrib(XmlLevel level, const char* name, std::string_view value) {
    if (!Writable(value)) return false;
    std::string text(value);
    return level == XmlLevel::kMain ? m_doc.AddAttrib(name, text.c_str())
                                    : m_doc.AddChildAttrib(name, text.c_str());
}

bool CZARVXmlWriter::SetAttrib(XmlLevel level, const char* name, int value) {
    return level == XmlLevel::kMain ? m_doc.AddAttrib(name, value)
                                    : m_doc.AddChildAttrib(name, value);
}

namespace {

// The declaration ends at the first "?>", whatever quotes stand around it:
// a version or encoding text holding one would end it early, and the file
// would not load.
bool FitsDeclaration(const char* text) { return !text || !std::strstr(text, "?>"); }

}  // namespace

bool AddXmlDeclaration(CMarkup& doc, const char* version, const char* encoding) {
    if (!FitsDeclaration(version) || !FitsDeclaration(encoding)) return false;
    if (!doc.AddNode(CMarkup::MNT_PROCESSING_INSTRUCTION, "xml")) return false;
    doc.AddAttrib("version", version ? version : "");
    doc.AddAttrib("encoding", encoding ? encoding : "");
    return true;
}

bool SaveXmlCatalogue(const char* path, const char* version, const char* encoding,
                      const XmlCatalogueFrame& frame,
                      const std::function<void(CZARVXmlWriter&)>& write_body) {
    return ZarvResultOf(false, [&] {
        CMarkup doc;
        if (!AddXmlDeclaration(doc, version, encoding)) return false;
        CZARVXmlWriter writer(doc);
        if (frame.has_content && doc.AddElem(frame.root) && (!frame.enter_root || doc.IntoElem()))
            write_body(writer);
        if (writer.Spoilt()) return false;
        return doc.Save(path);
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
