// Feeds arbitrary bytes to the configuration database loader. Built twice:
// as is (most inputs stop at the checksum) and with ZARV_FUZZ_APPEND_CRC,
// which appends a valid checksum so that inputs reach the decoder.
//
// Invariants: a load that fails keeps the records the database had; a file
// that loads saves to a file that loads again and saves to exactly the same
// bytes.
#include <zlib.h>

#include <string>

#include "engine/db_engine.h"
#include "fuzz/fuzz_file.h"

namespace {

#ifdef ZARV_FUZZ_APPEND_CRC
std::string WithCrc(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    uint32_t crc = static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(size)));
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
    return bytes;
}
#endif

// One record with a name and an IO address, so that a failed load has
// something to keep and a good one has an index entry to replace.
void InsertBaseline(CZARVQENDbEngine& engine, unsigned char rid, int type) {
    FUZZ_CHECK(engine.CreateConfigDB(rid, type));
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(
        new CZARVMPInfo((static_cast<unsigned long>(rid) << 24) | 0x00010001));
    _zarvVAR v;
    v = "baseline";
    info->InsertMPProp(1, v, 0);
    v = "COM9";
    info->InsertMPProp(CZARVQENDbEngine::kIOAddrProp1, v, 1);
    v = "1";
    info->InsertMPProp(CZARVQENDbEngine::kIOAddrProp2, v, 1);
    FUZZ_CHECK(engine.InsertMPInfo(info.get()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef ZARV_FUZZ_APPEND_CRC
    std::string bytes = WithCrc(data, size);
#else
    std::string bytes(reinterpret_cast<const char*>(data), size);
#endif
    // Load into the RID the header names, so inputs get past the RID check;
    // the input's length picks one of the database types.
    unsigned char rid = bytes.size() > 2 ? static_cast<unsigned char>(bytes[2]) : 200;
    int type = static_cast<int>(size % 4);
    FuzzFile in("db-in", bytes.data(), bytes.size());
    FuzzFile first("db-first");
    FuzzFile second("db-second");
    {
        CZARVQENDbEngine engine("3.0");
        InsertBaseline(engine, rid, type);
        FUZZ_CHECK(engine.SaveToTemplate(rid, first.path(), "3.0"));
        std::string before = first.Bytes();
        if (!engine.LoadFromFile(rid, in.path(), "3.0", type)) {
            FUZZ_CHECK(engine.GetConfigDBType(rid) == type);
            FUZZ_CHECK(engine.SaveToTemplate(rid, first.path(), "3.0"));
            FUZZ_CHECK(first.Bytes() == before);
            return 0;
        }
        FUZZ_CHECK(engine.SaveToTemplate(rid, first.path(), "3.0"));
    }
    {
        CZARVQENDbEngine engine("3.0");
        FUZZ_CHECK(engine.LoadFromFile(rid, first.path(), "3.0", type));
        FUZZ_CHECK(engine.SaveToTemplate(rid, second.path(), "3.0"));
    }
    FUZZ_CHECK(first.Bytes() == second.Bytes());
    return 0;
}
