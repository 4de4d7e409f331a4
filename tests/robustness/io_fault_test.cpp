// Every step of a save fails in turn: the temporary file's creation, each
// write, the sync, the close and the rename. Each failing save must answer
// false, leave the old file byte for byte and leave no temporary file
// behind; once the fault is gone, the same object saves normally.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "robustness/robustness_util.h"
#include "support/failing_file_ops.h"

namespace {

TEST(IoFaultTest, EveryFailingStepOfADatabaseSaveKeepsTheOldFile) {
    ClearRefNames();
    constexpr unsigned char kRid = 200;
    TempDir dir;
    CZARVQENDbEngine engine("3.0");
    FillDatabase(engine, kRid, 12000, 250);  // large enough to be written in several pieces
    const std::string path = dir.File("rs200.dat");
    const auto save = [&] { return engine.SaveToFile(kRid, dir.path().c_str(), "3.0"); };
    ASSERT_TRUE(save());
    const std::string old_bytes = ReadAll(path);
    engine.GetMPInfo(zarvgmpid::Make(kRid, 0, 0, 1))->SetMPProp(2, _zarvVAR("changed"), 0);

    std::vector<std::pair<FailingFileOps::Step, int>> faults{{FailingFileOps::kCreate, 1},
                                                             {FailingFileOps::kSync, 1},
                                                             {FailingFileOps::kClose, 1},
                                                             {FailingFileOps::kRename, 1}};
    {
        FailingFileOps counter(FailingFileOps::kNone);
        ASSERT_TRUE(save());
        ASSERT_GE(counter.writes, 3);
        for (int n = 1; n <= counter.writes; ++n) faults.emplace_back(FailingFileOps::kWrite, n);
    }
    const std::string new_bytes = ReadAll(path);
    ASSERT_NE(new_bytes, old_bytes);
    for (const auto& [step, nth] : faults) {
        SCOPED_TRACE(::testing::Message() << "step " << step << " #" << nth);
        WriteAll(path, old_bytes);
        {
            FailingFileOps ops(step, nth);
            EXPECT_FALSE(save());
        }
        EXPECT_EQ(ReadAll(path), old_bytes);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rs200.dat"});
    }
    EXPECT_TRUE(save());
    EXPECT_EQ(ReadAll(path), new_bytes);
    ClearRefNames();
}

}  // namespace
