// CZARVQENDbEngine: the configuration database engine of one installation.
//
// The engine holds the measurement points as kernel records (CZARVMPInfo),
// split into configuration databases by RID (the top byte of a GMPID). Each
// inserted point also feeds three side structures:
//   - the IO index of its RID (RIDs 192..254, database types 1, 2 and 3),
//     keyed by the texts of properties 401 and 402 as "<401>$<402>";
//   - the association table, when property 499 names another point by its
//     reference name: referenced GMPID -> referencing GMPID;
//   - otherwise the live-value database (CZARVSubRtdb) of its RID.
//
// GMPIDs are passed as `unsigned long`; only the low 32 bits are used.
//
// Ownership and lifetimes:
//   1. The engine holds one reference on every configuration database and on
//      every live-value database; a configuration database holds one on each
//      of its records. A caller keeps its own reference on what it inserts,
//      whether or not the insert succeeds.
//   2. GetMPInfo, GetMetaProps and GetHwInfo hand out borrowed pointers: a
//      record stays valid until a delete or reload removes it (AddRef it to
//      keep it longer).
//   3. Listings append to the caller's data set, which takes a reference on
//      each element; the set is never emptied first.
//   4. The meta property table given to SetMetaProps is not owned: it must
//      outlive every load that runs while it is set.
//   5. The IO index never hands out a released record: whenever a record
//      leaves its database (any delete, a reload, the database's or the
//      engine's end) or an insert fails after indexing it, the index entry
//      that points at that record is removed with it, so the IO address can
//      be used again at once.
//
// Failures are results: false, -1 from counts and types, 0 from GMPID
// queries, null pointers; deletes of absent things do nothing.
//
// Not thread-safe: callers serialise every operation, including the value
// operations that an engine driver forwards.
#ifndef ENGINE_DB_ENGINE_H_
#define ENGINE_DB_ENGINE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "engine/config_db_owner.h"
#include "engine/io_index.h"
#include "host/zarvkernel/grp_data.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/mp_quality.h"
#include "host/zarvkernel/mp_value.h"
#include "host/zarvkernel/sub_rtdb.h"
#include "host/zarvkernel/sys_config.h"
#include "host/zarvkernel/zarv_time.h"
#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_pool.h"
#include "host/zarvlib/zarv_var.h"
#include "zarvqen_export.h"

class CZARVConfigDB;
class CZARVMetaPropTbl;

class ZARVQEN_API CZARVQENDbEngine : public CZARVObj {
public:
    // Property numbers with a fixed meaning to the engine.
    static constexpr unsigned short kRefProp =
        CZARVMPInfo::kReferenceProp;                     // reference name of another point
    static constexpr unsigned short kIOAddrProp1 = 401;  // first text of the IO address
    static constexpr unsigned short kIOAddrProp2 = 402;  // second text of the IO address
    static constexpr unsigned short kHwIdProp = 106;     // hardware identifier, on kHwInfoGMPID
    static constexpr unsigned long kHwInfoGMPID = 0x0000F000;
    // The RIDs whose databases of types 1 to 3 keep an IO index.
    static constexpr unsigned char kIOIndexRidFirst = 192;
    static constexpr unsigned char kIOIndexRidLast = 254;
    static constexpr int kIOIndexTypeFirst = 1;
    static constexpr int kIOIndexTypeLast = 3;
    // True when a database of `rid` and `type` indexes its points' IO
    // addresses.
    static constexpr bool KeepsIOIndex(unsigned char rid, int type) {
        return rid >= kIOIndexRidFirst && rid <= kIOIndexRidLast && type >= kIOIndexTypeFirst &&
               type <= kIOIndexTypeLast;
    }

    // Sets the kernel's data-format version m_gZARVVer to GetVer(ver).
    explicit CZARVQENDbEngine(const char* ver = "1.0.0");
    // Releases every live-value and configuration database (and with them
    // every record), then destroys the IO indexes.
    ~CZARVQENDbEngine() override;

    // True when the major number of `ver` is at most m_gZARVVer.
    bool IsValid(const char* ver) const;
    bool IsModified() const { return m_bModified; }
    // The only way the modified flag changes.
    void SetModify(bool modified) { m_bModified = modified; }
    CZARVMetaPropTbl* GetMetaProps() const { return m_pMetaProps; }
    // Stores the pointer; no reference is taken and it is never freed.
    void SetMetaProps(CZARVMetaPropTbl* props) { m_pMetaProps = props; }
    // Kept for callers of older engines; does nothing.
    void ResetDB();

