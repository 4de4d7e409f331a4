// CZARVTypedObj: a kind of configurable object, named by a 16-bit ID, with a
// description and the list of meta numbers (16-bit numbers of meta
// properties) that such an object carries, in the order given. Duplicates
// stay; nothing checks that a number names an existing meta property.
//
// Reference counted: a new object holds one reference for its creator; the
// typed object table takes its own. Objects are ordered by ID (operator<,
// unsigned).
#ifndef META_TYPED_OBJ_H_
#define META_TYPED_OBJ_H_

#include <cstddef>
#include <vector>

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVTypedObj : public CZARVObj {
public:
    using MetaList = std::vector<unsigned short>;
    // A position in the meta list for GetFirst/GetNext: the index of the next
    // number, so a list changed meanwhile never makes it dangle.
    using MetaPos = std::size_t;

    // Empty description and meta list; the ID (0) is to be set with
    // SetTypedID before the object goes into a table.
    CZARVTypedObj();
    // The meta list is filled from `meta_list` split at `sep` as SetMetaList
    // does; a null `desc` leaves the description empty.
    CZARVTypedObj(unsigned short id, const char* meta_list, const char* sep,
                  const char* desc = nullptr);
    // The meta list is a copy of `meta_list`.
    CZARVTypedObj(unsigned short id, const MetaList& meta_list, const char* desc = nullptr);
    ~CZARVTypedObj() override;

    // The ID, widened.
    unsigned long GetID() const { return m_id; }
    void SetTypedID(unsigned short id) { m_id = id; }
    // The object's own text, valid until it changes or the object goes.
    const char* GetDesc() const { return m_desc.c_str(); }
    // Copies the whole text; null gives an empty description.
    void SetDesc(const char* desc) { m_desc = desc; }

    // The meta list itself, modifiable.
    MetaList& GetMetaList() { return m_metas; }
    // Empties the meta list, then appends the numbers of `text` split at
    // every occurrence of `sep` (a text of any length): each piece read by the
    // decimal integer rule, low 16 bits kept (70000 gives 4464, -1 gives
    // 65535, a piece without a number 0). An empty or null text gives an
    // empty list.
    void SetMetaList(const char* text, const char* sep);
    void SetMetaList(const MetaList& meta_list) { m_metas = meta_list; }
    // The numbers in decimal, in list order, joined by `sep`; an empty list
    // gives an empty text. (Built by appending each number and `sep`, then
    // cutting at the last occurrence of `sep`.)
    _zarv_str MetaListToString(const char* sep) const;

    // A walk of the meta list: pos = GetFirst(), then GetNext(pos) until it
    // gives -1. GetNext returns the number at `pos` (0 to 65535) and advances,
    // or -1 at the end, leaving `pos` alone.
    MetaPos GetFirst() const { return 0; }
    int GetNext(MetaPos& pos) const;

private:
    unsigned short m_id = 0;
    _zarv_str m_desc;
    MetaList m_metas;
};

// True when the left ID is smaller (unsigned comparison).
ZARVQEN_API bool operator<(const CZARVTypedObj& a, const CZARVTypedObj& b);

template <>
struct ptrless<CZARVTypedObj*> : ZarvIdPtrLess<CZARVTypedObj> {};

#endif  // META_TYPED_OBJ_H_
