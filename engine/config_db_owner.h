// CZARVConfigDBOwner: what a configuration database tells whoever owns it.
//
// The database is a store and includes nothing of its owner; the owner (the
// engine) implements this interface and keeps the side structures of the
// records (IO index, associations, live values). Two things pass: a record a
// load wants to add, which the owner links and stores or refuses, and a
// record that leaves the database.
#ifndef ENGINE_CONFIG_DB_OWNER_H_
#define ENGINE_CONFIG_DB_OWNER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class CZARVConfigDB;
class CZARVLoadReporter;
class CZARVMetaPropTbl;
class CZARVMPInfo;

// Beside each record a load offers, when the load's caller passed a
// reporter: where the record sits in the file and where the records this
// load has stored so far sit, so that a refusal can name both.
struct CZARVLoadTrace {
    CZARVLoadReporter* reporter = nullptr;           // not null
    long long offset = -1;                           // of the record offered
    std::unordered_map<uint32_t, long long> stored;  // GMPID -> offset

    // " (offset N)" of the stored record of `gmpid`; empty when none.
    std::string StoredAt(uint32_t gmpid) const {
        auto it = stored.find(gmpid);
        return it == stored.end() ? std::string() : " (offset " + std::to_string(it->second) + ")";
    }
};

// The owner outlives the database's use of it; the database never owns or
// releases it.
class CZARVConfigDBOwner {
public:
    // The meta property table a load decodes stored property codes with
    // (borrowed, may be null).
    virtual const CZARVMetaPropTbl* GetLoadMetaProps() const = 0;
    // A load of `db` has cleared the database and is about to offer it
    // `count` records.
    virtual void OnLoadStoring(CZARVConfigDB& db, size_t count) = 0;
    // That load has offered every record, or given up on the way.
    virtual void OnLoadStored(CZARVConfigDB& db) = 0;
    // A record a load of `db` wants to add. The owner links it into its side
    // structures and stores it with db.InsertMPInfo, or refuses it (false):
    // a refused record is not stored and the load goes on. The load keeps
    // its own reference on `info` in both cases. `trace` (null when nobody
    // asked) is where the owner reports why it refuses; it decides nothing.
    virtual bool AddLoadedRecord(CZARVConfigDB& db, CZARVMPInfo* info,
                                 const CZARVLoadTrace* trace) = 0;
    // A record leaves `db` (a delete, a reload, the database's end); the
    // database still holds its reference and drops it right after.
    virtual void OnRecordLeaving(CZARVConfigDB& db, const CZARVMPInfo& info) = 0;

protected:
    ~CZARVConfigDBOwner() = default;
};

#endif  // ENGINE_CONFIG_DB_OWNER_H_
