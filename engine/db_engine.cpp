#include "engine/db_engine.h"

#include <iterator>
#include <vector>

#include "engine/internal/config_db.h"
#include "engine/internal/db_file_reader.h"
#include "engine/internal/version_text.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/kernel_version.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvlib/internal/zarv_result.h"
#include "host/zarvlib/zarv_str.h"

namespace {

// The IO-indexed RIDs (kIOIndexRidFirst..kIOIndexRidLast) are also those
// whose points of a non-zero block may read their value through property 499.
// RIDs whose points of a non-zero block must read through property 499.
constexpr unsigned kRefOnlyRidFirst = 128;
constexpr unsigned kRefOnlyRidLast = 191;
// GetFreeRID hands out RIDs below this bound only.
constexpr int kRidBound = 255;

// Appends the text of property `id` of `info` as a C string (a missing
// property is empty) and returns the number of bytes appended.
size_t AppendPropText(const CZARVMPInfo& info, unsigned short id, std::string& out) {
    const _zarvVAR* value = info.FindMPProp(id);
    if (!value) return 0;
    size_t before = out.size();
    if (value->GetType() == _zarvVAR::VT_STR)
        out += value->GetText();
    else
        out += value->ToString().c_str();
    return out.size() - before;
}

// Builds the IO address key of `info` into `key`, "<401>$<402>"; false,
// with `key` empty, when either text is missing or empty (no key then).
bool BuildIOKey(const CZARVMPInfo& info, std::string& key) {
    key.clear();
    if (AppendPropText(info, CZARVQENDbEngine::kIOAddrProp1, key) == 0) return false;
    key += '$';
    if (AppendPropText(info, CZARVQENDbEngine::kIOAddrProp2, key) != 0) return true;
    key.clear();
    return false;
}

// The GMPID named by a reference property, or false when the name is empty
// or belongs to no point.
bool ResolveRefName(const _zarvVAR& prop, uint32_t& gmpid) {
    _zarv_str name = prop;
    if (name.empty()) return false;
    unsigned long found = GetGMPIDByRefName(name);
    if (found == ZARV_INVALID_GMPID) return false;
    gmpid = zarvgmpid::FromArg(found);
    return true;
}

}  // namespace

CZARVQENDbEngine::CZARVQENDbEngine(const char* ver) { m_gZARVVer = GetVer(ver); }

CZARVQENDbEngine::~CZARVQENDbEngine() {
    // The side tables go first and whole: the records that leave with the
    // databases then find nothing of theirs to withdraw one by one.
    for (std::unique_ptr<CZARVIODB>& io : m_ioDBs) io.reset();
    m_mapIOPaths.clear();
    m_mapIOKeys.clear();
    m_mapAssGMPID.clear();
    Clear();
}

int CZARVQENDbEngine::GetVer(const char* ver) const { return ZarvVersionMajor(ver); }

bool CZARVQENDbEngine::IsValid(const char* ver) const { return GetVer(ver) <= m_gZARVVer; }

void CZARVQENDbEngine::ResetDB() {}

// ---------------------------------------------------------------------------
// Registries

CZARVConfigDB* CZARVQENDbEngine::GetConfigDB(unsigned char rid) const {
    return m_configDBs[rid].get();
}

bool CZARVQENDbEngine::CreateConfigDB(unsigned char rid, int type) {
    if (!GetConfigDB(rid))
        m_configDBs[rid] = CZARVPtr<CZARVConfigDB>::Adopt(new CZARVConfigDB(rid, type, &m_dbLink));
    return true;
}

void CZARVQENDbEngine::DeleteConfigDB(unsigned char rid) {
    m_configDBs[rid].reset();
    DeleteSubRtdb(rid);
    DeleteIODB(rid);
}

int CZARVQENDbEngine::GetConfigDBType(unsigned char rid) const {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db ? db->GetType() : -1;
}

CZARVIODB* CZARVQENDbEngine::GetIODB(unsigned char rid) const { return m_ioDBs[rid].get(); }

bool CZARVQENDbEngine::CreateIODB(unsigned char rid) {
    if (!GetIODB(rid)) m_ioDBs[rid] = std::make_unique<CZARVIODB>();
    return true;
}

