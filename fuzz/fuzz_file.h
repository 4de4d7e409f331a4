// Helpers shared by the fuzz targets: the loaders read files, so every
// input is written to a private file first.
#ifndef FUZZ_FUZZ_FILE_H_
#define FUZZ_FUZZ_FILE_H_

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "host/zarvlib/file_ops.h"

// Saves go through the normal atomic path, but without waiting for the disk:
// durability is not what a fuzz run checks, and syncing every input would
// slow it down a hundredfold.
class FuzzFileOps : public CZARVFileOps {
public:
    FuzzFileOps() { CZARVFileOps::Install(this); }
    ~FuzzFileOps() override { CZARVFileOps::Install(nullptr); }
    bool Sync(int) override { return true; }
    bool SyncDir(const std::string&) override { return true; }
};
inline FuzzFileOps g_fuzz_file_ops;

// A file in the temporary folder named after the process and a tag,
// removed when the object goes.
class FuzzFile {
public:
    FuzzFile(const char* tag, const void* data, size_t size) {
        const char* base = std::getenv("TMPDIR");
        m_path = std::string(base && *base ? base : "/tmp") + "/zarvfuzz-" +
                 std::to_string(getpid()) + "-" + tag;
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    explicit FuzzFile(const char* tag) : FuzzFile(tag, "", 0) { std::remove(m_path.c_str()); }
    ~FuzzFile() { std::remove(m_path.c_str()); }
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    const char* path() const { return m_path.c_str(); }
    std::string Bytes() const {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};

// Ends the run with a finding when an invariant does not hold.
#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

#endif  // FUZZ_FUZZ_FILE_H_
