#include "meta/typed_obj.h"

#include <string>

#include "meta/value_text.h"

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
    std::vector<_zarv_str> pieces;
    SplitStrByStr(text, sep, pieces);
    m_metas.clear();
    m_metas.reserve(pieces.size());
    for (const _zarv_str& piece : pieces) m_metas.push_back(zarvqen::ReadLow16(piece));
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
