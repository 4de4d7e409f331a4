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

// One fault: a step and which occurrence of it fails.
struct Fault {
    FailingFileOps::Step step;
    int nth;
};

std::string Describe(const Fault& fault) {
    static const char* const kNames[] = {"none", "create", "write", "sync", "close", "rename"};
    return std::string(kNames[fault.step]) + " #" + std::to_string(fault.nth);
}

// Counts the writes of a successful save, then lists every fault of it.
std::vector<Fault> EveryFaultOf(const std::function<bool()>& save) {
    int writes = 0;
    {
        FailingFileOps counter(FailingFileOps::kNone);
        EXPECT_TRUE(save());
        writes = counter.writes;
    }
    EXPECT_GE(writes, 1);
    std::vector<Fault> faults{{FailingFileOps::kCreate, 1}};
    for (int n = 1; n <= writes; ++n) faults.push_back({FailingFileOps::kWrite, n});
    faults.push_back({FailingFileOps::kSync, 1});
    faults.push_back({FailingFileOps::kClose, 1});
    faults.push_back({FailingFileOps::kRename, 1});
    return faults;
}

// Runs `save` (which writes `path` inside `dir`) under every fault, with
// `old_bytes` as the file before each attempt.
void ExpectEveryFaultKeepsOldFile(const TempDir& dir, const std::string& path,
                                  const std::string& old_bytes, const std::function<bool()>& save) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::vector<Fault> faults = EveryFaultOf(save);
    const std::string good = ReadAll(path);
    for (const Fault& fault : faults) {
        SCOPED_TRACE(Describe(fault));
        WriteAll(path, old_bytes);
        {
            FailingFileOps ops(fault.step, fault.nth);
            EXPECT_FALSE(save());
        }
        EXPECT_EQ(ReadAll(path), old_bytes);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{name});
    }
    EXPECT_TRUE(save());
    EXPECT_EQ(ReadAll(path), good);
}

const char kOldBytes[] = "the previous file, which must survive\n";

template <class Catalogue>
class CatalogueFaultTest : public ::testing::Test {
protected:
    TempDir dir;
    TempDir scratch;
};
TYPED_TEST_SUITE(CatalogueFaultTest, CatalogueClasses);

TYPED_TEST(CatalogueFaultTest, EveryFailingStepOfASaveKeepsTheOldFile) {
    auto catalogue = LoadedCatalogue<TypeParam>(this->scratch, "attrib", "text");
    const std::string path = this->dir.File("catalogue.xml");
    ExpectEveryFaultKeepsOldFile(this->dir, path, kOldBytes, [&] {
        return catalogue->SaveToFile(path.c_str(), "1.0", "UTF-8");
    });
}

TYPED_TEST(CatalogueFaultTest, EveryFailingStepOfAnEmptySaveKeepsTheOldFile) {
    auto catalogue = NewCatalogue<TypeParam>();
    const std::string path = this->dir.File("catalogue.xml");
    ExpectEveryFaultKeepsOldFile(this->dir, path, kOldBytes, [&] {
        return catalogue->SaveToFile(path.c_str(), "1.0", "UTF-8");
    });
}

class DatabaseFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override { ClearRefNames(); }

    static constexpr unsigned char kRid = 200;
    TempDir dir;
};

TEST_F(DatabaseFaultTest, EveryFailingStepOfALargeSaveKeepsTheOldFile) {
    // Large enough for the file to be written in several pieces.
    CZARVQENDbEngine engine("3.0");
    FillDatabase(engine, kRid, 12000, 250);
    const std::string path = dir.File("rs200.dat");
    ASSERT_TRUE(engine.SaveToFile(kRid, dir.path().c_str(), "3.0"));
    const std::string old_bytes = ReadAll(path);
    {
        FailingFileOps counter(FailingFileOps::kNone);
        ASSERT_TRUE(engine.SaveToFile(kRid, dir.path().c_str(), "3.0"));
        EXPECT_GE(counter.writes, 3);
    }
    _zarvVAR v;
    v = "changed";
    ASSERT_TRUE(engine.GetMPInfo(zarvgmpid::Make(kRid, 0, 0, 1)) != nullptr);
    engine.GetMPInfo(zarvgmpid::Make(kRid, 0, 0, 1))->SetMPProp(2, v, 0);
    ExpectEveryFaultKeepsOldFile(
        dir, path, old_bytes, [&] { return engine.SaveToFile(kRid, dir.path().c_str(), "3.0"); });
    EXPECT_NE(ReadAll(path), old_bytes);
}

TEST_F(DatabaseFaultTest, EveryFailingStepOfATemplateSaveKeepsTheOldFile) {
    CZARVQENDbEngine engine("3.0");
    FillDatabase(engine, kRid, 100);
    const std::string path = dir.File("template.dat");
    ExpectEveryFaultKeepsOldFile(dir, path, kOldBytes,
                                 [&] { return engine.SaveToTemplate(kRid, path.c_str(), "3.0"); });
}

TEST_F(DatabaseFaultTest, EveryFailingStepOfAnEmptySaveKeepsTheOldFile) {
    CZARVQENDbEngine engine("3.0");
    ASSERT_TRUE(engine.CreateConfigDB(kRid, 0));
    const std::string path = dir.File("rs200.dat");
    ExpectEveryFaultKeepsOldFile(
        dir, path, kOldBytes, [&] { return engine.SaveToFile(kRid, dir.path().c_str(), "3.0"); });
}

}  // namespace
