// CZARVDrvLib: the driver library, the catalogue of the drivers, services
// and tasks the system can run, each node stored under its module text.
//
// Three independent maps (drivers, services, tasks) keyed by module text,
// compared byte by byte as unsigned characters (case-sensitive, a prefix
// first). Each map holds one reference on each node and at most one node
// per key; the key is the node's `module` when it was inserted. Getters
// hand out borrowed pointers.
//
// File (root "driverlib"): one "metadrv" per driver, "metasrv" per service
// and "metatask" per task, in key order, with the nodes' fields as
// attributes and their properties as "prop" elements inside the category
// elements ("par" for a service). Properties carry no "valid" attribute and
// load with valid type 0. Loading drops malformed or duplicate elements
// silently, keeping the first; a file that cannot be read or parsed leaves
// the library as it was.
//
// The modified flag changes only through SetModify.
#ifndef DRVLIB_DRV_LIB_H_
#define DRVLIB_DRV_LIB_H_

#include <map>
#include <string>
#include <vector>

#include "drvlib/drv_node.h"
#include "drvlib/srv_node.h"
#include "drvlib/tsk_node.h"
#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_obj.h"

namespace zarvqen {
class CZARVCatalogueReport;
class CZARVXmlWriter;
}  // namespace zarvqen
#include "host/zarvlib/zarv_str.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVDrvLib : public CZARVObj {
public:
    enum NODETYPE : int { NODE_DRV = 0, NODE_SRV = 1, NODE_TSK = 2 };

    // Empty; loads `path` when it is not null (the result is ignored).
    explicit CZARVDrvLib(const char* path = nullptr);
    ~CZARVDrvLib() override;

    // Each takes a reference on the node and stores it under its current
    // module text; false (reference given back) when the key is taken.
    bool InsertDrvNode(CZARVDrvNode* node);
    bool InsertSrvNode(CZARVSrvNode* node);
    bool InsertTskNode(CZARVTskNode* node);
    // Borrowed pointers, or null.
    CZARVDrvNode* GetDrvNode(const char* module) const;
    CZARVSrvNode* GetSrvNode(const char* module) const;
    CZARVTskNode* GetTskNode(const char* module) const;
    // Drops the selected map's node with that key; false when there is none
    // or `type` is not 0, 1 or 2.
    bool DeleteNode(const char* module, NODETYPE type);
    // Appends the keys of the selected map in ascending order to `list`
    // (not emptied first) and returns the size of `list` afterwards. The
    // list may hold either kind of string.
    int GetNodeNameList(std::vector<_zarv_str>& list, NODETYPE type) const;
    int GetNodeNameList(std::vector<std::string>& list, NODETYPE type) const;

    bool IsModified() const { return m_modified; }
    void SetModify(bool modified) { m_modified = modified; }

    // True when the file was read and parsed; the old content is then
    // replaced. False leaves the library unchanged.
    bool LoadFromFile(const char* path);
    // The same telling `reporter` (may be null) of every element the load
    // passes over, skips or drops and why, with its line, and of texts that
    // read as something else than they spell. The result and the content
    // are those of the load without a reporter.
    bool LoadFromFile(const char* path, CZARVLoadReporter* reporter);
    // Writes the whole library atomically; false when the document cannot
    // be built or written, or a text cannot be carried by the file (one
    // holding a NUL byte, in a node's texts or a property's value): the old
    // file then stays as it was.
    bool SaveToFile(const char* path, const char* version, const char* encoding);

protected:
    // Releases every driver, then every service, then every task node.
    void Clear();

private:
    template <class Node>
    using NodeMap = std::map<std::string, Node*>;

    template <class Node>
    static bool InsertNode(NodeMap<Node>& map, Node* node);
    template <class Node>
    static Node* FindNode(const NodeMap<Node>& map, const char* module);
    template <class Node>
    static void ClearMap(NodeMap<Node>& map);
    template <class List>
    int AppendNodeNames(List& list, NODETYPE type) const;

    void ReadDrivers(CMarkup& doc, const zarvqen::CZARVCatalogueReport& report);
    void ReadServices(CMarkup& doc, const zarvqen::CZARVCatalogueReport& report);
    void ReadTasks(CMarkup& doc, const zarvqen::CZARVCatalogueReport& report);
    void WriteDrivers(zarvqen::CZARVXmlWriter& writer);
    void WriteServices(zarvqen::CZARVXmlWriter& writer);
    void WriteTasks(zarvqen::CZARVXmlWriter& writer);

    NodeMap<CZARVDrvNode> m_drivers;
    NodeMap<CZARVSrvNode> m_services;
    NodeMap<CZARVTskNode> m_tasks;
    bool m_modified = false;
};

#endif  // DRVLIB_DRV_LIB_H_
