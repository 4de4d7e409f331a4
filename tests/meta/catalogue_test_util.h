// Helpers shared by the catalogue tests (meta and pseudo folders), and the
// behaviour every ID-ordered catalogue shares, checked once per catalogue.
#ifndef TESTS_META_CATALOGUE_TEST_UTIL_H_
#define TESTS_META_CATALOGUE_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"
#include "support/temp_dir.h"

using IdList = std::vector<unsigned long>;

// The IDs of an ID-ordered catalogue in the order its walk gives them.
template <class Catalogue>
IdList WalkIds(Catalogue& catalogue) {
    IdList ids;
    auto it = catalogue.GetFirst();
    while (auto* item = catalogue.GetNext(it)) ids.push_back(item->GetID());
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
    std::vector<_zarvVAR> values(8);
    values[0] = true;
    values[1] = static_cast<short>(-32768);
    values[2] = static_cast<unsigned short>(65535);
    values[3] = -2147483647L - 1;
    values[4] = 2147483647UL;
    values[5] = 0.1f;
    values[6] = 1.0 / 3.0;
    values[7] = text;
    return values;
}

// Loads every proper prefix of the file at `path` into a fresh catalogue
// that holds a marker (put there by `add_marker`): each load either
// succeeds, replacing the marker, or fails and keeps it.
template <class Catalogue, class AddMarker, class HasMarker>
void ExpectEveryTruncationLoadsWholeOrNot(const TempDir& dir, const std::string& path,
                                          AddMarker add_marker, HasMarker has_marker) {
    const std::string whole = ReadAll(path);
    const std::string cut = dir.File("truncated.xml");
    for (size_t len = 0; len < whole.size(); ++len) {
        WriteAll(cut, whole.substr(0, len));
        Catalogue catalogue;
        add_marker(catalogue);
        bool loaded = catalogue.LoadFromFile(cut.c_str());
        EXPECT_NE(loaded, has_marker(catalogue)) << whole.substr(0, len);
    }
}

// Bytes that XML must escape, quotes of both kinds and non-ASCII UTF-8.
constexpr const char* kHostileText = "q\"a&l<g>'\xC3\xA9\xE6\x97\xA5";

// How a test reaches one ID-ordered catalogue: New(id) makes an entry
// holding the caller's reference; Insert, Get and Delete are the
// catalogue's own operations. Specialised beside each catalogue's tests.
template <class Catalogue>
struct IdCatalogue;

// Inserts take a reference and the first entry of an ID wins, deletes and
// the catalogue's end release, walks ascend and stay at their end.
template <class Catalogue>
void ExpectIdOrderedSet() {
    using Ops = IdCatalogue<Catalogue>;
    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    auto first = Ops::New(5), second = Ops::New(5);
    EXPECT_TRUE(Ops::Insert(*catalogue, first.get()));
    EXPECT_FALSE(Ops::Insert(*catalogue, second.get()));
    EXPECT_FALSE(Ops::Insert(*catalogue, first.get()));
    EXPECT_FALSE(Ops::Insert(*catalogue, nullptr));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(Ops::Get(*catalogue, 5), first.get());
    for (unsigned short id : {300, 1, 65535, 0})
        EXPECT_TRUE(Ops::Insert(*catalogue, Ops::New(id).get()));
    EXPECT_EQ(WalkIds(*catalogue), (IdList{0, 1, 5, 300, 65535}));
    auto it = catalogue->GetFirst();
    while (catalogue->GetNext(it)) {
    }
    EXPECT_EQ(catalogue->GetNext(it), nullptr);
    EXPECT_EQ(Ops::Get(*catalogue, 2), nullptr);
    EXPECT_FALSE(Ops::Delete(*catalogue, 2));
    EXPECT_TRUE(Ops::Delete(*catalogue, 5));
    EXPECT_FALSE(Ops::Delete(*catalogue, 5));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(Ops::Get(*catalogue, 5), nullptr);
    ASSERT_TRUE(Ops::Insert(*catalogue, first.get()));
    catalogue.reset();
    EXPECT_EQ(first->GetRefCount(), 1);
    Catalogue empty;
    auto none = empty.GetFirst();
    EXPECT_EQ(empty.GetNext(none), nullptr);
}

// A load either replaces the whole content or, failing, keeps all of it;
// an empty catalogue saves only the declaration; nothing touches the
// modified flag but SetModify.
template <class Catalogue>
void ExpectLoadsWholeOrNotAtAll(const TempDir& dir) {
    using Ops = IdCatalogue<Catalogue>;
    const std::string path = dir.File("saved.xml"), empty = dir.File("empty.xml"),
                      missing = dir.File("missing.xml"), scratch = dir.File("scratch.xml");
    Catalogue catalogue;
    ASSERT_TRUE(catalogue.SaveToFile(empty.c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(ReadAll(empty).find(Ops::kRoot), std::string::npos) << ReadAll(empty);
    for (unsigned short id : {1, 2}) ASSERT_TRUE(Ops::Insert(catalogue, Ops::New(id).get()));
    ASSERT_TRUE(catalogue.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    EXPECT_FALSE(catalogue.SaveToFile(dir.File("no/such/dir.xml").c_str(), "1.0", "UTF-8"));
    EXPECT_FALSE(catalogue.SaveToFile(nullptr, "1.0", "UTF-8"));
    const std::string unclosed =
        WriteXml(dir, std::string("<") + Ops::kRoot + "><prop>1,2</prop>", "unclosed.xml");
    for (bool flag : {false, true}) {
        SCOPED_TRACE(flag);
        catalogue.SetModify(flag);
        auto old = Ops::New(7);
        ASSERT_TRUE(Ops::Insert(catalogue, old.get()));
        for (const char* bad :
             {missing.c_str(), unclosed.c_str(), static_cast<const char*>(nullptr)})
            EXPECT_FALSE(catalogue.LoadFromFile(bad));
        EXPECT_EQ(WalkIds(catalogue), (IdList{1, 2, 7}));
        EXPECT_TRUE(catalogue.LoadFromFile(path.c_str()));
        EXPECT_EQ(WalkIds(catalogue), (IdList{1, 2}));
        EXPECT_EQ(old->GetRefCount(), 1);
        EXPECT_EQ(Ops::Get(catalogue, 1)->GetRefCount(), 1);  // loaded: the catalogue's alone
        EXPECT_TRUE(catalogue.LoadFromFile(empty.c_str()));   // a file without root empties it
        EXPECT_TRUE(WalkIds(catalogue).empty());
        EXPECT_TRUE(catalogue.LoadFromFile(path.c_str()));
        EXPECT_TRUE(Ops::Delete(catalogue, 2));
        EXPECT_TRUE(catalogue.SaveToFile(scratch.c_str(), "1.0", "UTF-8"));
        EXPECT_TRUE(catalogue.LoadFromFile(path.c_str()));
        EXPECT_EQ(catalogue.IsModified(), flag);
    }
    ExpectEveryTruncationLoadsWholeOrNot<Catalogue>(
        dir, path, [](Catalogue& c) { Ops::Insert(c, Ops::New(900).get()); },
        [](Catalogue& c) { return Ops::Get(c, 900) != nullptr; });
}

#endif  // TESTS_META_CATALOGUE_TEST_UTIL_H_
