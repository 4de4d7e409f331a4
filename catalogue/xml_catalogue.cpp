#include "catalogue/xml_catalogue.h"

#include <string>

#include "host/zarvlib/zarv_result.h"

namespace zarvqen {

const char* CZARVXmlElem::DataText() const {
    return m_level == XmlLevel::kMain ? m_doc.DataText() : m_doc.ChildDataText();
}

const char* CZARVXmlElem::AttribText(const char* name) const {
    return m_level == XmlLevel::kMain ? m_doc.AttribText(name) : m_doc.ChildAttribText(name);
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

bool AddXmlDeclaration(CMarkup& doc, const char* version, const char* encoding) {
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
    return ZarvResultOf(false, [&] {
        CMarkup doc;
        XmlOpen opened = OpenXmlCatalogue(doc, path, root);
        if (opened == XmlOpen::kUnreadable || (root && opened == XmlOpen::kNoRoot)) return false;
        clear();
        if (opened == XmlOpen::kInRoot) read_body(doc);
        return true;
    });
}

}  // namespace zarvqen
