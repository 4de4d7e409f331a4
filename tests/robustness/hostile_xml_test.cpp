// Hostile files for every catalogue: an entity bomb with an external
// entity, and a cut file. Each load fails or loads as the catalogue's rules
// say, quickly, and a failed load keeps what the catalogue held.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "host/zarvlib/markup.h"
#include "robustness/robustness_util.h"

namespace {

template <class Catalogue>
class HostileXmlTest : public ::testing::Test {
protected:
    // Loads `text` as a file into `catalogue`.
    bool Load(const std::string& text) {
        WriteAll(dir.File("in.xml"), text);
        return catalogue->LoadFromFile(dir.File("in.xml").c_str());
    }
    std::string Saved() {
        EXPECT_TRUE(catalogue->SaveToFile(dir.File("saved.xml").c_str(), "1.0", "UTF-8"));
        return ReadAll(dir.File("saved.xml"));
    }

    TempDir dir;
    CZARVPtr<Catalogue> catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
};
TYPED_TEST_SUITE(HostileXmlTest, CatalogueClasses);

TYPED_TEST(HostileXmlTest, CutFilesKeepTheOldContent) {
    const std::string good = CatalogueFile<TypeParam>("baseline-attrib", "baseline");
    ASSERT_TRUE(this->Load(good));
    const std::string baseline = this->Saved();
    for (size_t cut : {size_t{0}, size_t{10}, good.size() / 2, good.size() - 3}) {
        EXPECT_FALSE(this->Load(good.substr(0, cut))) << cut;
        EXPECT_EQ(this->Saved(), baseline);
    }
}

TYPED_TEST(HostileXmlTest, EntitiesAreNeitherExpandedNorFetched) {
    ASSERT_TRUE(this->Load(CatalogueFile<TypeParam>("baseline-attrib", "baseline")));
    const std::string baseline = this->Saved();
    std::string doctype = "<!DOCTYPE r [<!ENTITY a0 \"0123456789\">";
    for (int i = 1; i < 10; ++i) {
        doctype += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) doctype += "&a" + std::to_string(i - 1) + ";";
        doctype += "\">";
    }
    doctype += "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>";
    std::string file = CatalogueFile<TypeParam>("&a9;", "&ext;");
    file.insert(file.find('\n') + 1, doctype + "\n");
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = this->Load(file);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const std::string saved = this->Saved();
    if (!loaded) {
        EXPECT_EQ(saved, baseline);  // a refused file keeps the old content
    }
    EXPECT_LT(saved.size(), 4096u);  // ten to the ninth characters had the bomb gone off
    EXPECT_EQ(saved.find("root:"), std::string::npos);
}

// The declaration ends at the first "?>": a version or encoding text
// holding one cannot be written into a file that loads.
TYPED_TEST(HostileXmlTest, SaveRefusesADeclarationTextHoldingItsEndAndKeepsTheOldFile) {
    const std::string path = this->dir.File("old.xml"), old = "<?xml version=\"1.0\"?><old/>";
    WriteAll(path, old);
    EXPECT_FALSE(this->catalogue->SaveToFile(path.c_str(), "1.0?>", "UTF-8"));
    EXPECT_FALSE(this->catalogue->SaveToFile(path.c_str(), "1.0", "?>UTF-8"));
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_TRUE(this->catalogue->SaveToFile(path.c_str(), "1.0?", "> UTF-8"));
    CMarkup doc;
    EXPECT_TRUE(doc.Load(path.c_str()));
}

}  // namespace
