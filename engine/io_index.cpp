#include "engine/io_index.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "host/zarvlib/zarv_str.h"

namespace {

unsigned int DefaultHash(const std::string& text) { return DJBHash(std::string_view(text)); }

}  // namespace

CIndexNodeSet::~CIndexNodeSet() {
    if (m_pPaths && m_pPaths->size() > 0)
        for (const Handle& node : m_nodes)
            m_pPaths->Erase(PathKey(m_nParentKey, static_cast<uint32_t>(node->GetKey())));
}

CIndexNode::CIndexNode(unsigned long key, int type, void* data)
    : m_nKey(static_cast<uint32_t>(key)), m_nType(type), m_pData(data) {}

CIndexNode::~CIndexNode() { Clear(); }

void* CIndexNode::operator new(size_t size) { return zarvpool::Allocate(size); }

void CIndexNode::operator delete(void* block, size_t size) noexcept { zarvpool::Free(block, size); }

void CIndexNode::SetData(void* data) {
    if (m_nType == NT_BRANCH) Clear();
    m_pData = data;
}

void CIndexNode::Clear() {
    if (m_nType == NT_BRANCH && m_pData)
        DestroySets(static_cast<CIndexNodeSet*>(std::exchange(m_pData, nullptr)));
    m_pData = nullptr;
}

void CIndexNode::DetachBranches(const CIndexNodeSet& set, CIndexNodeSet*& doomed) {
    for (const std::unique_ptr<CIndexNode>& child : set) {
        if (child->m_nType == NT_BRANCH && child->m_pData) {
            auto* sub = static_cast<CIndexNodeSet*>(std::exchange(child->m_pData, nullptr));
            sub->m_pNextDoomed = doomed;
            doomed = sub;
        }
    }
}

void CIndexNode::DestroySets(CIndexNodeSet* doomed) {
    // Level by level: each child set is detached from its branch before the
    // branch dies, so no destructor recurses.
    while (doomed) {
        CIndexNodeSet* set = doomed;
        doomed = set->m_pNextDoomed;
        DetachBranches(*set, doomed);
        delete set;
    }
}

int CIndexNode::GetLeafData(std::vector<void*>& out) const {
    if (m_nType == NT_LEAF) {
        if (!m_pData) return 0;
        out.push_back(m_pData);
        return 1;
    }
    const CIndexNodeSet* children = GetChildren();
    if (!children) return 0;

    // Depth first, ascending key at every level, without recursion: a stack
    // of (set, position) pairs.
    int found = 0;
    std::vector<std::pair<const CIndexNodeSet*, CIndexNodeSet::const_iterator>> stack;
    stack.emplace_back(children, children->begin());
    while (!stack.empty()) {
        auto& [set, it] = stack.back();
        if (it == set->end()) {
            stack.pop_back();
            continue;
        }
        const CIndexNode& node = **it;
        ++it;
        if (node.m_nType == NT_LEAF) {
            if (node.m_pData) {
                out.push_back(node.m_pData);
                ++found;
            }
        } else if (const CIndexNodeSet* sub = node.GetChildren()) {
            stack.emplace_back(sub, sub->begin());
        }
    }
    return found;
}

CZARVIODB::CZARVIODB(HashFn hash) : m_pfnHash(hash ? hash : &DefaultHash) {}

CZARVIODB::~CZARVIODB() {
    // Everything goes: the sets need not take their entries out one by one.
    m_paths.Clear();
    // The top-level branches' subtrees go first, iteratively, so that deep
    // trees tear down without recursion and without allocating.
    CIndexNodeSet* doomed = nullptr;
    CIndexNode::DetachBranches(m_setRoot, doomed);
    CIndexNode::DestroySets(doomed);
}

const char* CZARVIODB::HashNextPart(const char* part, uint32_t& hash) const {
    // The default hash is computed during the scan for the separator, over
    // the part where it lies; another function gets the std::string it asks
    // for.
    if (m_pfnHash == &DefaultHash) {
        uint32_t h = kDJBSeed;
        const char* end = part;
        for (; *end && *end != '$'; ++end) h = DJBStep(h, static_cast<unsigned char>(*end));
        hash = h;
        return end;
    }
    const char* end = part + std::strcspn(part, "$");
    hash = m_pfnHash(std::string(part, static_cast<size_t>(end - part)));
    return end;
}

