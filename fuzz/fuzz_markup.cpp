// Feeds arbitrary text to the XML document parser.
//
// Invariant: a document that parses prints to a text that parses to the
// same printed text.
#include "fuzz/fuzz_file.h"
#include "host/zarvlib/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMarkup doc;
    if (!doc.SetDoc(reinterpret_cast<const char*>(data), size)) {
        FUZZ_CHECK(!doc.FindElem());
        return 0;
    }
    std::string printed = doc.GetDoc();
    CMarkup again;
    FUZZ_CHECK(again.SetDoc(printed.data(), printed.size()));
    FUZZ_CHECK(again.GetDoc() == printed);
    // Walk everything the navigation reaches.
    doc.ResetPos();
    int steps = 0;
    while (doc.FindElem() && steps++ < 1000) {
        while (doc.FindChildElem() && steps++ < 1000) (void)doc.GetChildData();
        if (!doc.IntoElem()) break;
    }
    return 0;
}
