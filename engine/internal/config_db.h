// CZARVConfigDB: the measurement-point records of one RID (internal).
//
// Records are kept in one map ordered by GMPID, so that block and group
// listings, range deletes and the free-GMPID search cost in proportion to
// the records in the range (a lower_bound plus a walk), not to the
// database. A hash table beside it answers lookups of one GMPID, which
// value reads make at high rates, without descending the tree. Every stored
// record holds one reference taken by the database; the database drops it
// when the record leaves.
//
// The database is a store: it knows nothing of whoever owns it beyond the
// small interface CZARVConfigDBOwner (engine/config_db_owner.h). The owner
// (the engine) keeps the side structures of the records (IO index,
// associations, live values) and links a record into them when it is added;
// the database tells it of every record a load wants to add and of every
// record that leaves.
//
// A load reads the file once:
//   1. LoadFromFile calls the virtual CheckFile(path) first; false ends the
//      load with the database unchanged. A derived database that overrides
//      CheckFile thus keeps its say over which files load.
//   2. The base CheckFile reads the whole file, checks its header and its
//      checksum. Called by LoadFromFile for the path being loaded, it hands
//      the read, verified bytes over to that load; called on its own (or for
//      another path) it drops them at once.
//   3. The load decodes exactly those bytes. When the check did not hand any
//      over (a derived CheckFile that does not call the base one), the load
//      reads the file itself and verifies its checksum: whatever CheckFile
//      says, the bytes decoded are the bytes whose checksum was verified,
//      read once and checksummed once.
//   4. Only when the whole file has decoded does the database change: its
//      records are released, its type set, and each decoded record is
//      offered to the owner (without owner: stored directly).
// Handing the bytes over, rather than comparing what two openings saw,
// leaves nothing to fool: a file rewritten between the check and the decode
// is not read again. And it needs no knowledge of whether CheckFile was
// overridden: a derived CheckFile that calls the base one gets the single
// read too.
#ifndef ENGINE_CONFIG_DB_H_
#define ENGINE_CONFIG_DB_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "engine/config_db_owner.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_file.h"
#include "host/zarvlib/zarv_id_map.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_pool.h"

class CZARVLoadReporter;
struct CZARVReadRecord;

class CZARVConfigDB : public CZARVObj {
public:
    // `owner` (may be null) is not owned.
    CZARVConfigDB(unsigned char rid, int type, CZARVConfigDBOwner* owner);
    // Runs Clear().
    ~CZARVConfigDB() override;

    // The version text `ver` of the three file operations has no effect:
    // the file has one format, whatever version a caller names. It is kept
    // for the callers of older engines.
    //
    // Writes the database to "<dir>/rs<rid>.dat", respectively to `path`.
    // Atomic, keeping the old file's mode, owner and links (CZARVAtomicWrite);
    // false (old file intact) when the file cannot be written, the target is
    // not a regular file, or the database cannot be carried by the format
    // whole.
    virtual bool SaveToFile(const char* dir, const char* ver);
    virtual bool SaveToTemplate(const char* path, const char* ver);
    // Replaces the records and the type with the content of the file, once
    // CheckFile has passed and the whole file has decoded (see the top of
    // this header); false with the database unchanged otherwise. True also
    // when the owner refused some of the records.
    virtual bool LoadFromFile(const char* path, const char* ver, int type);
    // The same load, telling `reporter` (may be null, not owned) why the
    // file is refused and which records and properties it passes over, with
    // their byte offsets. Same result and content as without a reporter.
    // Not virtual: it runs this class's load (and the virtual CheckFile).
    bool LoadFromFile(const char* path, const char* ver, int type, CZARVLoadReporter* reporter);
    // True when the file exists, starts with the magic bytes and this
    // database's RID, and its checksum holds. Inside LoadFromFile the bytes
    // it verified are the ones that load decodes.
    virtual bool CheckFile(const char* path);

