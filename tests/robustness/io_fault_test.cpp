// Every step of every save fails in turn: the temporary file's creation,
// each write, the sync, the close and the rename. Each failing save must
// answer false, leave the old file byte for byte and leave no temporary
// file behind; once the fault is gone, the same object saves normally.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "robustness/robustness_util.h"
#include "support/failing_file_ops.h"

namespace {

const char kOldBytes[] = "the previous file, which must survive\n";

// Runs `save` (which writes `path` inside `dir`) under every fault, with
// `old_bytes` as the file before each attempt. Returns how many writes a
// successful save makes.
int ExpectEveryFaultKeepsOldFile(const TempDir& dir, const std::string& path,
                                 const std::string& old_bytes, const std::function<bool()>& save) {
    int writes = 0;
    {
        FailingFileOps counter(FailingFileOps::kNone);
        EXPECT_TRUE(save());
        writes = counter.writes;
    }
    const std::string good = ReadAll(path);
    std::vector<std::pair<FailingFileOps::Step, int>> faults{{FailingFileOps::kCreate, 1},
                                                             {FailingFileOps::kSync, 1},
                                                             {FailingFileOps::kClose, 1},
                                                             {FailingFileOps::kRename, 1}};
    for (int n = 1; n <= writes; ++n) faults.emplace_back(FailingFileOps::kWrite, n);
    for (const auto& [step, nth] : faults) {
        SCOPED_TRACE(::testing::Message() << "step " << step << " #" << nth);
        WriteAll(path, old_bytes);
        {
            FailingFileOps ops(step, nth);
            EXPECT_FALSE(save());
        }
        EXPECT_EQ(ReadAll(path), old_bytes);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{path.substr(path.rfind('/') + 1)});
    }
    EXPECT_TRUE(save());
    EXPECT_EQ(ReadAll(path), good);
    return writes;
}

template <class Catalogue>
class CatalogueFaultTest : public ::testing::Test {
protected:
    TempDir dir;
    TempDir scratch;
};
TYPED_TEST_SUITE(CatalogueFaultTest, CatalogueClasses);

TYPED_TEST(CatalogueFaultTest, EveryFailingStepOfAFullOrEmptySaveKeepsTheOldFile) {
    const std::string path = this->dir.File("catalogue.xml");
    for (auto catalogue :
         {LoadedCatalogue<TypeParam>(this->scratch, "attrib", "text"), NewCatalogue<TypeParam>()}) {
        EXPECT_GE(ExpectEveryFaultKeepsOldFile(
                      this->dir, path, kOldBytes,
                      [&] { return catalogue->SaveToFile(path.c_str(), "1.0", "UTF-8"); }),
                  1);
    }
}

class DatabaseFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override { ClearRefNames(); }
    static constexpr unsigned char kRid = 200;
    TempDir dir;
};

TEST_F(DatabaseFaultTest, EveryFailingStepOfALargeEmptyOrTemplateSaveKeepsTheOldFile) {
    CZARVQENDbEngine large("3.0"), empty("3.0");
    FillDatabase(large, kRid, 12000, 250);  // large enough to be written in several pieces
    ASSERT_TRUE(empty.CreateConfigDB(kRid, 0));
    const std::string path = dir.File("rs200.dat");
    ASSERT_TRUE(large.SaveToFile(kRid, dir.path().c_str(), "3.0"));
    const std::string old_bytes = ReadAll(path);
    large.GetMPInfo(zarvgmpid::Make(kRid, 0, 0, 1))->SetMPProp(2, _zarvVAR("changed"), 0);
    EXPECT_GE(ExpectEveryFaultKeepsOldFile(
                  dir, path, old_bytes,
                  [&] { return large.SaveToFile(kRid, dir.path().c_str(), "3.0"); }),
              3);
    EXPECT_NE(ReadAll(path), old_bytes);
    ExpectEveryFaultKeepsOldFile(dir, path, kOldBytes,
                                 [&] { return empty.SaveToFile(kRid, dir.path().c_str(), "3.0"); });
    std::remove(path.c_str());
    const std::string tpl = dir.File("template.dat");
    ExpectEveryFaultKeepsOldFile(dir, tpl, kOldBytes,
                                 [&] { return large.SaveToTemplate(kRid, tpl.c_str(), "3.0"); });
}

}  // namespace
