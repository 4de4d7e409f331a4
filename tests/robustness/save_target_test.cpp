// Every kind of file the library saves, saved the way installations keep
// them: a protected file behind a symbolic link, and a FIFO where a file was
// expected. (The rules themselves are tested with the writer, in tests/host.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "robustness/robustness_util.h"

namespace {

using Save = std::function<bool(const std::string&)>;

// Saves to a protected file through a link.
void CheckLinkAndMode(const TempDir& dir, const Save& save) {
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0700), 0);
    ASSERT_TRUE(save(dir.File("real/cfg")));
    ASSERT_EQ(::chmod(dir.File("real/cfg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real/cfg", dir.File("cfg").c_str()), 0);
    ASSERT_TRUE(save(dir.File("cfg")));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.File("cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Saves to a FIFO: refused, the FIFO kept and nothing left beside it.
void CheckFifoRefused(const TempDir& dir, const Save& save) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(save(dir.File("fifo")));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"fifo"}));
}

template <class Catalogue>
class CatalogueSaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteAll(dir.File("in.xml"), CatalogueFile<Catalogue>("attrib", "text"));
        ASSERT_TRUE(catalogue->LoadFromFile(dir.File("in.xml").c_str()));
        ASSERT_EQ(::unlink(dir.File("in.xml").c_str()), 0);
    }
    Save Saver() {
        return [this](const std::string& path) {
            return catalogue->SaveToFile(path.c_str(), "1.0", "UTF-8");
        };
    }
    TempDir dir;
    CZARVPtr<Catalogue> catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
};
TYPED_TEST_SUITE(CatalogueSaveTargetTest, CatalogueClasses);

TYPED_TEST(CatalogueSaveTargetTest, KeepsLinkAndMode) {
    CheckLinkAndMode(this->dir, this->Saver());
}

TYPED_TEST(CatalogueSaveTargetTest, RefusesAFifo) { CheckFifoRefused(this->dir, this->Saver()); }

class DatabaseSaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearRefNames();
        FillDatabase(engine, 7, 3);
    }
    void TearDown() override { ClearRefNames(); }
    Save Saver() {
        return [this](const std::string& path) {
            return engine.SaveToTemplate(7, path.c_str(), "3.0");
        };
    }
    TempDir dir;
    CZARVQENDbEngine engine{"3.0"};
};

TEST_F(DatabaseSaveTargetTest, KeepsLinkAndMode) { CheckLinkAndMode(dir, Saver()); }

TEST_F(DatabaseSaveTargetTest, RefusesAFifo) { CheckFifoRefused(dir, Saver()); }

}  // namespace
