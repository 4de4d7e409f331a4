// Round trip of the meta property table file: a table built from the input
// (any IDs, names, parameters, descriptions, input and valid types, values
// of every kind) is saved, loaded into a new table and compared record by
// record. A value text holding a NUL byte cannot be written: the save must
// then refuse and leave the old file whole.
#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;

Lines Describe(CZARVMetaPropTbl& table, bool reloaded) {
    Lines lines;
    CZARVMetaPropTbl::iterator it = table.GetFirst();
    while (const CZARVMetaProp* prop = table.GetNext(it))
        if (!reloaded || fuzzrt::PropElemReadsBack(*prop))
            lines.push_back(fuzzrt::PropLine(*prop, reloaded));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto table = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    bool carries = true;
    for (int n = in.ConsumeIntegralInRange(0, 12); n > 0; --n) {
        CZARVPtr<CZARVMetaProp> prop = fuzzrt::Prop(in, in.ConsumeIntegral<unsigned short>());
        if (table->InsertMetaProp(prop.get())) carries = carries && fuzzrt::PropCarried(*prop);
    }
    fuzzrt::Declaration decl(in);
    // A table without records is a file with the declaration only, which
    // loads as an empty table.
    fuzzrt::CheckRoundTrip(*table, decl, carries, true, Describe(*table, true),
                           [](CZARVMetaPropTbl& loaded) { return Describe(loaded, false); });
    return 0;
}
