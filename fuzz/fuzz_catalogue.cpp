// Feeds arbitrary text to one catalogue's loader; ZARV_FUZZ_CATALOGUE names
// the class (each build of this file is one target).
//
// Invariants:
// - a load that fails keeps what the catalogue had (it holds a small
//   baseline content before every input);
// - a catalogue that loaded saves; the saved file loads again and saves to
//   the same bytes, or, where the first round lost what the format cannot
//   carry back, a second round changes nothing more. The one saved file a
//   catalogue may refuse to load is that of an empty catalogue;
// - a load told to a reporter answers and keeps exactly what the same load
//   without one does, and every finding says something.
#include <zarvqencore.h>

#include <string>
#include <type_traits>

#include "fuzz/fuzz_file.h"

namespace {

using Catalogue = ZARV_FUZZ_CATALOGUE;

// A small file of each kind that every catalogue holds before an input.
template <class C>
const char* BaselineText() {
    if constexpr (std::is_same_v<C, CZARVMetaPropTbl>) {
        return "<?xml version=\"1.0\"?><meta>"
               "<prop par=\"p\" desc=\"d\" valid=\"2\">401,io1,5,1.5,1</prop></meta>";
    } else if constexpr (std::is_same_v<C, CZARVMetaTable>) {
        return "<?xml version=\"1.0\"?><metatbl><points>"
               "<prop par=\"\" desc=\"\">f1,3,7,0</prop></points></metatbl>";
    } else if constexpr (std::is_same_v<C, CZARVTypedObjTbl>) {
        return "<?xml version=\"1.0\"?><typeobj><prop desc=\"t\">7,1|2|401</prop></typeobj>";
    } else if constexpr (std::is_same_v<C, CZARVDrvLib>) {
        return "<?xml version=\"1.0\"?><driverlib>"
               "<metasrv name=\"s\" module=\"m\" io=\"1\" ver=\"1\" desc=\"d\" pseudosrv=\"p\">"
               "<par><prop par=\"\" desc=\"\">930,par,3,3,1</prop></par></metasrv></driverlib>";
    } else {
        static_assert(std::is_same_v<C, CZARVPseudos>, "a catalogue without baseline");
        return "<?xml version=\"1.0\"?><pseudos><pseudo id=\"3\">"
               "<dat mtno=\"10\" vt=\"6\" val=\"2.25\" /></pseudo></pseudos>";
    }
}

std::string Saved(Catalogue& catalogue, const FuzzFile& file) {
    FUZZ_CHECK(catalogue.SaveToFile(file.path(), "1.0", "UTF-8"));
    return file.Bytes();
}

// What the baseline and an empty catalogue save to; computed once.
struct Reference {
    std::string baseline;
    std::string empty;
    Reference() {
        const char* baseline_text = BaselineText<Catalogue>();
        FuzzFile text("cat-ref-in", baseline_text, std::char_traits<char>::length(baseline_text));
        FuzzFile out("cat-ref-out");
        auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
        empty = Saved(*catalogue, out);
        FUZZ_CHECK(catalogue->LoadFromFile(text.path()));
        baseline = Saved(*catalogue, out);
        FUZZ_CHECK(baseline != empty);
    }
};

// Loads the file `from` into a new catalogue and saves that to `to`; false
// when the file does not load, which only the empty catalogue's file may do.
bool Reload(const Reference& reference, const FuzzFile& from, const FuzzFile& to,
            std::string& saved) {
    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    if (!catalogue->LoadFromFile(from.path())) {
        FUZZ_CHECK(from.Bytes() == reference.empty);
        return false;
    }
    saved = Saved(*catalogue, to);
    return true;
}

// Counts what a load tells.
class CountingReporter : public CZARVLoadReporter {
public:
    void Report(Severity, const Where&, const std::string& what) override {
        FUZZ_CHECK(!what.empty());
        ++told;
    }
    size_t told = 0;
};

// Loads `in` over the baseline with a reporter; the answer must be `loaded`
// and the content saved must be `expected`.
void ExpectSameLoadWithReporter(const FuzzFile& base, const FuzzFile& in, bool loaded,
                                const std::string& expected) {
    FuzzFile out("cat-told");
    CountingReporter reporter;
    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    FUZZ_CHECK(catalogue->LoadFromFile(base.path()));
    FUZZ_CHECK(catalogue->LoadFromFile(in.path(), &reporter) == loaded);
    FUZZ_CHECK(Saved(*catalogue, out) == expected);
    // A refused file is always told why.
    FUZZ_CHECK(loaded || reporter.told > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Reference reference;
    FuzzFile in("cat-in", data, size);
    FuzzFile base("cat-base", reference.baseline.data(), reference.baseline.size());
    FuzzFile first("cat-first");
    FuzzFile second("cat-second");
    FuzzFile third("cat-third");

    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    FUZZ_CHECK(catalogue->LoadFromFile(base.path()));
    if (!catalogue->LoadFromFile(in.path())) {
        FUZZ_CHECK(Saved(*catalogue, first) == reference.baseline);
        ExpectSameLoadWithReporter(base, in, false, reference.baseline);
        return 0;
    }
    std::string saved_first = Saved(*catalogue, first);
    ExpectSameLoadWithReporter(base, in, true, saved_first);
    catalogue.reset();

    std::string saved_second, saved_third;
    if (!Reload(reference, first, second, saved_second)) return 0;
    if (saved_second == saved_first) return 0;
    // The first round may lose what the format cannot carry back (a number
    // beyond 32 bits is clamped, a name with a comma drops its entry); what
    // is left must then be stable.
    if (!Reload(reference, second, third, saved_third)) return 0;
    FUZZ_CHECK(saved_third == saved_second);
    return 0;
}
