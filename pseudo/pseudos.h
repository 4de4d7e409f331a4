// CZARVPseudos: the collection of all pseudo definitions, kept in ascending
// order of their IDs (at most one per ID) and stored in an XML file with the
// root "pseudos". The walk (GetFirst, GetNext), GetSize, the modified flag
// and Clear come from CZARVIdCatalogue.
//
// Ownership: the collection holds one reference on every member. Inserting
// takes a reference of its own (the caller keeps and later releases its
// own); getters hand out borrowed pointers, valid while the member is in the
// collection. The modified flag changes only through SetModify.
//
// File: the XML declaration with the caller's version and encoding texts,
// then, only when the collection has members, the root "pseudos" holding
// one element per definition in ascending ID order, and inside it one
// element per value in ascending meta number order; no element has text:
//   <pseudo id="3"><dat mtno="401" vt="7" val="text"/></pseudo>
// "vt" is the value's kind code, "val" its text (the variant's conversion).
// A value reads back with the kind it was written with; a "dat" whose kind
// is outside 0 to 7 is passed over. Loading accepts a root of any name.
#ifndef PSEUDO_PSEUDOS_H_
#define PSEUDO_PSEUDOS_H_

#include "catalogue/id_catalogue.h"
#include "host/zarvlib/load_reporter.h"
#include "pseudo/pseudo.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVPseudos : public CZARVIdCatalogue<CZARVPseudo> {
public:
    // An empty collection; with a path, LoadFromFile runs on it (result
    // ignored).
    explicit CZARVPseudos(const char* path = nullptr);
    // Releases every member.
    ~CZARVPseudos() override;

    // Insert (first of an ID wins; a refused or null member keeps its
    // reference count), delete and borrowed lookup by ID, as the catalogue's
    // InsertItem, DeleteItem and GetItem.
    bool InsertPseudo(CZARVPseudo* pseudo);
    bool DeletePseudo(unsigned short id);
    CZARVPseudo* GetPseudo(unsigned short id) const;

    // False, with the collection unchanged, when the file cannot be read as
    // an XML document. Otherwise the old members are released, every
    // "pseudo" child of the first top-level element becomes a definition
    // (the first of an ID wins; within one, the first value of a meta number
    // wins) and the result is true.
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

#endif  // PSEUDO_PSEUDOS_H_
