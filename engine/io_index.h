// The IO index: a tree that maps "$"-separated key texts to caller data.
//
// A key "p1$p2$...$pn" is split at every "$"; each part is hashed and only
// the hash is stored. p1 is a node of the root set, p2 a node of p1's child
// set and so on: every node before the last is a branch, the last is a leaf
// carrying the data. Siblings are ordered by ascending hash (not by text),
// and hashes are unique within one set, so two texts with the same hash
// are the same part to the index.
//
// Beside the tree, the index keeps one hash table of every node two parts
// deep, keyed by both parts' hashes: an IO address "<a>$<b>" is found in
// one probe instead of a descent through two node sets. Each child set of a
// top-level branch keeps that table in step with its own inserts, erasures
// and destruction, so no way of changing the tree leaves a stale entry. A
// child set a caller attaches itself (SetData) is not in the table; a key
// the table misses is looked up in the tree.
//
// Ownership: a node set is the only owner of its nodes (unique handles);
// erasing a node from its set destroys it, and a branch destroys its child
// set and so its whole subtree. The data of a leaf is never owned: the index
// takes no reference on it and never dereferences it. Pointers returned by
// GetIndexNode stay valid until that node (or a node above it) is removed
// or the index is destroyed.
#ifndef ENGINE_IO_INDEX_H_
#define ENGINE_IO_INDEX_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_id_map.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_pool.h"
#include "zarvqen_export.h"

class CIndexNode;

// Orders node handles by key; transparent, so a set can be searched by a
// bare hash without building a lookup node.
struct CIndexNodeLess {
    using is_transparent = void;
    bool operator()(const std::unique_ptr<CIndexNode>& a,
                    const std::unique_ptr<CIndexNode>& b) const;
    bool operator()(const std::unique_ptr<CIndexNode>& a, uint32_t key) const;
    bool operator()(uint32_t key, const std::unique_ptr<CIndexNode>& b) const;
};

// A node set: the handles ordered by key (walks, leaf listings), and a hash
// table beside them that finds the node of one key without descending the
// tree, for lookups by IO address at value rates. The set owns the nodes;
// the table borrows them.
class CIndexNodeSet {
public:
    using Handle = std::unique_ptr<CIndexNode>;
    // Nodes two parts deep by (first hash << 32 | second hash).
    using PathTable = CZARVIdMap<CIndexNode, uint64_t>;
    static uint64_t PathKey(uint32_t first, uint32_t second) {
        return static_cast<uint64_t>(first) << 32 | second;
    }
    // Its nodes, one per index node, come from the pool like the index
    // nodes themselves.
    using Ordered = std::set<Handle, CIndexNodeLess, CZARVPoolAllocator<Handle>>;
    using iterator = Ordered::iterator;
    using const_iterator = Ordered::const_iterator;

    CIndexNodeSet() = default;
    CIndexNodeSet(const CIndexNodeSet&) = delete;
    CIndexNodeSet& operator=(const CIndexNodeSet&) = delete;
    // Takes its nodes out of the path table, if it keeps one.
    ~CIndexNodeSet();

    const_iterator begin() const { return m_nodes.begin(); }
    const_iterator end() const { return m_nodes.end(); }
    size_t size() const { return m_nodes.size(); }
    bool empty() const { return m_nodes.empty(); }

    // The node with that key, or null. Borrowed.
    CIndexNode* Lookup(uint32_t key) const { return m_byKey.Find(key); }
    const_iterator find(uint32_t key) const { return m_nodes.find(key); }
    // Takes the node over. Keys are unique: false, with the set unchanged,
    // for a present key (the node is then destroyed).
    std::pair<iterator, bool> insert(Handle node);
    // Destroys the node.
    void erase(const_iterator it);

private:
    friend class CIndexNode;
    friend class CZARVIODB;

    Ordered m_nodes;
    CZARVIdMap<CIndexNode> m_byKey;
    // For the child set of a top-level branch: the index's path table and
    // the branch's key, so that the set keeps its nodes' entries current.
    PathTable* m_pPaths = nullptr;
    uint32_t m_nParentKey = 0;
    // Links sets waiting to be destroyed, so that tearing a tree down needs
    // no memory of its own.
    CIndexNodeSet* m_pNextDoomed = nullptr;
};

class ZARVQEN_API CIndexNode : public CZARVBaseObj {
public:
    enum NODETYPE : int {
        NT_LOOKUP = 0,  // a temporary key used only to search a set
        NT_BRANCH = 1,  // data is the node's child set, owned by the node
        NT_LEAF = 2,    // data is the caller's, not owned
    };

    // The key is a 32-bit hash; higher bits are dropped. A branch takes
    // ownership of `data`, which must be null or a CIndexNodeSet allocated
    // with new.
    CIndexNode(unsigned long key, int type, void* data);
    CIndexNode(const CIndexNode&) = delete;
    CIndexNode& operator=(const CIndexNode&) = delete;
    // Destroys a branch's child set with every node below it.
    ~CIndexNode() override;

    // Nodes come from the process-wide pool (host/zarvlib/zarv_pool.h).
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

    unsigned long GetKey() const { return m_nKey; }
    int GetNodeType() const { return m_nType; }
    void* GetData() const { return m_pData; }
    // For a branch the current child set is destroyed first and `data`
    // (null or a CIndexNodeSet allocated with new) is taken over.
    void SetData(void* data);
    // The set that holds this node; null until the node has been inserted.
    CIndexNodeSet* GetOwner() const { return m_pOwner; }

    bool LessThan(const CIndexNode& other) const { return m_nKey < other.m_nKey; }

