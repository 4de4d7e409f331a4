// Feeds arbitrary text to the group-data parser.
//
// Invariant: a text that parses prints to a text that parses to the same
// values, and a text that does not parse leaves the data as it was.
#include <string>

#include "fuzz/fuzz_file.h"
#include "host/zarvkernel/grp_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    CZARVGRPData group;
    _zarvVAR seed;
    seed = 42L;
    group.Add(seed);
    _zarv_str before;
    group.ToStream(before);
    if (!group.FromStream(text.c_str())) {
        _zarv_str after;
        group.ToStream(after);
        FUZZ_CHECK(after == before);
        return 0;
    }
    _zarv_str printed;
    group.ToStream(printed);
    CZARVGRPData again;
    FUZZ_CHECK(again.FromStream(printed));
    _zarv_str reprinted;
    again.ToStream(reprinted);
    FUZZ_CHECK(reprinted == printed);
    return 0;
}