void CZARVQENDbEngine::DeleteIODB(unsigned char rid) { m_ioDBs[rid].reset(); }

CZARVSubRtdb* CZARVQENDbEngine::GetSubRtdb(unsigned char rid) const {
    return m_subRtdbs[rid].get();
}

bool CZARVQENDbEngine::CreateSubRtdb(unsigned char rid) {
    if (!GetSubRtdb(rid)) m_subRtdbs[rid] = CZARVPtr<CZARVSubRtdb>::Adopt(new CZARVSubRtdb(rid));
    return true;
}

void CZARVQENDbEngine::DeleteSubRtdb(unsigned char rid) { m_subRtdbs[rid].reset(); }

void CZARVQENDbEngine::Clear() {
    // Each handle is emptied before its database is released (CZARVPtr::reset),
    // so nothing a release reaches finds a database on its way out.
    for (CZARVPtr<CZARVSubRtdb>& sub : m_subRtdbs) sub.reset();
    for (CZARVPtr<CZARVConfigDB>& db : m_configDBs) db.reset();
}

// ---------------------------------------------------------------------------
// What the configuration databases tell the engine

const CZARVMetaPropTbl* CZARVQENDbEngine::DbLink::GetLoadMetaProps() const {
    return m_engine.m_pMetaProps;
}

void CZARVQENDbEngine::DbLink::OnLoadStoring(CZARVConfigDB& /*db*/, size_t count) {
    m_engine.ExpectRecords(count);
}

void CZARVQENDbEngine::DbLink::OnLoadStored(CZARVConfigDB& /*db*/) { m_engine.ExpectRecords(0); }

bool CZARVQENDbEngine::DbLink::AddLoadedRecord(CZARVConfigDB& db, CZARVMPInfo* info,
                                               const CZARVLoadTrace* trace) {
    return m_engine.AddRecord(info, &db, trace);
}

void CZARVQENDbEngine::DbLink::OnRecordLeaving(CZARVConfigDB& /*db*/, const CZARVMPInfo& info) {
    m_engine.OnRecordLeaving(&info);
}

// ---------------------------------------------------------------------------
// The insert path

bool CZARVQENDbEngine::IndexIOAddress(CZARVMPInfo* info, CZARVConfigDB* db, std::string& key) {
    key.clear();
    unsigned char rid = db->GetRID();
    if (!KeepsIOIndex(rid, db->GetType())) return true;
    // Built without a copy of either property: this runs for every record
    // a load stores.
    if (!BuildIOKey(*info, key)) return true;

    if (!GetIODB(rid) && !CreateIODB(rid)) {
        key.clear();
        return false;
    }
    CZARVIODB* io = GetIODB(rid);
    if (m_nIOReserve > 0) {
        // The load's first IO address: room for one per record.
        io->ReservePaths(m_nIOReserve);
        m_mapIOPaths.reserve(m_mapIOPaths.size() + m_nIOReserve);
        m_nIOReserve = 0;
    }
    if (!io->CreateIndex(key.c_str(), info)) {
        key.clear();
        return false;
    }
    uint64_t path = 0;
    if (io->TwoPartPath(key.c_str(), path))
        m_mapIOPaths.emplace(info, path);
    else
        m_mapIOKeys.emplace(info, key);
    return true;
}

bool CZARVQENDbEngine::CreateIOIndex(CZARVMPInfo* info, CZARVConfigDB* db) {
    std::string key;
    return IndexIOAddress(info, db, key);
}

void CZARVQENDbEngine::RemoveLeafOf(CIndexNode* node, const CZARVMPInfo* info) {
    // Only an entry that still points at this record is its own: the same
    // address may belong to another record by now.
    if (!node || node->GetNodeType() != CIndexNode::NT_LEAF || node->GetData() != info) return;
    CIndexNodeSet* owner = node->GetOwner();
    owner->erase(owner->find(static_cast<uint32_t>(node->GetKey())));
}

void CZARVQENDbEngine::WithdrawIOKey(unsigned char rid, const std::string& key,
                                     const CZARVMPInfo* info) {
    if (key.empty()) return;
    CZARVIODB* io = GetIODB(rid);
    uint64_t path = 0;
    if (io && io->TwoPartPath(key.c_str(), path)) {
        WithdrawIOPath(rid, path, info);
        return;
    }
    if (io) RemoveLeafOf(io->GetIndexNode(key.c_str()), info);
    auto it = m_mapIOKeys.find(info);
    if (it != m_mapIOKeys.end() && it->second == key) m_mapIOKeys.erase(it);
}

