#include "meta/table_node.h"

#include <algorithm>
#include <cstring>
#include <iterator>

CZARVTableNode::CZARVTableNode() = default;

CZARVTableNode::~CZARVTableNode() { Clear(); }

CZARVTableNode::List::const_iterator CZARVTableNode::Find(const char* name) const {
    if (!name) return m_fields.end();
    return std::find_if(m_fields.begin(), m_fields.end(), [name](const CZARVTableField* f) {
        return std::strcmp(f->GetFieldName(), name) == 0;
    });
}

bool CZARVTableNode::InsertField(CZARVTableField* field, int pos) {
    if (!field) return false;
    CZARVPtr<CZARVTableField> held(field);
    if (Find(field->GetFieldName()) != m_fields.end()) return false;
    auto at = m_fields.end();
    if (pos >= 0 && static_cast<size_t>(pos) <= m_fields.size())
        at = std::next(m_fields.begin(), pos);
    m_fields.insert(at, field);
    held.release();  // the list keeps the reference
    return true;
}

bool CZARVTableNode::AddField(CZARVTableField* field) { return InsertField(field, -1); }

bool CZARVTableNode::DeleteField(const char* name) {
    auto it = Find(name);
    if (it == m_fields.end()) return false;
    CZARVTableField* field = *it;
    m_fields.erase(it);
    field->Release();
    return true;
}

CZARVTableField* CZARVTableNode::GetField(const char* name) const {
    auto it = Find(name);
    return it == m_fields.end() ? nullptr : *it;
}

unsigned int CZARVTableNode::GetFieldCount() const {
    return static_cast<unsigned int>(m_fields.size());
}

CZARVTableNode::iterator CZARVTableNode::GetFirst() { return m_fields.begin(); }

CZARVTableField* CZARVTableNode::GetNext(iterator& it) {
    if (it == m_fields.end()) return nullptr;
    return *it++;
}

void CZARVTableNode::Clear() {
    List fields;
    fields.swap(m_fields);
    for (CZARVTableField* field : fields) field->Release();
}
