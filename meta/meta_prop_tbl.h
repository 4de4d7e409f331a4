// CZARVMetaPropTbl: the catalogue of all meta properties, kept in ascending
// order of their IDs (at most one record per ID) and stored in an XML file
// with the root "meta". The walk (GetFirst, GetNext), GetSize, the modified
// flag and Clear come from CZARVIdCatalogue.
//
// Ownership: the table holds one reference on every record in it. Inserting
// takes a reference of its own (the caller keeps and later releases its
// own); getters hand out borrowed pointers, valid while the record is in the
// table. The modified flag changes only through SetModify: no insert,
// delete, load or save touches it.
//
// File: the XML declaration with the caller's version and encoding texts,
// then, only when the table has records, the root "meta" holding one
// property element (meta/internal/prop_element.h) per record in ascending ID order,
// with the "valid" attribute. Loading accepts a root of any name.
#ifndef META_META_PROP_TBL_H_
#define META_META_PROP_TBL_H_

#include <vector>

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/zarv_dataset.h"
#include "meta/meta_prop.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVMetaPropTbl : public CZARVIdCatalogue<CZARVMetaProp> {
public:
    // An empty table; with a path, LoadFromFile runs on it (result ignored).
    explicit CZARVMetaPropTbl(const char* path = nullptr);
    // Releases every record.
    ~CZARVMetaPropTbl() override;

    // Insert (first of an ID wins; a refused or null record keeps its
    // reference count), delete and borrowed lookup by ID, as the catalogue's
    // InsertItem, DeleteItem and GetItem.
    bool InsertMetaProp(CZARVMetaProp* prop);
    bool DeleteMetaProp(unsigned short id);
    CZARVMetaProp* GetMetaProp(unsigned short id) const;
    // Adds to `out`, in the order of `ids`, every record found (a number
    // given twice adds its record twice; absent numbers are passed over). The
    // data set is not emptied first. False for an empty table (the data set
    // is left alone); otherwise true when the data set holds at least one
    // record afterwards.
    bool GetMetaProp(std::vector<unsigned short> ids, CZARVDataSet<CZARVMetaProp>& out) const;
    // The smallest number from 1 to 16382 that no record uses, or -1.
    int GetFreeMetaNo() const;

    // False, with the table unchanged, when the file cannot be read as an XML
    // document. Otherwise the old records are released, the "prop" children
    // of the first top-level element are read (malformed ones skipped, the
    // first record of an ID wins) and the result is true.
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

#endif  // META_META_PROP_TBL_H_