    // Appends the data of every leaf at or below this node, depth first and
    // in ascending key order at every level, skipping leaves without data.
    // Returns the number appended. A lookup node, or a branch without a
    // child set, yields 0.
    int GetLeafData(std::vector<void*>& out) const;

    // The child set of a branch, null for other nodes.
    CIndexNodeSet* GetChildren() const {
        return m_nType == NT_BRANCH ? static_cast<CIndexNodeSet*>(m_pData) : nullptr;
    }

private:
    friend class CZARVIODB;

    // Destroys a branch's child set (iteratively, so that a deep tree does
    // not exhaust the stack) and sets the data to null.
    void Clear();
    // Moves the child sets of the branches in `set` onto the list `doomed`.
    static void DetachBranches(const CIndexNodeSet& set, CIndexNodeSet*& doomed);
    // Destroys every set on the list and every set below them. Allocates
    // nothing: it runs in destructors, also when memory has run out.
    static void DestroySets(CIndexNodeSet* doomed);

    CIndexNodeSet* m_pOwner = nullptr;
    uint32_t m_nKey;
    int m_nType;
    void* m_pData;
};

inline bool CIndexNodeLess::operator()(const std::unique_ptr<CIndexNode>& a,
                                       const std::unique_ptr<CIndexNode>& b) const {
    return a->LessThan(*b);
}
inline bool CIndexNodeLess::operator()(const std::unique_ptr<CIndexNode>& a, uint32_t key) const {
    return a->GetKey() < key;
}
inline bool CIndexNodeLess::operator()(uint32_t key, const std::unique_ptr<CIndexNode>& b) const {
    return key < b->GetKey();
}

inline std::pair<CIndexNodeSet::iterator, bool> CIndexNodeSet::insert(Handle node) {
    CIndexNode* raw = node.get();
    // Room first: the table inserts below then cannot fail.
    m_byKey.Reserve(m_nodes.size() + 1);
    if (m_pPaths) m_pPaths->Reserve(m_pPaths->size() + 1);
    auto result = m_nodes.insert(std::move(node));
    if (result.second) {
        const auto key = static_cast<uint32_t>(raw->GetKey());
        m_byKey.Insert(key, raw);
        if (m_pPaths) m_pPaths->Insert(PathKey(m_nParentKey, key), raw);
    }
    return result;
}

inline void CIndexNodeSet::erase(const_iterator it) {
    const auto key = static_cast<uint32_t>((*it)->GetKey());
    m_byKey.Erase(key);
    if (m_pPaths) m_pPaths->Erase(PathKey(m_nParentKey, key));
    m_nodes.erase(it);
}

class ZARVQEN_API CZARVIODB : public CZARVBaseObj {
public:
    using HashFn = unsigned int (*)(const std::string&);

    // A null hash function selects the DJB hash.
    explicit CZARVIODB(HashFn hash = nullptr);
    CZARVIODB(const CZARVIODB&) = delete;
    CZARVIODB& operator=(const CZARVIODB&) = delete;
    // Destroys every node.
    ~CZARVIODB() override;

    // Indexes `data` under `key`. False when the key, or a prefix of it, is
    // already indexed (also as a branch), when a part before the last is a
    // leaf, or when the key (null, empty) has no parts. Branches made before
    // a failure stay.
    bool CreateIndex(const char* key, void* data);
    // The node of the last part of `key`, leaf or branch; null when any part
    // is missing. Borrowed.
    CIndexNode* GetIndexNode(const char* key) const;
    // Erases the node of `key` with everything below it. Branches left
    // empty above it stay. Nothing happens for a key that is not indexed.
    void Remove(const char* key);

    // The hash path of a key of exactly two parts (an IO address
    // "<a>$<b>"), which names the same node as the text for as long as the
    // index lives: false, with `path` untouched, for any other key.
    bool TwoPartPath(const char* key, uint64_t& path) const;
    // The node two parts deep on that path, as GetIndexNode finds it by
    // the key's text; null when it is missing. Borrowed.
    CIndexNode* GetIndexNodeByPath(uint64_t path) const {
        if (CIndexNode* node = m_paths.Find(path)) return node;
        // The tree answers what the table does not hold.
        const CIndexNode* top = m_setRoot.Lookup(static_cast<uint32_t>(path >> 32));
        const CIndexNodeSet* children = top ? top->GetChildren() : nullptr;
        return children ? children->Lookup(static_cast<uint32_t>(path)) : nullptr;
    }
    // Makes room for `n` two-part keys in all in the table that finds them
    // in one probe (a load knows how many records it brings).
    void ReservePaths(size_t n) { m_paths.Reserve(n); }

    // The top-level node set (read-only view for walking the tree).
    const CIndexNodeSet& GetRoot() const { return m_setRoot; }

private:
    // Hashes the part of a key that starts at `part` and returns where it
    // ends (at a "$" or at the end of the key).
    const char* HashNextPart(const char* part, uint32_t& hash) const;
    // Splits the key and hashes every part; false when it has no parts.
    bool HashParts(const char* key, std::vector<uint32_t>& hashes) const;
    // The node of the hash path, or null.
    CIndexNode* Find(const std::vector<uint32_t>& hashes) const;

    HashFn m_pfnHash;
    // Declared before the root set, so that it outlives every set that
    // erases its entries from it.
    CIndexNodeSet::PathTable m_paths;
    CIndexNodeSet m_setRoot;
    std::vector<uint32_t> m_scratchHashes;  // CreateIndex's part hashes
};

#endif  // ENGINE_IO_INDEX_H_