void CZARVQENDbEngine::WithdrawIOPath(unsigned char rid, uint64_t path, const CZARVMPInfo* info) {
    if (CZARVIODB* io = GetIODB(rid)) RemoveLeafOf(io->GetIndexNodeByPath(path), info);
    auto it = m_mapIOPaths.find(info);
    if (it != m_mapIOPaths.end() && it->second == path) m_mapIOPaths.erase(it);
}

void CZARVQENDbEngine::LinkLiveValue(const CZARVMPInfo& info) const {
    // Only a record the database has taken is linked: a refused one must not
    // speak for the point.
    const uint32_t gmpid = zarvgmpid::FromArg(info.GetGMPID());
    const CZARVSubRtdb* sub = GetSubRtdb(zarvgmpid::RID(gmpid));
    if (CZARVMPValue* value = sub ? sub->GetMPValueObj(gmpid) : nullptr) info.LinkValue(value);
}

void CZARVQENDbEngine::OnRecordLeaving(const CZARVMPInfo* info) {
    // Its value no longer learns about property 499 from it.
    if (info->GetLinkedValue()) info->LinkValue(nullptr);
    const uint32_t gmpid = zarvgmpid::FromArg(info->GetGMPID());
    EraseAssociations(gmpid, gmpid);
    if (auto it = m_mapIOPaths.find(info); it != m_mapIOPaths.end()) {
        WithdrawIOPath(zarvgmpid::RID(gmpid), it->second, info);
        return;
    }
    auto it = m_mapIOKeys.find(info);
    if (it == m_mapIOKeys.end()) return;
    std::string key = it->second;
    WithdrawIOKey(zarvgmpid::RID(gmpid), key, info);
}

bool CZARVQENDbEngine::OnAddMPInfo(const CZARVMPInfo& info) {
    CZARVMPValue* stored = nullptr;
    return AddPointLinks(info, stored);
}

bool CZARVQENDbEngine::AddPointLinks(const CZARVMPInfo& info, CZARVMPValue*& stored) {
    stored = nullptr;
    uint32_t gmpid = zarvgmpid::FromArg(info.GetGMPID());
    if (info.IsExist(kRefProp)) {
        // A reference point: no live value of its own, only the link.
        uint32_t referenced = 0;
        if (ResolveRefName(info[kRefProp], referenced)) m_mapAssGMPID.emplace(referenced, gmpid);
        return true;
    }
    unsigned char rid = zarvgmpid::RID(gmpid);
    if (!CreateSubRtdb(rid)) return false;
    CZARVSubRtdb* sub = GetSubRtdb(rid);
    if (m_nValueReserve > 0) {
        // The load's first live value: room for one per record.
        sub->Reserve(static_cast<size_t>(sub->GetCount()) + m_nValueReserve);
        m_nValueReserve = 0;
    }
    auto value = CZARVPtr<CZARVMPValue>::Adopt(info.CreateValueFromInfo());
    stored = sub->StoreMPValue(value.get());
    return stored != nullptr;
}

bool CZARVQENDbEngine::AddRecord(CZARVMPInfo* info, CZARVConfigDB* db,
                                 const CZARVLoadTrace* trace) {
    std::string key;
    Refusal step = Refusal::kIOIndex;
    // The IO index points at the record: it must not go on pointing at one
    // the database did not take, also when memory runs out on the way.
    try {
        if (!IndexIOAddress(info, db, key)) {
            if (trace) ReportRefusal(*trace, *info, *db, step);
            return false;
        }
        step = Refusal::kLiveValue;
        CZARVMPValue* value = nullptr;
        if (AddPointLinks(*info, value)) {
            step = Refusal::kGMPID;
            if (db->InsertMPInfo(info)) {
                // The value the point is served from is at hand, except for
                // a reference point, which may still have one of its own.
                if (value)
                    info->LinkValue(value);
                else
                    LinkLiveValue(*info);
                return true;
            }
        }
    } catch (...) {
        WithdrawIOKey(db->GetRID(), key, info);
        throw;
    }
    WithdrawIOKey(db->GetRID(), key, info);
    if (trace) ReportRefusal(*trace, *info, *db, step);
    return false;
}

