// Helpers shared by the catalogue tests (catalogue, meta, driver library and
// pseudo folders), and the behaviour every ID-ordered catalogue shares,
// checked once per catalogue.
#ifndef TESTS_CATALOGUE_CATALOGUE_TEST_UTIL_H_
#define TESTS_CATALOGUE_CATALOGUE_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"
#include "support/temp_dir.h"

using IdList = std::vector<unsigned long>;

// The IDs of an ID-ordered catalogue in the order its walk gives them; the
// walk must stay at its end.
template <class Catalogue>
IdList WalkIds(Catalogue& catalogue) {
    IdList ids;
    auto it = catalogue.GetFirst();
    while (auto* item = catalogue.GetNext(it)) ids.push_back(item->GetID());
    EXPECT_EQ(catalogue.GetNext(it), nullptr);
    return ids;
}

// Writes `body` behind an XML declaration into a file of `dir`; returns its path.
inline std::string WriteXml(const TempDir& dir, const std::string& body,
                            const std::string& name = "in.xml") {
    std::string path = dir.File(name);
    WriteAll(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
    return path;
}

// One value of each kind a catalogue file can carry back (codes 0 to 7),
// each at an awkward point of its range; the text kind holds `text`.
inline std::vector<_zarvVAR> EveryValueKind(const char* text) {
    std::vector<_zarvVAR> v(8);
    v[0] = true, v[1] = static_cast<short>(-32768), v[2] = static_cast<unsigned short>(65535);
    v[3] = -2147483647L - 1, v[4] = 2147483647UL, v[5] = 0.1f, v[6] = 1.0 / 3.0, v[7] = text;
    return v;
}

// A text value holding a NUL byte, which no XML file can carry.
inline _zarvVAR TextWithNul() {
    _zarvVAR v;
    v.SetText("a\0b", 3);
    return v;
}

// Saves `catalogue` over a file of `dir` holding other bytes: the save must
// be refused and leave those bytes as they were.
template <class Catalogue>
void ExpectSaveRefusedKeepingTheOldFile(const TempDir& dir, Catalogue& catalogue) {
    const std::string path = dir.File("old.xml"), old = "<?xml version=\"1.0\"?><old/>";
    WriteAll(path, old);
    EXPECT_FALSE(catalogue.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(ReadAll(path), old);
}

// Bytes that XML must escape, quotes of both kinds and non-ASCII UTF-8.
constexpr const char* kHostileText = "q\"a&l<g>'\xC3\xA9\xE6\x97\xA5";

#endif  // TESTS_CATALOGUE_CATALOGUE_TEST_UTIL_H_
