// CZARVMetaTable: named tables of ordered fields, stored in an XML file
// whose root is "metatbl".
//
// Ownership: the collection holds the only reference it creates on each
// node; nodes handed out are borrowed and stay valid while the node is in
// the collection. Node names are keys ordered byte by byte (unsigned,
// case-sensitive, a shorter prefix first). Every name argument must be a
// non-null text; a null one finds nothing and is refused. The modified flag
// changes only through SetModify.
//
// File: the XML declaration with the caller's version and encoding texts,
// then, only when there are nodes, the root "metatbl" holding one element
// per node in name order, tagged with the node's name, and inside it one
// field element per field in table order:
//   <prop par="parameter" desc="description">name,kind,value,input</prop>
// (field name, value type code, value text, input type; numbers unsigned
// decimal, nothing escaped). A node whose name is not a valid XML element
// name is left out of the saved file.
#ifndef META_META_TABLE_H_
#define META_META_TABLE_H_

#include <map>
#include <string>
#include <vector>

#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "meta/table_node.h"
#include "zarvqen_export.h"

class CMarkup;
namespace zarvqen {
class CZARVCatalogueReport;
}

class ZARVQEN_API CZARVMetaTable : public CZARVObj {
public:
    // An empty collection; with a path, LoadFromFile runs on it (result
    // ignored).
    explicit CZARVMetaTable(const char* path = nullptr);
    // Releases every node.
    ~CZARVMetaTable() override;

    // Stores a new empty node under `name` and returns it (borrowed); null
    // when the name is taken.
    CZARVTableNode* CreateNewNode(const char* name);
    // Stores a new empty node under the first of "TBL0", "TBL1", ...
    // "TBL65534" (in numeric order) that is free; `name` receives the name
    // used. Null when all are taken (`name` then holds the last one tried).
    CZARVTableNode* CreateNewNode(_zarv_str& name);
    // Releases and removes the node; false when there is none of that name.
    bool DeleteNode(const char* name);
    // Moves the node from `old_name` to `new_name`. False, changing nothing,
    // when `new_name` is taken (so also when it equals `old_name`) or no node
    // has `old_name`.
    bool RenameNode(const char* old_name, const char* new_name);
    // The node of that name (borrowed), or null.
    CZARVTableNode* GetTableNode(const char* name) const;
    // Appends every node name, in name order, to `names` (which is not
    // emptied first) and returns its size afterwards.
    int GetNodeNameList(std::vector<std::string>& names) const;

    bool IsModified() const { return m_modified; }
    void SetModify(bool modified) { m_modified = modified; }

    // False, with the collection unchanged, when the file cannot be read as
    // an XML document or has no top-level "metatbl" element. Otherwise the
    // old nodes are released and every child element of "metatbl" becomes a
    // node named by its tag (the first of a name wins), holding its "prop"
    // children that split into exactly four pieces (the first field of a
    // name wins); the result is true.
    bool LoadFromFile(const char* path);
    // The same telling `reporter` (may be null) of every element the load
    // passes over, skips or drops and why, with its line, and of texts that
    // read as something else than they spell. The result and the content
    // are those of the load without a reporter.
    bool LoadFromFile(const char* path, CZARVLoadReporter* reporter);
    // False when the declaration cannot be added; else the result of writing
    // the document to `path`.
    bool SaveToFile(const char* path, const char* version, const char* encoding);

protected:
    // Releases every node and empties the collection.
    void Clear();

private:
    using NodeMap = std::map<std::string, CZARVTableNode*>;
    // Stores `node` under `name`, taking over the caller's reference; when the
    // name is taken the node is released and the result is false.
    bool StoreNode(const char* name, CZARVPtr<CZARVTableNode> node);
    // Reads the field children of the current table element into `node`.
    static void ReadFields(CMarkup& doc, CZARVTableNode& node, const char* table,
                           const zarvqen::CZARVCatalogueReport& report);

    NodeMap m_nodes;
    bool m_modified = false;
};

#endif  // META_META_TABLE_H_
