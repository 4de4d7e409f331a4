// Feeds arbitrary text to the XML document parser.
//
// Invariants: a text that does not parse leaves an empty document; a
// document that parses prints to a text that parses again, and printing
// that gives the same text up to the whitespace between tags (whitespace
// beside child elements is layout, not data); from then on printing and
// parsing is a fixed point.
#include <string>

#include "fuzz/fuzz_file.h"
#include "host/zarvlib/markup.h"

namespace {

// Drops every whitespace run that lies between a '>' and a '<'.
std::string WithoutLayout(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if ((c == ' ' || c == '\t' || c == '\r' || c == '\n') && !out.empty() &&
            out.back() == '>') {
            size_t end = text.find_first_not_of(" \t\r\n", i);
            if (end != std::string::npos && text[end] == '<') {
                i = end - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string Reprinted(const std::string& text) {
    CMarkup doc;
    FUZZ_CHECK(doc.SetDoc(text.data(), text.size()));
    return doc.GetDoc();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMarkup doc;
    if (!doc.SetDoc(reinterpret_cast<const char*>(data), size)) {
        FUZZ_CHECK(!doc.FindElem());
        FUZZ_CHECK(!doc.IsWellFormed());
        return 0;
    }
    std::string printed = doc.GetDoc();
    std::string again = Reprinted(printed);
    FUZZ_CHECK(WithoutLayout(again) == WithoutLayout(printed));
    FUZZ_CHECK(Reprinted(again) == again);
    // Walk everything the navigation reaches.
    doc.ResetPos();
    int steps = 0;
    while (doc.FindElem() && steps++ < 1000) {
        (void)doc.GetTagName();
        (void)doc.GetData();
        while (doc.FindChildElem() && steps++ < 1000) (void)doc.GetChildData();
        if (!doc.IntoElem()) break;
    }
    return 0;
}
