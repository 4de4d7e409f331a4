// CZARVTypedObjTbl: the catalogue of all typed objects, kept in ascending
// order of their IDs (at most one per ID) and stored in an XML file with the
// root "typeobj". The walk (GetFirst, GetNext), GetSize, the modified flag
// and Clear come from CZARVIdCatalogue.
//
// Ownership: the table holds one reference on every object in it. Inserting
// takes a reference of its own (the caller keeps and later releases its
// own); getters hand out borrowed pointers, valid while the object is in the
// table. The modified flag changes only through SetModify.
//
// File: the XML declaration with the caller's version and encoding texts,
// then, only when the table has objects, the root "typeobj" holding one
// element per object in ascending ID order:
//   <prop desc="description">7,100|101|205</prop>
// (the ID, a comma, the meta list joined with "|"; an empty list leaves the
// ID and the comma). Loading accepts a root of any name.
#ifndef META_TYPED_OBJ_TBL_H_
#define META_TYPED_OBJ_TBL_H_

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/load_reporter.h"
#include "meta/typed_obj.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVTypedObjTbl : public CZARVIdCatalogue<CZARVTypedObj> {
public:
    // An empty table; with a path, LoadFromFile runs on it (result ignored).
    explicit CZARVTypedObjTbl(const char* path = nullptr);
    // Releases every object.
    ~CZARVTypedObjTbl() override;

    // Insert (first of an ID wins; a refused or null object keeps its
    // reference count), delete and borrowed lookup by ID, as the catalogue's
    // InsertItem, DeleteItem and GetItem.
    bool InsertTypedObj(CZARVTypedObj* obj);
    bool DeleteTypedObj(unsigned short id);
    CZARVTypedObj* GetTypedObj(unsigned short id) const;
    // The lowest ID no object has, from 0 to 32767 when `low_range` is true,
    // from 32768 to 65534 otherwise (65535 is never handed out); -1 when the
    // range is full.
    int GetFreeTypedObjID(bool low_range) const;

    // False, with the table unchanged, when the file cannot be read as an XML
    // document. Otherwise the old objects are released, the "prop" children
    // of the first top-level element whose text splits into exactly two
    // pieces at commas become objects (the first of an ID wins) and the
    // result is true.
    bool LoadFromFile(const char* path);
    // The same telling `reporter` (may be null) of every element the load
    // passes over, skips or drops and why, with its line, and of texts that
    // read as something else than they spell. The result and the content
    // are those of the load without a reporter.
    bool LoadFromFile(const char* path, CZARVLoadReporter* reporter);
    // False when the declaration cannot be added; else the result of writing
    // the document to `path`.
    bool SaveToFile(const char* path, const char* version, const char* encoding);
};

#endif  // META_TYPED_OBJ_TBL_H_