    unsigned char GetRID() const { return m_nRID; }
    int GetType() const { return m_nType; }
    void SetType(int type) { m_nType = type; }
    int GetCount() const { return static_cast<int>(m_mapMPInfo.size()); }

    // Releases every record (ascending GMPID), telling the owner of each.
    void Clear();
    // Stores the record under its GMPID with a reference of its own; false
    // (no reference kept) when the GMPID is already present.
    bool InsertMPInfo(CZARVMPInfo* info);
    // Borrowed; null when absent.
    CZARVMPInfo* GetMPInfo(uint32_t gmpid) const;
    // Append the records of the range to `out`, ascending; return the count
    // `out` then holds.
    int ListMPInfo(unsigned char group, unsigned char block, CZARVDataSet<CZARVMPInfo>& out) const;
    int ListMPInfo(unsigned char group, CZARVDataSet<CZARVMPInfo>& out) const;
    // Remove one record, or the records of a range, telling the owner of
    // each; the range forms return how many left.
    void DeleteMPInfo(unsigned long gmpid);
    int DeleteMPInfo(unsigned char group, unsigned char block);
    int DeleteMPInfo(unsigned char group);
    // See CZARVQENDbEngine::GetFreeGMPID.
    unsigned int GetFreeGMPID(unsigned char group, unsigned char block, unsigned long* out,
                              unsigned int count) const;
    // Replaces `out` with the distinct group numbers; returns their number.
    int ListGroupNumbers(std::set<unsigned char>& out) const;

private:
    // One tree node per record: from the pool, like the records.
    using RecordMap = std::map<uint32_t, CZARVMPInfo*, std::less<uint32_t>,
                               CZARVPoolAllocator<std::pair<const uint32_t, CZARVMPInfo*>>>;

    // The file a load reads: set up by LoadFromFile for its own CheckFile
    // call, filled by the base CheckFile.
    struct LoadSource {
        const char* path;
        CZARVFile file;
        bool verified = false;
        CZARVLoadReporter* reporter = nullptr;
        bool checked = false;  // the base CheckFile ran for this load
    };

    int AppendRange(zarvgmpid::Range range, CZARVDataSet<CZARVMPInfo>& out) const;
    int EraseRange(zarvgmpid::Range range);
    // Tells the owner, then drops the database's reference.
    void Evict(CZARVMPInfo* info);
    // The format carries at most 127 groups and 32767 records per group.
    // Fills `counts` with the number of records of each group, in the order
    // of `groups`.
    bool CanBeWritten(const std::set<unsigned char>& groups, std::vector<int>& counts) const;
    // Save, CheckFile and LoadFromFile answer false when memory runs out;
    // these do the work.
    bool Save(const char* path) const;
    bool WriteFile(const char* path) const;
    bool CheckHeaderAndChecksum(const char* path);
    // Reads `path` into `file` and verifies the header and the checksum;
    // tells `reporter` (may be null) why not.
    bool ReadVerified(const char* path, CZARVFile& file, CZARVLoadReporter* reporter) const;
    bool ReadFile(const char* path, int type, CZARVLoadReporter* reporter);
    // Replaces the records and the type with `records`, through the owner.
    void Replace(std::vector<CZARVReadRecord>& records, int type, CZARVLoadReporter* reporter);
    // Offers one record of a load to the owner (without owner: stores it).
    bool AddLoaded(CZARVMPInfo* info, const CZARVLoadTrace* trace);

    unsigned char m_nRID;
    int m_nType;
    RecordMap m_mapMPInfo;
    // The same records by GMPID; changes together with m_mapMPInfo.
    CZARVIdMap<CZARVMPInfo> m_byGMPID;
    CZARVConfigDBOwner* m_pOwner;
    // Set only while LoadFromFile runs its CheckFile call.
    LoadSource* m_pLoadSource = nullptr;
};

#endif  // ENGINE_CONFIG_DB_H_
