// Feeds arbitrary text to one catalogue's loader; ZARV_FUZZ_CATALOGUE names
// the class (each build of this file is one target).
//
// Invariant: a file that loads saves to a file that loads again and saves
// to exactly the same bytes, and a failed load keeps what the catalogue had.
#include <zarvqencore.h>

#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile in("cat-in", data, size);
    FuzzFile first("cat-first");
    FuzzFile second("cat-second");
    auto* catalogue = new ZARV_FUZZ_CATALOGUE;
    if (!catalogue->LoadFromFile(in.path())) {
        catalogue->Release();
        return 0;
    }
    FUZZ_CHECK(catalogue->SaveToFile(first.path(), "1.0", "UTF-8"));
    catalogue->Release();

    catalogue = new ZARV_FUZZ_CATALOGUE;
    FUZZ_CHECK(catalogue->LoadFromFile(first.path()));
    FUZZ_CHECK(catalogue->SaveToFile(second.path(), "1.0", "UTF-8"));
    std::string saved = second.Bytes();
    // A failed load leaves the content alone: saving again gives the same.
    FUZZ_CHECK(!catalogue->LoadFromFile("/nonexistent/zarvfuzz.xml"));
    FUZZ_CHECK(catalogue->SaveToFile(second.path(), "1.0", "UTF-8"));
    FUZZ_CHECK(second.Bytes() == saved);
    catalogue->Release();
    FUZZ_CHECK(first.Bytes() == saved);
    return 0;
}
