// CZARVDbFileReader: decodes the content of a configuration database file
// into new records, checking every count, variant and end mark against the
// bytes the file holds before anything is built from them.
//
// The reader changes no database: a caller gets the records only when the
// whole content holds together, and stores them afterwards. On failure
// Offset() and Reason() tell where and why; a reporter, when given, is told
// the same, and of every property the records pass over.
#ifndef ENGINE_DB_FILE_READER_H_
#define ENGINE_DB_FILE_READER_H_

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_file.h"
#include "host/zarvlib/zarv_obj.h"

class CZARVLoadReporter;
class CZARVMetaPropTbl;

// A record as the file holds it: the new record and the byte offset of its
// low GMPID, so that whoever refuses it later can say where it sits.
struct CZARVReadRecord {
    CZARVPtr<CZARVMPInfo> info;
    long long offset = 0;
};

class CZARVDbFileReader {
public:
    // `meta` (may be null, not owned) turns stored property codes back into
    // meta numbers and valid types. `reporter` (may be null, not owned) is
    // told why a read fails and what the records pass over; both outlive
    // the reader.
    explicit CZARVDbFileReader(const CZARVMetaPropTbl* meta, CZARVLoadReporter* reporter = nullptr)
        : m_pMeta(meta), m_pReporter(reporter) {}

    // Reads from the start of `file` (opened for reading, checksum verified
    // so that reads stop before the trailer). True when the header carries
    // `rid` and the content runs exactly to the checksum; `out` then holds
    // one new record per stored record, in file order, each holding the
    // reference `out` owns. On false `out` is left empty.
    bool Read(CZARVFile& file, unsigned char rid, std::vector<CZARVReadRecord>& out);

    // "point 0xC8010005", the way reports name a record.
    static std::string PointText(uint32_t gmpid);

    // The property number and valid type a stored code stands for: the
    // code's own, unless `meta` (may be null) knows the number; then the
    // table's ID, and its valid type where a record can hold it (0 to 3).
    static void DecodeCode(const CZARVMetaPropTbl* meta, uint16_t code, unsigned short& number,
                           int& validType);

    size_t Offset() const { return m_nOffset; }
    const char* Reason() const { return m_reason.c_str(); }

private:
    bool ReadRecord(CZARVFile& file, uint32_t gmpid, long long offset,
                    std::vector<CZARVReadRecord>& out);
    bool Fail(const CZARVFile& file, std::string reason);
    // With a reporter only: what the table does to a stored code, as notes.
    void NoteDecoding(long long offset, uint32_t gmpid, uint16_t code);
    void ReportPassedOver(long long offset, uint32_t gmpid, unsigned short number,
                          const _zarvVAR& value, const CZARVMPInfo& info);

    // One decoded property waiting for its record's end mark, so that the
    // record is sized once and takes the values over without copies.
    struct Pending {
        unsigned short number;
        int validType;
        _zarvVAR value;
        long long offset;  // of its code
    };

    const CZARVMetaPropTbl* m_pMeta;
    CZARVLoadReporter* m_pReporter;
    std::vector<Pending> m_pending;  // reused from record to record
    // Stored numbers the table does not know, noted once per read.
    std::set<unsigned short> m_unknown;
    size_t m_nOffset = 0;
    std::string m_reason;
};

#endif  // ENGINE_DB_FILE_READER_H_