    // --- configuration databases ---
    // True when the database exists afterwards; an existing one keeps its type.
    bool CreateConfigDB(unsigned char rid, int type);
    // Removes the database with its records, then the live values and the IO
    // index of the RID (also when there was no database).
    void DeleteConfigDB(unsigned char rid);
    // The type given at creation (or the last load), -1 when there is none.
    int GetConfigDBType(unsigned char rid) const;

    // --- records ---
    // Indexes the IO address, then links the point (association or live
    // value), then stores the record; the first failing step ends with false
    // and the steps before it stay done, except the IO index entry, which is
    // withdrawn again.
    bool InsertMPInfo(CZARVMPInfo* info);
    // The same insert, telling `reporter` (may be null, not owned) why it
    // refuses the record, as a load reports a record it drops (no offset).
    bool InsertMPInfo(CZARVMPInfo* info, CZARVLoadReporter* reporter);
    // Inserts each element in order; returns how many were stored.
    int InsertMPInfo(CZARVDataSet<CZARVMPInfo>& set);
    // Borrowed; null when the database or the record is missing.
    CZARVMPInfo* GetMPInfo(unsigned long gmpid) const;
    // Append the records of one block of a group (a block above 15 selects
    // nothing), respectively of a group, in ascending GMPID order; return the
    // number of elements `out` then holds, or -1 when there is no database.
    int ListMPInfo(unsigned char rid, unsigned char group, unsigned char block,
                   CZARVDataSet<CZARVMPInfo>& out) const;
    int ListMPInfo(unsigned char rid, unsigned char group, CZARVDataSet<CZARVMPInfo>& out) const;
    // Remove the records of a block, a group or one GMPID with the
    // association entries keyed by them, and their live values. The block
    // and group forms remove the live values even without a configuration
    // database; the GMPID form does nothing without one.
    void DeleteMPInfo(unsigned char rid, unsigned char group, unsigned char block);
    void DeleteMPInfo(unsigned char rid, unsigned char group);
    void DeleteMPInfo(unsigned long gmpid);
    // Copies property `id` of the record into `out`; true when it is present.
    // A missing database or record gives false with `out` untouched.
    bool GetProperty(unsigned long gmpid, unsigned short id, _zarvVAR& out) const;
    // The property, or an empty variant.
    _zarvVAR GetProperty(unsigned long gmpid, unsigned short id) const;

    // --- files ---
    // The version text `ver` has no effect on what is written or read: the
    // file has one format. It is kept for the callers of older engines.
    // Writes the database of `rid` to "<dir>/rs<rid>.dat" (trailing "/" of
    // `dir` removed), respectively to `path`. Atomic: on false the old file
    // is unchanged. False also for a database the format cannot carry whole
    // (more than 127 groups, more than 32767 records in a group, a property
    // code equal to the end mark).
    bool SaveToFile(unsigned char rid, const char* dir, const char* ver);
    bool SaveToTemplate(unsigned char rid, const char* path, const char* ver);
    // Creates the database of `rid` when needed (it stays registered if the
    // load fails), checks the whole file and only then replaces the records
    // and the type. False, with the database unchanged, for a missing,
    // foreign (other RID), corrupt or truncated file.
    bool LoadFromFile(unsigned char rid, const char* path, const char* ver, int type);
    // The same load, telling `reporter` (may be null, not owned) why the
    // file is refused and which records and properties the load passes over
    // and why, each with its byte offset. The result and the engine's
    // content are exactly those of the load without a reporter.
    bool LoadFromFile(unsigned char rid, const char* path, const char* ver, int type,
                      CZARVLoadReporter* reporter);

    // --- lookups by IO address; `key` is "<401>$<402>" or only "<401>" ---
    // The key `info` is indexed under where its RID keeps an IO index: the
    // texts of properties 401 and 402 (each as a C string) joined by "$";
    // empty when either is missing or empty (the point is not indexed).
    static std::string IOAddressKey(const CZARVMPInfo& info);
    // Append the records indexed under `key` (all, respectively those of
    // `block`); return the number of leaves, respectively appended records;
    // -1 when the RID has no IO index or the key is not indexed.
    int ListMPInfoByIO(unsigned char rid, const char* key, CZARVDataSet<CZARVMPInfo>& out) const;
    int ListMPInfoByIO(unsigned char rid, unsigned char block, const char* key,
                       CZARVDataSet<CZARVMPInfo>& out) const;
    // Append the live values of the records indexed under `key`, passing over
    // points without one (reference points); return the number of leaves;
    // -1 without IO index, key or live-value database.
    int ListValueByIO(unsigned char rid, const char* key, CZARVDataSet<CZARVMPValue>& out) const;
    // Deletes every point indexed under `key` (as DeleteMPInfo(gmpid)) and
    // removes the key with its subtree from the index.
    void DeleteMPInfoByIO(unsigned char rid, const char* key);

