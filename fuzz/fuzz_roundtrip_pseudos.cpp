// Round trip of the pseudo definition file: definitions built from the
// input (any IDs and meta numbers, values of every kind) are saved, loaded
// into a new collection and compared value by value. A text value holding
// a NUL byte cannot be written: the save must then refuse and leave the old
// file whole.
#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;

// `reloaded`: as the file brings the collection back. A value whose kind
// has no text rule (empty, 64-bit) is written with its own code and passed
// over on loading.
Lines Describe(CZARVPseudos& pseudos, bool reloaded) {
    Lines lines;
    CZARVPseudos::iterator it = pseudos.GetFirst();
    while (const CZARVPseudo* pseudo = pseudos.GetNext(it)) {
        lines.push_back("pseudo " + std::to_string(pseudo->GetID()));
        std::vector<unsigned short> meta_nos;
        pseudo->GetPSDPropVector(meta_nos);
        for (unsigned short meta_no : meta_nos) {
            _zarvVAR value = pseudo->PSDProp(meta_no);
            if (reloaded) {
                value = fuzzrt::ReadBack(value);
                if (value.IsEmpty()) continue;
            }
            lines.push_back("  " + std::to_string(meta_no) + " = " + fuzzrt::Show(value));
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto pseudos = CZARVPtr<CZARVPseudos>::Adopt(new CZARVPseudos);
    bool carries = true;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        auto pseudo =
            CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(in.ConsumeIntegral<unsigned short>()));
        bool pseudo_carries = true;
        for (int v = in.ConsumeIntegralInRange(0, 8); v > 0; --v) {
            auto meta_no = in.ConsumeIntegral<unsigned short>();
            _zarvVAR value = fuzzrt::Var(in);
            if (in.ConsumeIntegralInRange(0, 7) == 0) pseudo->ClearPSDProp(meta_no);
            pseudo->InsertPSDProp(meta_no, value);
        }
        std::vector<unsigned short> meta_nos;
        pseudo->GetPSDPropVector(meta_nos);
        for (unsigned short meta_no : meta_nos)
            if (fuzzrt::HasNul(fuzzrt::TextOf(pseudo->PSDProp(meta_no)))) pseudo_carries = false;
        if (pseudos->InsertPseudo(pseudo.get())) carries = carries && pseudo_carries;
    }
    fuzzrt::Declaration decl(in);
    // An empty collection is a file with the declaration only, which loads
    // as an empty collection.
    fuzzrt::CheckRoundTrip(*pseudos, decl, carries, true, Describe(*pseudos, true),
                           [](CZARVPseudos& loaded) { return Describe(loaded, false); });
    return 0;
}
