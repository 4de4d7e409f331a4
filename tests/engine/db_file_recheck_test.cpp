// A load checksums the file once, in CheckFile; the second opening verifies
// again only when the file changed in between.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "engine/config_db.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr unsigned char kRid = 7;

// Runs `between` after the base check has passed, before the load opens
// the file again; or stands in for the check altogether.
struct HookedDB : CZARVConfigDB {
    HookedDB(std::function<void()> between, bool replaceCheck)
        : CZARVConfigDB(kRid, 0, nullptr), m_between(std::move(between)), m_replace(replaceCheck) {}
    bool CheckFile(const char* path) override {
        if (m_replace) return true;
        bool ok = CZARVConfigDB::CheckFile(path);
        if (ok && m_between) m_between();
        return ok;
    }
    std::function<void()> m_between;
    bool m_replace;
};

class DbFileRecheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        CZARVQENDbEngine engine("3.0");
        engine.CreateConfigDB(kRid, 0);
        engine.InsertMPInfo(Record(Gmpid(kRid, 1, 0, 1), {{5, Var(11)}}).get());
        ASSERT_TRUE(engine.SaveToTemplate(kRid, m_good.c_str(), "3.0"));
        m_badCrc = ReadAll(m_good);
        m_badCrc.back() ^= 0x5A;
    }
    std::pair<bool, int> Load(std::function<void()> between, bool replaceCheck = false) {
        auto db = CZARVPtr<CZARVConfigDB>::Adopt(new HookedDB(between, replaceCheck));
        bool ok = db->LoadFromFile(m_good.c_str(), "3.0", 0);
        return {ok, db->GetCount()};
    }

    TempDir m_dir;
    std::string m_good = m_dir.File("db.dat"), m_badCrc;
};

TEST_F(DbFileRecheckTest, UnchangedFileLoadsAndAFileReplacedAfterTheCheckIsVerifiedAgain) {
    EXPECT_EQ(Load(nullptr), std::make_pair(true, 1));
    // Saves replace files by rename, so the replacement is a new file.
    std::string other = m_dir.File("other.dat");
    EXPECT_EQ(Load([&] {
                  WriteAll(other, m_badCrc);
                  std::rename(other.c_str(), m_good.c_str());
              }),
              std::make_pair(false, 0));
}

TEST_F(DbFileRecheckTest, DerivedCheckIsTakenAtItsWord) {
    // The checksum is not read again; the records still load.
    WriteAll(m_good, m_badCrc);
    EXPECT_EQ(Load(nullptr, /*replaceCheck=*/true), std::make_pair(true, 1));
}

}  // namespace
