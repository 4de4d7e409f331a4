// A load decodes exactly the bytes whose checksum it verified, read once:
// the bytes the base CheckFile verified when LoadFromFile called it for the
// path being loaded, or else bytes the load reads and verifies itself.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "engine/internal/config_db.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr unsigned char kRid = 7;

// A database whose CheckFile a test replaces.
struct CheckedDB : CZARVConfigDB {
    explicit CheckedDB(std::function<bool(CZARVConfigDB&, const char*)> check)
        : CZARVConfigDB(kRid, 0, nullptr), m_check(std::move(check)) {}
    bool CheckFile(const char* path) override { return m_check(*this, path); }
    bool BaseCheckFile(const char* path) { return CZARVConfigDB::CheckFile(path); }
    std::function<bool(CZARVConfigDB&, const char*)> m_check;
};

class ConfigDbLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oneRecord = Saved({1});
        m_twoRecords = Saved({1, 2});
        m_badChecksum = m_oneRecord;
        m_badChecksum.back() ^= 0x5A;
        WriteAll(m_path, m_oneRecord);
    }

    // The bytes of a database of kRid holding the given point indexes.
    std::string Saved(std::initializer_list<unsigned> points) {
        CZARVQENDbEngine engine;
        engine.CreateConfigDB(kRid, 0);
        for (unsigned point : points)
            engine.InsertMPInfo(Record(Gmpid(kRid, 1, 0, point), {{5, Var(11)}}).get());
        std::string path = m_dir.File("saved.dat");
        EXPECT_TRUE(engine.SaveToTemplate(kRid, path.c_str(), nullptr));
        return ReadAll(path);
    }

    // Loads m_path into a database that holds one record of its own before;
    // returns the result and the number of records afterwards.
    std::pair<bool, int> Load(std::function<bool(CheckedDB&, const char*)> check) {
        auto db =
            CZARVPtr<CheckedDB>::Adopt(new CheckedDB([&](CZARVConfigDB& self, const char* path) {
                return check(static_cast<CheckedDB&>(self), path);
            }));
        db->InsertMPInfo(Record(Gmpid(kRid, 9, 0, 1)).get());
        db->InsertMPInfo(Record(Gmpid(kRid, 9, 0, 2)).get());
        db->InsertMPInfo(Record(Gmpid(kRid, 9, 0, 3)).get());
        bool ok = db->LoadFromFile(m_path.c_str(), nullptr, 0);
        return {ok, db->GetCount()};
    }

    TempDir m_dir;
    std::string m_path = m_dir.File("db.dat");
    std::string m_oneRecord, m_twoRecords, m_badChecksum;
};

TEST_F(ConfigDbLoadTest, FileRewrittenAfterTheCheckLoadsTheBytesTheCheckVerified) {
    EXPECT_EQ(Load([&](CheckedDB& db, const char* path) {
                  bool ok = db.BaseCheckFile(path);
                  WriteAll(m_path, m_twoRecords);
                  return ok;
              }),
              std::make_pair(true, 1));
    WriteAll(m_path, m_oneRecord);
    EXPECT_EQ(Load([&](CheckedDB& db, const char* path) {
                  bool ok = db.BaseCheckFile(path);
                  WriteAll(m_path, m_badChecksum);
                  return ok;
              }),
              std::make_pair(true, 1));
}

TEST_F(ConfigDbLoadTest, AChecksumIsVerifiedOnceOfThePathLoadedAndACheckThatSaysNoStops) {
    const std::string other = m_dir.File("other.dat");
    WriteAll(other, m_twoRecords);
    const struct {
        const char* name;
        std::string bytes;
        std::function<bool(CheckedDB&, const char*)> check;
        std::pair<bool, int> result;
    } cases[] = {
        {"a check that says no, a good file",
         m_oneRecord,
         [](CheckedDB&, const char*) { return false; },
         {false, 3}},
        {"a check that skips the base, a good file",
         m_oneRecord,
         [](CheckedDB&, const char*) { return true; },
         {true, 1}},
        {"a check that skips the base, a bad checksum",
         m_badChecksum,
         [](CheckedDB&, const char*) { return true; },
         {false, 3}},
        {"a check of another path hands no bytes to the load",
         m_badChecksum,
         [&](CheckedDB& db, const char*) { return db.BaseCheckFile(other.c_str()); },
         {false, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(m_path, c.bytes);
        EXPECT_EQ(Load(c.check), c.result);
    }
}

TEST_F(ConfigDbLoadTest, CheckOnItsOwnKeepsNoBytesForALaterLoad) {
    auto db = CZARVPtr<CheckedDB>::Adopt(new CheckedDB([](CZARVConfigDB& self, const char* path) {
        return static_cast<CheckedDB&>(self).BaseCheckFile(path);
    }));
    EXPECT_TRUE(db->CheckFile(m_path.c_str()));
    WriteAll(m_path, m_badChecksum);
    EXPECT_FALSE(db->LoadFromFile(m_path.c_str(), nullptr, 0));
    EXPECT_EQ(db->GetCount(), 0);
}

}  // namespace
