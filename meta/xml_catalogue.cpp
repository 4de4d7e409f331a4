#include "meta/xml_catalogue.h"

#include "host/zarvlib/zarv_result.h"

namespace zarvqen {

bool CZARVXmlElem::Add(const char* tag, const char* data) {
    return m_level == XmlLevel::kMain ? m_doc.AddElem(tag, data) : m_doc.AddChildElem(tag, data);
}

bool CZARVXmlElem::SetAttrib(const char* name, const char* value) {
    return m_level == XmlLevel::kMain ? m_doc.AddAttrib(name, value)
                                      : m_doc.AddChildAttrib(name, value);
}

bool CZARVXmlElem::SetAttrib(const char* name, int value) {
    return m_level == XmlLevel::kMain ? m_doc.AddAttrib(name, value)
                                      : m_doc.AddChildAttrib(name, value);
}

const char* CZARVXmlElem::DataText() const {
    return m_level == XmlLevel::kMain ? m_doc.DataText() : m_doc.ChildDataText();
}

const char* CZARVXmlElem::AttribText(const char* name) const {
    return m_level == XmlLevel::kMain ? m_doc.AttribText(name) : m_doc.ChildAttribText(name);
}

_zarv_str CZARVXmlElem::Data() const { return _zarv_str(DataText()); }
_zarv_str CZARVXmlElem::Attrib(const char* name) const { return _zarv_str(AttribText(name)); }

bool AddXmlDeclaration(CMarkup& doc, const char* version, const char* encoding) {
    if (!doc.AddNode(CMarkup::MNT_PROCESSING_INSTRUCTION, "xml")) return false;
    doc.AddAttrib("version", version ? version : "");
    doc.AddAttrib("encoding", encoding ? encoding : "");
    return true;
}

bool SaveXmlCatalogue(const char* path, const char* version, const char* encoding,
                      const XmlCatalogueFrame& frame,
                      const std::function<void(CMarkup&)>& write_body) {
    return ZarvResultOf(false, [&] {
        CMarkup doc;
        if (!AddXmlDeclaration(doc, version, encoding)) return false;
        if (frame.has_content && doc.AddElem(frame.root) && (!frame.enter_root || doc.IntoElem()))
            write_body(doc);
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