void CZARVQENDbEngine::ReportRefusal(const CZARVLoadTrace& trace, const CZARVMPInfo& info,
                                     const CZARVConfigDB& db, Refusal step) const {
    const uint32_t gmpid = zarvgmpid::FromArg(info.GetGMPID());
    // A load drops the record and goes on; an insert refuses it.
    std::string what =
        CZARVDbFileReader::PointText(gmpid) + (trace.offset < 0 ? " refused: " : " dropped: ");
    switch (step) {
        case Refusal::kIOIndex: {
            std::string key;
            AppendPropText(info, kIOAddrProp1, key);
            key += '$';
            AppendPropText(info, kIOAddrProp2, key);
            what += "its IO address \"" + key + "\" is already indexed";
            // The leaf in the way: the address itself or its first part.
            CZARVIODB* io = GetIODB(db.GetRID());
            std::string part = key;
            for (CIndexNode* node = nullptr; io && !part.empty();) {
                node = io->GetIndexNode(part.c_str());
                if (node && node->GetNodeType() == CIndexNode::NT_LEAF && node->GetData()) {
                    uint32_t holder = zarvgmpid::FromArg(
                        static_cast<const CZARVMPInfo*>(node->GetData())->GetGMPID());
                    what += " by " + CZARVDbFileReader::PointText(holder) + trace.StoredAt(holder);
                    break;
                }
                size_t cut = part.rfind('$');
                part.erase(cut == std::string::npos ? 0 : cut);
            }
            break;
        }
        case Refusal::kLiveValue:
            what += "the live-value database of RID " + std::to_string(db.GetRID()) +
                    " refuses its value";
            break;
        case Refusal::kGMPID:
            what += "its GMPID is already stored" + trace.StoredAt(gmpid);
            break;
    }
    trace.reporter->Report(CZARVLoadReporter::kProblem,
                           CZARVLoadReporter::Where::Offset(trace.offset), what);
}

bool CZARVQENDbEngine::InsertMPInfo(CZARVMPInfo* info) { return InsertMPInfo(info, nullptr); }

bool CZARVQENDbEngine::InsertMPInfo(CZARVMPInfo* info, CZARVLoadReporter* reporter) {
    if (!info) return false;
    CZARVConfigDB* db = GetConfigDB(zarvgmpid::RID(zarvgmpid::FromArg(info->GetGMPID())));
    if (!db) return false;
    if (!reporter) return AddRecord(info, db);
    CZARVLoadTrace trace;
    trace.reporter = reporter;
    return AddRecord(info, db, &trace);
}

int CZARVQENDbEngine::InsertMPInfo(CZARVDataSet<CZARVMPInfo>& set) {
    int stored = 0;
    for (CZARVMPInfo* info : set)
        if (InsertMPInfo(info)) ++stored;
    return stored;
}

std::string CZARVQENDbEngine::IOAddressKey(const CZARVMPInfo& info) {
    std::string key;
    BuildIOKey(info, key);
    return key;
}

// ---------------------------------------------------------------------------
// Records

CZARVMPInfo* CZARVQENDbEngine::GetMPInfo(unsigned long gmpid) const {
    uint32_t g = zarvgmpid::FromArg(gmpid);
    CZARVConfigDB* db = GetConfigDB(zarvgmpid::RID(g));
    return db ? db->GetMPInfo(g) : nullptr;
}

int CZARVQENDbEngine::ListMPInfo(unsigned char rid, unsigned char group, unsigned char block,
                                 CZARVDataSet<CZARVMPInfo>& out) const {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db ? db->ListMPInfo(group, block, out) : -1;
}

int CZARVQENDbEngine::ListMPInfo(unsigned char rid, unsigned char group,
                                 CZARVDataSet<CZARVMPInfo>& out) const {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db ? db->ListMPInfo(group, out) : -1;
}

