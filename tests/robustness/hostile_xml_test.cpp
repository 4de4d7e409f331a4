// Hostile files for every catalogue: entity bombs, huge attributes and
// texts. Each load fails or loads as the catalogue's rules say, within
// bounded time and memory. (Malformed or deeply nested documents and raw
// bytes that are no UTF-8 are the markup layer's, whose tests cover them.)
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "host/zarvlib/file_ops.h"
#include "robustness/robustness_util.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kHuge = kSanitized ? 8u << 20 : 50u << 20;

// How far the peak memory may grow, in multiples of the file's size: the
// file, the parsed document and a few copies of the text are expected; a
// string per character (32 bytes or more for each) is not. Instrumented
// builds hold freed memory back for a while, so every copy counts there.
constexpr size_t kMemoryFactor = kSanitized ? 40 : 12;

size_t PeakResident() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<size_t>(usage.ru_maxrss) * 1024;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Saves without waiting for the disk: what these tests check is the
// loading, and syncing 50 MB files would take most of their time.
class NoSyncFileOps : public CZARVFileOps {
public:
    NoSyncFileOps() : m_previous(CZARVFileOps::Install(this)) {}
    ~NoSyncFileOps() override { CZARVFileOps::Install(m_previous); }
    bool Sync(int) override { return true; }
    bool SyncDir(const std::string&) override { return true; }

private:
    CZARVFileOps* m_previous;
};

template <class Catalogue>
class HostileXmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue = LoadedCatalogue<Catalogue>(dir, "baseline-attrib", "baseline");
        baseline = Saved();
    }
    std::string Saved() { return SavedBytes(*catalogue, dir.File("saved.xml")); }

    // Loads `text` as a file into the catalogue, which holds the baseline.
    bool Load(const std::string& text) {
        const std::string path = dir.File("hostile.xml");
        WriteAll(path, text);
        const bool loaded = catalogue->LoadFromFile(path.c_str());
        std::remove(path.c_str());
        return loaded;
    }
    // Loads `file`, checking time and memory against its size.
    bool LoadBounded(const std::string& file) {
        const size_t peak_before = PeakResident();
        const Clock::time_point start = Clock::now();
        const bool loaded = Load(file);
        EXPECT_LT(SecondsSince(start), 30.0);
        EXPECT_LT(PeakResident() - peak_before, kMemoryFactor * file.size());
        return loaded;
    }

    NoSyncFileOps no_sync;
    TempDir dir;
    CZARVPtr<Catalogue> catalogue;
    std::string baseline;
};
TYPED_TEST_SUITE(HostileXmlTest, CatalogueClasses);

TYPED_TEST(HostileXmlTest, EntitiesAreNeitherExpandedNorFetched) {
    std::string doctype = "<!DOCTYPE r [<!ENTITY a0 \"0123456789\">";
    for (int i = 1; i < 10; ++i) {
        doctype += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) doctype += "&a" + std::to_string(i - 1) + ";";
        doctype += "\">";
    }
    doctype += "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>";
    std::string file = CatalogueFile<TypeParam>("&a9;", "&ext;");
    file.insert(file.find('\n') + 1, doctype + "\n");

    const Clock::time_point start = Clock::now();
    const bool loaded = this->Load(file);
    EXPECT_LT(SecondsSince(start), 5.0);
    const std::string saved = this->Saved();
    EXPECT_TRUE(loaded || saved == this->baseline);
    // Ten to the ninth characters had the bomb gone off.
    EXPECT_LT(saved.size(), 4096u);
    EXPECT_EQ(saved.find("root:"), std::string::npos);
}

TYPED_TEST(HostileXmlTest, HugeValuesLoadInBoundedTimeAndMemory) {
    // A huge attribute; a huge text, which is names to the others and a meta
    // list of millions to typed objects. Each is content and saved again.
    const auto hugeText = [] {
        std::string text;
        text.reserve(kHuge);
        while (text.size() < kHuge) text += "|1";
        return text;
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(this->LoadBounded(i == 0
                                          ? CatalogueFile<TypeParam>(std::string(kHuge, 'a'), "n")
                                          : CatalogueFile<TypeParam>("p", hugeText())))
            << i;
        const std::string saved = this->dir.File("saved.xml");
        ASSERT_TRUE(this->catalogue->SaveToFile(saved.c_str(), "1.0", "UTF-8"));
        EXPECT_GT(std::filesystem::file_size(saved), kHuge);
    }
    // Commas split element texts, bars a typed object's meta list: a text of
    // nothing else must not turn into one allocation per character.
    for (char separator : {',', '|'}) {
        SCOPED_TRACE(separator);
        this->LoadBounded(CatalogueFile<TypeParam>("p", std::string(kHuge, separator)));
    }
}

}  // namespace
