// CZARVTableNode: one table of a meta table: its fields in table order. A
// node has no name of its own; its name is its key in the meta table.
//
// Ownership: the node holds one reference on each field. Inserting takes a
// reference of its own (the caller keeps and later releases its own);
// getters hand out borrowed pointers, valid while the field is in the node.
// Names are matched exactly (case-sensitive, byte by byte); a null name
// matches nothing.
#ifndef META_TABLE_NODE_H_
#define META_TABLE_NODE_H_

#include <list>

#include "host/zarvlib/zarv_obj.h"
#include "meta/table_field.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVTableNode : public CZARVObj {
public:
    using iterator = std::list<CZARVTableField*>::iterator;

    CZARVTableNode();
    // Releases every field.
    ~CZARVTableNode() override;

    // Takes a reference on `field`. False, with the reference dropped again,
    // when the node already has a field of that name (or `field` is null).
    // Otherwise the field is put at `pos` (0 is the front, the field count
    // the end); a negative position or one beyond the count appends it.
    bool InsertField(CZARVTableField* field, int pos);
    // InsertField at the end.
    bool AddField(CZARVTableField* field);
    // Releases and removes the first field of that name; false when none.
    bool DeleteField(const char* name);
    // The first field of that name (borrowed), or null.
    CZARVTableField* GetField(const char* name) const;
    unsigned int GetFieldCount() const;

    // A walk in table order: it = GetFirst(), then GetNext(it) until null.
    iterator GetFirst();
    CZARVTableField* GetNext(iterator& it);

protected:
    // Releases every field and empties the list.
    void Clear();

private:
    using List = std::list<CZARVTableField*>;
    List::const_iterator Find(const char* name) const;

    List m_fields;
};

#endif  // META_TABLE_NODE_H_