    // --- identifiers and associations ---
    // The first RID in [from, to) without configuration database; -1 for
    // bad bounds (from >= to, from < 0, to >= 255) or a full range.
    int GetFreeRID(int from, int to) const;
    // The GMPIDs of one block without record. With a null `out`: their
    // number. Otherwise writes at most `count` of them, ascending, and
    // returns the number written. 0 without database.
    unsigned int GetFreeGMPID(unsigned char rid, unsigned char group, unsigned char block,
                              unsigned long* out, unsigned int count) const;
    // The points whose reference property names `gmpid`, in insertion
    // order. With a null `out`: their number; otherwise copies at most `max`
    // and returns the number copied.
    unsigned int GetAssGMPID(unsigned long gmpid, unsigned long* out, int max) const;

    // --- live values ---
    // Reads resolve references for GMPIDs with a non-zero block number:
    // RIDs 128..191 must name a point in property 499, RIDs 192..254 may.
    // False when resolution fails or the value is missing.
    bool ReadValue(unsigned long gmpid, _zarvVAR& value, CMPQuality& quality,
                   CZARVTime& time) const;
    bool ReadValueQos(unsigned long gmpid, CMPQuality& quality) const;
    bool ReadValueTime(unsigned long gmpid, CZARVTime& time) const;
    bool ReadSGValue(unsigned long gmpid, int index, _zarvVAR& value) const;
    // Reads the value as text and parses it into `data`; true whenever the
    // read succeeds, whether or not the text parses.
    bool ReadSGValue(unsigned long gmpid, CZARVGRPData& data, CMPQuality& quality,
                     CZARVTime& time) const;
    // Writes go to the GMPID given, never resolved. 0 / false without a
    // live-value database for its RID; otherwise the kernel's result.
    unsigned int WriteValue(unsigned long gmpid, const _zarvVAR& value, const CMPQuality& quality,
                            const CZARVTime& time);
    bool WriteSGValue(unsigned long gmpid, int index, const _zarvVAR& value);
    unsigned int WriteSGValue(unsigned long gmpid, const CZARVGRPData& data,
                              const CMPQuality& quality, const CZARVTime& time);
    // The kernel's listing; -1 without a live-value database for `rid`.
    int ListValue(unsigned char rid, unsigned char group, unsigned char block,
                  CZARVDataSet<CZARVMPValue>& out) const;
    int ListValue(unsigned char rid, unsigned char group, CZARVDataSet<CZARVMPValue>& out) const;
    // The hardware description named by property 106 of GMPID 0x0000F000;
    // borrowed (the configuration keeps it alive); null when absent.
    CZARVHwInfo* GetHwInfo(const CZARVSysConfig& config) const;

protected:
    // The major number of a version text ("1.0.0" gives 1); 0 for null, for
    // a text without "." and for a text that starts with no digit.
    int GetVer(const char* ver) const;
    // Links a new record: association for a reference point, else a live
    // value (creating the RID's live-value database on demand).
    bool OnAddMPInfo(const CZARVMPInfo& info);
    // Indexes the record's IO address in the IO index of the database's RID
    // when the RID and type call for it; true when there is nothing to index.
    // False when the address (or its first part) is already indexed.
    bool CreateIOIndex(CZARVMPInfo* info, CZARVConfigDB* db);

private:
    // What the configuration databases of this engine tell it: records that
    // loads add, records that leave.
    class DbLink final : public CZARVConfigDBOwner {
    public:
        explicit DbLink(CZARVQENDbEngine& engine) : m_engine(engine) {}
        const CZARVMetaPropTbl* GetLoadMetaProps() const override;
        void OnLoadStoring(CZARVConfigDB& db, size_t count) override;
        void OnLoadStored(CZARVConfigDB& db) override;
        bool AddLoadedRecord(CZARVConfigDB& db, CZARVMPInfo* info,
                             const CZARVLoadTrace* trace) override;
        void OnRecordLeaving(CZARVConfigDB& db, const CZARVMPInfo& info) override;

    private:
        CZARVQENDbEngine& m_engine;
    };

    CZARVConfigDB* GetConfigDB(unsigned char rid) const;
    void Clear();

    CZARVIODB* GetIODB(unsigned char rid) const;
    bool CreateIODB(unsigned char rid);
    void DeleteIODB(unsigned char rid);