// A record that leaves takes its association entries with it
// (OnRecordLeaving); the deletes below erase their whole range as well,
// since a point may be referenced without having a record here (a live value
// that outlived a reload of its database).
void CZARVQENDbEngine::EraseAssociations(uint32_t lo, uint32_t hi) {
    if (lo > hi) return;
    m_mapAssGMPID.erase(m_mapAssGMPID.lower_bound(lo), m_mapAssGMPID.upper_bound(hi));
}

void CZARVQENDbEngine::DeleteMPInfo(unsigned char rid, unsigned char group, unsigned char block) {
    if (CZARVConfigDB* db = GetConfigDB(rid)) {
        db->DeleteMPInfo(group, block);
        zarvgmpid::Range range = zarvgmpid::BlockRange(rid, group, block);
        EraseAssociations(range.lo, range.hi);
    }
    if (CZARVSubRtdb* sub = GetSubRtdb(rid)) sub->RemoveMPValue(group, block);
}

void CZARVQENDbEngine::DeleteMPInfo(unsigned char rid, unsigned char group) {
    if (CZARVConfigDB* db = GetConfigDB(rid)) {
        db->DeleteMPInfo(group);
        zarvgmpid::Range range = zarvgmpid::GroupRange(rid, group);
        EraseAssociations(range.lo, range.hi);
    }
    if (CZARVSubRtdb* sub = GetSubRtdb(rid)) sub->RemoveMPValue(group);
}

void CZARVQENDbEngine::DeleteMPInfo(unsigned long gmpid) {
    uint32_t g = zarvgmpid::FromArg(gmpid);
    unsigned char rid = zarvgmpid::RID(g);
    CZARVConfigDB* db = GetConfigDB(rid);
    if (!db) return;
    db->DeleteMPInfo(static_cast<unsigned long>(g));
    EraseAssociations(g, g);
    if (CZARVSubRtdb* sub = GetSubRtdb(rid)) sub->RemoveMPValue(static_cast<unsigned long>(g));
}

bool CZARVQENDbEngine::GetProperty(unsigned long gmpid, unsigned short id, _zarvVAR& out) const {
    CZARVMPInfo* info = GetMPInfo(gmpid);
    if (!info) return false;
    out = info->MPProp(id);
    return !out.IsEmpty();
}

_zarvVAR CZARVQENDbEngine::GetProperty(unsigned long gmpid, unsigned short id) const {
    CZARVMPInfo* info = GetMPInfo(gmpid);
    return info ? info->MPProp(id) : _zarvVAR();
}

// ---------------------------------------------------------------------------
// Files

bool CZARVQENDbEngine::SaveToFile(unsigned char rid, const char* dir, const char* ver) {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db && db->SaveToFile(dir, ver);
}

bool CZARVQENDbEngine::SaveToTemplate(unsigned char rid, const char* path, const char* ver) {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db && db->SaveToTemplate(path, ver);
}

bool CZARVQENDbEngine::LoadFromFile(unsigned char rid, const char* path, const char* ver,
                                    int type) {
    return LoadFromFile(rid, path, ver, type, nullptr);
}

bool CZARVQENDbEngine::LoadFromFile(unsigned char rid, const char* path, const char* ver, int type,
                                    CZARVLoadReporter* reporter) {
    if (!GetConfigDB(rid) && !ZarvResultOf(false, [&] { return CreateConfigDB(rid, type); })) {
        if (reporter)
            reporter->Report(
                CZARVLoadReporter::kProblem, CZARVLoadReporter::Where(),
                "no configuration database of RID " + std::to_string(rid) + " could be created");
        return false;
    }
    CZARVConfigDB* db = GetConfigDB(rid);
    return reporter ? db->LoadFromFile(path, ver, type, reporter)
                    : db->LoadFromFile(path, ver, type);
}

// ---------------------------------------------------------------------------
// Lookups by IO address

namespace {

// The records of the leaves under `key`, in index order; false when the key
// is not indexed.
bool LeafRecords(const CZARVIODB& io, const char* key, std::vector<CZARVMPInfo*>& out) {
    CIndexNode* node = io.GetIndexNode(key);
    if (!node) return false;
    std::vector<void*> leaves;
    node->GetLeafData(leaves);
    out.reserve(leaves.size());
    for (void* leaf : leaves) out.push_back(static_cast<CZARVMPInfo*>(leaf));
    return true;
}

}  // namespace