// The parts are the pieces between "$" separators, empty ones included, as
// SplitStrByChar cuts them; a null or empty key has none.
bool CZARVIODB::HashParts(const char* key, std::vector<uint32_t>& hashes) const {
    hashes.clear();
    if (!key || !*key) return false;
    for (const char* part = key;;) {
        uint32_t hash;
        const char* end = HashNextPart(part, hash);
        hashes.push_back(hash);
        if (!*end) return true;
        part = end + 1;
    }
}

CIndexNode* CZARVIODB::Find(const std::vector<uint32_t>& hashes) const {
    const CIndexNodeSet* set = &m_setRoot;
    for (size_t i = 0; i < hashes.size(); ++i) {
        CIndexNode* node = set->Lookup(hashes[i]);
        if (!node) return nullptr;
        if (i + 1 == hashes.size()) return node;
        set = node->GetChildren();
        if (!set) return nullptr;
    }
    return nullptr;
}

bool CZARVIODB::TwoPartPath(const char* key, uint64_t& path) const {
    if (!key || !*key) return false;
    uint32_t first, second;
    const char* end = HashNextPart(key, first);
    if (!*end) return false;
    end = HashNextPart(end + 1, second);
    if (*end) return false;
    path = CIndexNodeSet::PathKey(first, second);
    return true;
}

CIndexNode* CZARVIODB::GetIndexNode(const char* key) const {
    // Hash part by part: a lookup builds no string and no list.
    if (!key || !*key) return nullptr;
    uint32_t first;
    const char* end = HashNextPart(key, first);
    if (!*end) return m_setRoot.Lookup(first);
    // Two parts deep in one probe of the path table; the tree answers
    // what the table does not hold.
    uint32_t second;
    end = HashNextPart(end + 1, second);
    CIndexNode* node = GetIndexNodeByPath(CIndexNodeSet::PathKey(first, second));
    // Deeper keys descend from there.
    for (const char* part = end; node && *part;) {
        const CIndexNodeSet* set = node->GetChildren();
        if (!set) return nullptr;
        uint32_t hash;
        const char* next = HashNextPart(part + 1, hash);
        node = set->Lookup(hash);
        part = next;
    }
    return node;
}

bool CZARVIODB::CreateIndex(const char* key, void* data) {
    // The scratch list keeps its capacity: an insert allocates only its nodes.
    std::vector<uint32_t>& hashes = m_scratchHashes;
    if (!HashParts(key, hashes)) return false;
    if (Find(hashes)) return false;

    CIndexNodeSet* set = &m_setRoot;
    size_t i = 0;
    for (; i < hashes.size(); ++i) {
        CIndexNode* present = set->Lookup(hashes[i]);
        if (!present) break;
        set = present->GetChildren();
        if (!set) return false;  // a leaf (or a childless branch) in the middle of the path
    }
    // The whole path cannot exist here (Find above), so i < hashes.size().
    for (; i < hashes.size(); ++i) {
        bool last = i + 1 == hashes.size();
        std::unique_ptr<CIndexNode> node;
        if (last) {
            node = std::make_unique<CIndexNode>(hashes[i], CIndexNode::NT_LEAF, data);
        } else {
            // The child set is held until the branch owns it. Below a
            // top-level branch it keeps the path table current.
            auto children = std::make_unique<CIndexNodeSet>();
            if (i == 0) {
                children->m_pPaths = &m_paths;
                children->m_nParentKey = hashes[0];
            }
            node = std::make_unique<CIndexNode>(hashes[i], CIndexNode::NT_BRANCH, children.get());
            children.release();
        }
        CIndexNode* raw = node.get();
        auto [it, inserted] = set->insert(std::move(node));
        if (!inserted) return false;
        raw->m_pOwner = set;
        if (last) return true;
        set = raw->GetChildren();
    }
    return false;
}

void CZARVIODB::Remove(const char* key) {
    CIndexNode* node = GetIndexNode(key);
    if (!node || !node->m_pOwner) return;
    CIndexNodeSet* owner = node->m_pOwner;
    auto it = owner->find(node->m_nKey);
    if (it != owner->end()) owner->erase(it);
}
