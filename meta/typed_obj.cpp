#include "meta/typed_obj.h"

#include <string>
#include <string_view>

#include "catalogue/internal/value_text.h"

CZARVTypedObj::CZARVTypedObj() = default;

CZARVTypedObj::CZARVTypedObj(unsigned short id, const char* meta_list, const char* sep,
                             const char* desc)
    : m_id(id), m_desc(desc) {
    SetMetaList(meta_list, sep);
}

CZARVTypedObj::CZARVTypedObj(unsigned short id, const MetaList& meta_list, const char* desc)
    : m_id(id), m_desc(desc), m_metas(meta_list) {}

CZARVTypedObj::~CZARVTypedObj() = default;

void CZARVTypedObj::SetMetaList(const char* text, const char* sep) {
    // The pieces SplitStrByStr would give, read one at a time: a long list
    // costs two bytes a number, not a string a piece.
    m_metas.clear();
    if (!text || !*text) return;
    std::string_view rest(text);
    std::string_view separator(sep ? sep : "");
    std::string piece;
    for (;;) {
        size_t at = separator.empty() ? std::string_view::npos : rest.find(separator);
        piece.assign(rest.substr(0, at));
        m_metas.push_back(zarvqen::ReadLow16(piece.c_str()));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + separator.size());
    }
}

_zarv_str CZARVTypedObj::MetaListToString(const char* sep) const {
    _zarv_str text;
    for (unsigned short no : m_metas) {
        text += std::to_string(no).c_str();
        text += sep;
    }
    text.DeleteAfterLastIncluding(sep);
    return text;
}

int CZARVTypedObj::GetNext(MetaPos& pos) const {
    if (pos >= m_metas.size()) return -1;
    return m_metas[pos++];
}

bool operator<(const CZARVTypedObj& a, const CZARVTypedObj& b) { return a.GetID() < b.GetID(); }