int CZARVQENDbEngine::ListMPInfoByIO(unsigned char rid, const char* key,
                                     CZARVDataSet<CZARVMPInfo>& out) const {
    CZARVIODB* io = GetIODB(rid);
    std::vector<CZARVMPInfo*> records;
    if (!io || !LeafRecords(*io, key, records)) return -1;
    for (CZARVMPInfo* info : records) out.Add(info);
    return static_cast<int>(records.size());
}

int CZARVQENDbEngine::ListMPInfoByIO(unsigned char rid, unsigned char block, const char* key,
                                     CZARVDataSet<CZARVMPInfo>& out) const {
    CZARVIODB* io = GetIODB(rid);
    std::vector<CZARVMPInfo*> records;
    if (!io || !LeafRecords(*io, key, records)) return -1;
    int appended = 0;
    for (CZARVMPInfo* info : records) {
        if (zarvgmpid::Block(zarvgmpid::FromArg(info->GetGMPID())) == block && out.Add(info))
            ++appended;
    }
    return appended;
}

int CZARVQENDbEngine::ListValueByIO(unsigned char rid, const char* key,
                                    CZARVDataSet<CZARVMPValue>& out) const {
    CZARVIODB* io = GetIODB(rid);
    std::vector<CZARVMPInfo*> records;
    if (!io || !LeafRecords(*io, key, records)) return -1;
    CZARVSubRtdb* sub = GetSubRtdb(rid);
    if (!sub) return -1;
    for (CZARVMPInfo* info : records) {
        // Reference points have no live value; the set never takes a null.
        if (CZARVMPValue* value = sub->GetMPValueObj(info->GetGMPID())) out.Add(value);
    }
    return static_cast<int>(records.size());
}

void CZARVQENDbEngine::DeleteMPInfoByIO(unsigned char rid, const char* key) {
    CZARVIODB* io = GetIODB(rid);
    if (!io) return;
    std::vector<CZARVMPInfo*> records;
    if (LeafRecords(*io, key, records)) {
        // Take the GMPIDs first: every delete releases a record and withdraws
        // its leaf.
        std::vector<unsigned long> gmpids;
        gmpids.reserve(records.size());
        for (CZARVMPInfo* info : records) gmpids.push_back(info->GetGMPID());
        for (unsigned long gmpid : gmpids) DeleteMPInfo(gmpid);
    }
    io->Remove(key);
}

// ---------------------------------------------------------------------------
// Identifiers and associations

int CZARVQENDbEngine::GetFreeRID(int from, int to) const {
    if (from >= to || from < 0 || to >= kRidBound) return -1;
    for (int rid = from; rid < to; ++rid)
        if (!GetConfigDB(static_cast<unsigned char>(rid))) return rid;
    return -1;
}

unsigned int CZARVQENDbEngine::GetFreeGMPID(unsigned char rid, unsigned char group,
                                            unsigned char block, unsigned long* out,
                                            unsigned int count) const {
    CZARVConfigDB* db = GetConfigDB(rid);
    return db ? db->GetFreeGMPID(group, block, out, count) : 0;
}

unsigned int CZARVQENDbEngine::GetAssGMPID(unsigned long gmpid, unsigned long* out, int max) const {
    auto [first, last] = m_mapAssGMPID.equal_range(zarvgmpid::FromArg(gmpid));
    if (!out) return static_cast<unsigned int>(std::distance(first, last));
    unsigned int copied = 0;
    for (auto it = first; it != last && static_cast<int>(copied) < max; ++it)
        out[copied++] = it->second;
    return copied;
}

// ---------------------------------------------------------------------------
// Live values