    CZARVSubRtdb* GetSubRtdb(unsigned char rid) const;
    bool CreateSubRtdb(unsigned char rid);
    void DeleteSubRtdb(unsigned char rid);

    // The insert path shared by InsertMPInfo and loading: IO index, then
    // OnAddMPInfo, then the database; withdraws the index entry on failure.
    // A refusal is reported to `trace` (may be null).
    bool AddRecord(CZARVMPInfo* info, CZARVConfigDB* db, const CZARVLoadTrace* trace = nullptr);
    // Why AddRecord refused `info` at `step`, told to `trace`.
    enum class Refusal { kIOIndex, kLiveValue, kGMPID };
    void ReportRefusal(const CZARVLoadTrace& trace, const CZARVMPInfo& info,
                       const CZARVConfigDB& db, Refusal step) const;
    // CreateIOIndex, reporting the key it indexed (empty when none).
    bool IndexIOAddress(CZARVMPInfo* info, CZARVConfigDB* db, std::string& key);
    // Removes the index entry of `key` in the IO index of `rid` if, and only
    // if, it still points at `info`, and forgets the key of `info` if it is
    // that one.
    void WithdrawIOKey(unsigned char rid, const std::string& key, const CZARVMPInfo* info);
    // The same for an entry named by its hash path (CZARVIODB::TwoPartPath).
    void WithdrawIOPath(unsigned char rid, uint64_t path, const CZARVMPInfo* info);
    // Erases `node` if it is a leaf that points at `info`.
    static void RemoveLeafOf(CIndexNode* node, const CZARVMPInfo* info);
    // A record leaves its configuration database (its reference is dropped
    // right after): withdraws its IO index entry and erases the association
    // entries keyed by its GMPID.
    void OnRecordLeaving(const CZARVMPInfo* info);
    // A load is about to store `n` records (0: it has ended). The side
    // tables are sized for them when the load first needs each: the IO
    // tables at its first IO address, the live-value table at its first
    // live value, so that a file without either reserves nothing and no
    // live-value database appears before a value goes into it.
    void ExpectRecords(size_t n) { m_nIOReserve = m_nValueReserve = n; }
    // OnAddMPInfo, telling `stored` which live value the point is served
    // from afterwards (null for a reference point): the caller links the
    // record to it without looking it up again.
    bool AddPointLinks(const CZARVMPInfo& info, CZARVMPValue*& stored);
    // Erases the association entries keyed by GMPIDs in [lo, hi].
    void EraseAssociations(uint32_t lo, uint32_t hi);
    // The live value a read of `gmpid` is served from (references
    // resolved); null when there is none or a required reference cannot be
    // resolved.
    const CZARVMPValue* ReadSource(unsigned long gmpid) const;
    // Links a stored record to its point's live value, if it has one, so
    // that reads learn from the value alone whether the record names another
    // point.
    void LinkLiveValue(const CZARVMPInfo& info) const;

    // Declared before the registries, so that it outlives every database
    // they release.
    DbLink m_dbLink{*this};
    // The registries, one owning handle per RID (ascending RID is array
    // order): the engine's reference on each live-value and configuration
    // database, and the only owner of each IO database.
    std::array<CZARVPtr<CZARVSubRtdb>, 256> m_subRtdbs;
    std::array<CZARVPtr<CZARVConfigDB>, 256> m_configDBs;
    std::array<std::unique_ptr<CZARVIODB>, 256> m_ioDBs;
    // Referenced GMPID -> referencing GMPID; equal keys in insertion order.
    std::multimap<uint32_t, uint32_t> m_mapAssGMPID;
    bool m_bModified = false;
    CZARVMetaPropTbl* m_pMetaProps = nullptr;
    // The IO key each stored record is indexed under, so that the entry can
    // be withdrawn when the record leaves even if its properties changed. A
    // key of two parts, which nearly every IO address is, is kept as its
    // hash path (eight bytes, and it finds the node without hashing the
    // text again); any other key as its text.
    template <class V>
    using PerRecord =
        std::unordered_map<const CZARVMPInfo*, V, std::hash<const CZARVMPInfo*>, std::equal_to<>,
                           CZARVPoolAllocator<std::pair<const CZARVMPInfo* const, V>>>;
    PerRecord<uint64_t> m_mapIOPaths;
    PerRecord<std::string> m_mapIOKeys;
    // Records of the running load not yet reserved for (ExpectRecords).
    size_t m_nIOReserve = 0;
    size_t m_nValueReserve = 0;
};

#endif  // ENGINE_DB_ENGINE_H_