const CZARVMPValue* CZARVQENDbEngine::ReadSource(unsigned long gmpid) const {
    const uint32_t g = zarvgmpid::FromArg(gmpid);
    const unsigned rid = zarvgmpid::RID(g);
    const CZARVSubRtdb* own = GetSubRtdb(static_cast<unsigned char>(rid));
    const CZARVMPValue* value = own ? own->GetMPValueObj(g) : nullptr;
    const bool refOnly = rid >= kRefOnlyRidFirst && rid <= kRefOnlyRidLast;
    const bool refAllowed = rid >= kIOIndexRidFirst && rid <= kIOIndexRidLast;
    if (zarvgmpid::Block(g) == 0 || !(refOnly || refAllowed)) return value;
    // A value linked to its stored record knows whether the record names
    // another point: a read of a point without a reference ends here.
    if (value && value->GetLinkedRecord() && !value->LinkedRecordHasReference())
        return refOnly ? nullptr : value;
    // Borrowed, not copied: this runs for every read of a referencing point.
    const CZARVMPInfo* info = GetMPInfo(g);
    const _zarvVAR* ref = info ? info->FindMPProp(kRefProp) : nullptr;
    if (!ref || ref->IsEmpty()) return refOnly ? nullptr : value;
    uint32_t target;
    if (!ResolveRefName(*ref, target)) return nullptr;
    const CZARVSubRtdb* sub = GetSubRtdb(zarvgmpid::RID(target));
    return sub ? sub->GetMPValueObj(target) : nullptr;
}

bool CZARVQENDbEngine::ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality& quality,
                                 CZARVTime& time) const {
    const CZARVMPValue* source = ReadSource(gmpid);
    if (!source) return false;
    value = source->GetValue();
    quality = source->GetQuality();
    time = source->GetTime();
    return true;
}

bool CZARVQENDbEngine::ReadValueQos(unsigned long gmpid, CMPQuality& quality) const {
    const CZARVMPValue* source = ReadSource(gmpid);
    if (!source) return false;
    quality = source->GetQuality();
    return true;
}

bool CZARVQENDbEngine::ReadValueTime(unsigned long gmpid, CZARVTime& time) const {
    const CZARVMPValue* source = ReadSource(gmpid);
    if (!source) return false;
    time = source->GetTime();
    return true;
}

bool CZARVQENDbEngine::ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) const {
    const CZARVMPValue* source = ReadSource(gmpid);
    return source && source->GetGroupValue(index, value);
}

bool CZARVQENDbEngine::ReadSGValue(unsigned long gmpid, CZARVGRPData& data, CMPQuality& quality,
                                   CZARVTime& time) const {
    _zarvVAR value;
    if (!ReadValue(gmpid, value, quality, time)) return false;
    _zarv_str text = value;
    data.FromStream(text);  // a value that is no group text leaves the data alone
    return true;
}

unsigned int CZARVQENDbEngine::WriteValue(unsigned long gmpid, const _zarvVAR& value,
                                          const CMPQuality& quality, const CZARVTime& time) {
    uint32_t g = zarvgmpid::FromArg(gmpid);
    CZARVSubRtdb* sub = GetSubRtdb(zarvgmpid::RID(g));
    return sub ? sub->WriteValue(g, value, quality, time) : 0;
}

bool CZARVQENDbEngine::WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value) {
    uint32_t g = zarvgmpid::FromArg(gmpid);
    CZARVSubRtdb* sub = GetSubRtdb(zarvgmpid::RID(g));
    return sub && sub->WriteSGValue(g, index, value);
}

unsigned int CZARVQENDbEngine::WriteSGValue(unsigned long gmpid, const CZARVGRPData& data,
                                            const CMPQuality& quality, const CZARVTime& time) {
    _zarv_str text;
    data.ToStream(text);
    return WriteValue(gmpid, _zarvVAR(text.c_str()), quality, time);
}

int CZARVQENDbEngine::ListValue(unsigned char rid, unsigned char group, unsigned char block,
                                CZARVDataSet<CZARVMPValue>& out) const {
    CZARVSubRtdb* sub = GetSubRtdb(rid);
    return sub ? sub->ListValue(group, block, out) : -1;
}

int CZARVQENDbEngine::ListValue(unsigned char rid, unsigned char group,
                                CZARVDataSet<CZARVMPValue>& out) const {
    CZARVSubRtdb* sub = GetSubRtdb(rid);
    return sub ? sub->ListValue(group, out) : -1;
}

CZARVHwInfo* CZARVQENDbEngine::GetHwInfo(const CZARVSysConfig& config) const {
    _zarvVAR id = GetProperty(kHwInfoGMPID, kHwIdProp);
    if (id.IsEmpty()) return nullptr;
    return config.GetHwInfo(static_cast<int>(static_cast<long>(id))).get();
}
