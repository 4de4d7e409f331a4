#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/db_engine.h"
#include "engine/internal/config_db.h"
#include "host/zarvlib/zarv_file.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/temp_dir.h"

namespace {

// Little-endian fields, as the file stores them.
std::string U16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string I32(int32_t v) {
    return U16(static_cast<uint32_t>(v) & 0xFFFF) + U16(static_cast<uint32_t>(v) >> 16);
}
const std::string kEnd = U16(0xFFFF);

class DbFileTest : public EngineTest {
protected:
    // The GMPIDs the database of `rid` holds, ascending.
    static std::vector<unsigned long> Content(CZARVQENDbEngine& from, unsigned char rid) {
        std::vector<unsigned long> ids;
        for (unsigned group = 0; group < 256; ++group) {
            CZARVDataSet<CZARVMPInfo> out;
            from.ListMPInfo(rid, static_cast<unsigned char>(group), out);
            for (unsigned long id : Ids(out)) ids.push_back(id);
        }
        return ids;
    }
    std::vector<unsigned long> Content(unsigned char rid) { return Content(*engine, rid); }
    // Saves a database of RID 5 with records in groups 7 and 2; one
    // property carries valid type 2.
    std::string SampleFile() {
        EXPECT_TRUE(engine->CreateConfigDB(5, 1));
        RecordPtr info = Record(Gmpid(5, 2, 3, 9), {{11, Var(2L)}});
        EXPECT_TRUE(info->InsertMPProp(12, Var(1L), 2));
        EXPECT_TRUE(engine->InsertMPInfo(info.get()));
        EXPECT_TRUE(Insert(Record(Gmpid(5, 7, 0, 1), {{10, "seven"}})));
        EXPECT_TRUE(Insert(Record(Gmpid(5, 2, 1, 4))));
        EXPECT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        return dir.File("rs5.dat");
    }

    TempDir dir;
};

TEST_F(DbFileTest, GroupsAscendRecordsAscendPropertiesEndWithTheMark) {
    std::string bytes = ReadAll(SampleFile());
    const std::string body = std::string("RS\x05\x02\x02", 5) + U16(2) +  // group 2, two records
                             U16(0x1004) + kEnd +                         // block 1, index 4
                             U16(0x3009) + U16(11) + I32(3) + I32(2) + U16(0x800C) + I32(3) +
                             I32(1) + kEnd + '\x07' + U16(1) + U16(0x0001) + U16(10) + I32(7) +
                             I32(5) + "seven" + kEnd;
    ASSERT_EQ(bytes.size(), body.size() + 4);  // and the checksum
    EXPECT_EQ(bytes.substr(0, body.size()), body);
}

TEST_F(DbFileTest, SavesWithoutDatabaseOrPathFailAndAnEmptyDatabaseIsHeaderAndChecksum) {
    EXPECT_FALSE(engine->SaveToFile(9, dir.path().c_str(), "1.0"));
    ASSERT_TRUE(engine->CreateConfigDB(9, 0));
    EXPECT_FALSE(engine->SaveToTemplate(9, nullptr, "1.0"));
    EXPECT_FALSE(engine->SaveToFile(9, dir.File("missing/sub").c_str(), "1.0"));
    EXPECT_TRUE(dir.Entries().empty());
    ASSERT_TRUE(engine->SaveToTemplate(9, dir.File("t 9.cfg").c_str(), "1.0.0"));  // the exact path
    const std::string bytes = ReadAll(dir.File("t 9.cfg"));  // the header and the checksum
    EXPECT_EQ(bytes.substr(0, 4), std::string("RS\x09\x00", 4));
    EXPECT_EQ(bytes.size(), 8u);
    ASSERT_TRUE(engine->LoadFromFile(9, dir.File("t 9.cfg").c_str(), "1.0.0", 4));
    EXPECT_EQ(engine->GetConfigDBType(9), 4);
}

TEST_F(DbFileTest, LoadReplacesTheContentThroughTheInsertPathAndRefusedRecordsAreMissing) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 0));  // not indexed: every point is stored
    ASSERT_TRUE(Insert(Record(Gmpid(200, 0, 0, 1), {{1, "P"}, {401, "a"}, {402, "b"}})));
    ASSERT_TRUE(Insert(Record(Gmpid(200, 0, 1, 1), {{401, "a"}, {402, "c"}, {499, "P"}})));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 1, 2), "a", "b")));  // the first one's address
    ASSERT_TRUE(engine->SaveToFile(200, dir.path().c_str(), "1.0"));

    TestEngine other;  // what its database held goes
    ASSERT_TRUE(other.CreateConfigDB(200, 0));
    RecordPtr old = Record(Gmpid(200, 9, 0, 1));
    ASSERT_TRUE(other.InsertMPInfo(old.get()));
    ASSERT_TRUE(other.LoadFromFile(200, dir.File("rs200.dat").c_str(), "1.0", 2));
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_EQ(other.GetMPInfo(Gmpid(200, 0, 0, 1))->GetRefCount(), 1);  // the database's only
    EXPECT_EQ(other.GetConfigDBType(200), 2);
    EXPECT_EQ(Content(other, 200),
              (std::vector<unsigned long>{Gmpid(200, 0, 0, 1), Gmpid(200, 0, 1, 1)}));
    CZARVDataSet<CZARVMPInfo> byIO;
    EXPECT_EQ(other.ListMPInfoByIO(200, "a", byIO), 2);  // indexed
    EXPECT_EQ(other.GetAssGMPID(Gmpid(200, 0, 0, 1), nullptr, 0), 1u);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(other.ListValue(200, 0, values), 1);  // no value for the reference point
}

TEST_F(DbFileTest, AFileOfAnotherRidOrNoFileIsRefusedAndTheDatabaseKept) {
    std::string path = SampleFile();
    ASSERT_TRUE(engine->CreateConfigDB(6, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(6, 0, 0, 1))));
    EXPECT_FALSE(engine->LoadFromFile(6, path.c_str(), "1.0", 2));
    EXPECT_EQ(Content(6), std::vector<unsigned long>{Gmpid(6, 0, 0, 1)});
    EXPECT_EQ(engine->GetConfigDBType(6), 1);
    // A missing file or a folder leaves a new database registered empty.
    EXPECT_FALSE(engine->LoadFromFile(8, dir.File("none.dat").c_str(), "1.0", 2));
    EXPECT_EQ(engine->GetConfigDBType(8), 2);
    EXPECT_FALSE(engine->LoadFromFile(8, dir.path().c_str(), "1.0", 2));
    EXPECT_EQ(Content(8), std::vector<unsigned long>{});
}

TEST_F(DbFileTest, AFileCutAtAnyLengthOrWithAnyByteFlippedIsRefusedAndTheDatabaseKept) {
    const std::string good = ReadAll(SampleFile());
    const std::vector<unsigned long> before = Content(5);
    const std::string bad_path = dir.File("bad.dat");
    auto refused = [&](const std::string& bytes) {
        WriteAll(bad_path, bytes);
        return !engine->LoadFromFile(5, bad_path.c_str(), "1.0", 9) && Content(5) == before;
    };
    for (size_t len = 0; len < good.size(); ++len) EXPECT_TRUE(refused(good.substr(0, len))) << len;
    for (size_t i = 0; i < good.size(); ++i) {
        std::string flipped = good;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x10);
        EXPECT_TRUE(refused(flipped)) << "byte " << i;
    }
    EXPECT_EQ(engine->GetConfigDBType(5), 1);
}

// Files whose checksum holds but whose content does not.
TEST_F(DbFileTest, CraftedBodiesLoadOnlyWhenWellFormed) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    const std::string head = std::string("RS\x05", 3);
    const std::string one = head + '\x01' + '\x04';  // one group: group 4
    const std::string prop = U16(1) + U16(10);       // record 1, property 10
    const std::string rec = prop + I32(3) + I32(7) + kEnd;
    const std::vector<unsigned long> old{Gmpid(5, 0, 0, 1)}, loaded{Gmpid(5, 4, 0, 1)};
    struct Case {
        const char* what;
        std::string body;
        std::vector<unsigned long> content;  // after the load; `old` when refused
    } cases[] = {
        {"well formed", one + U16(1) + rec, loaded},
        {"two records of one GMPID: the first stays",
         one + U16(2) + rec + U16(1) + U16(11) + I32(3) + I32(8) + kEnd, loaded},
        {"no end mark", one + U16(1) + prop + I32(3) + I32(7), old},
        {"negative group count", head + '\x80', {}},
    };
    std::string path = dir.File("crafted.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CZARVFile file;
        ASSERT_TRUE(file.OpenBinary(path.c_str(), CZARVFile::modeWrite));
        file.WriteBytes(c.body.data(), c.body.size());
        ASSERT_TRUE(file.AppendCRC());
        ASSERT_TRUE(file.Close());
        EXPECT_EQ(engine->LoadFromFile(5, path.c_str(), "1.0", 2), c.content != old);
        EXPECT_EQ(Content(5), c.content);
        EXPECT_EQ(engine->GetConfigDBType(5), c.content == old ? 1 : 2);
        if (c.content == loaded) {
            EXPECT_FALSE(engine->GetMPInfo(Gmpid(5, 4, 0, 1))->IsExist(11));
        }
        if (c.content != old) {  // back to the old database for the next case
            engine->DeleteConfigDB(5);
            ASSERT_TRUE(engine->CreateConfigDB(5, 1));
            ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
        }
    }
}

// What the file format cannot carry: past each limit the save is refused and
// the file of the save before stays as it was, with nothing beside it.
TEST_F(DbFileTest, SavesPastALimitOfTheFormatAreRefusedAndKeepTheOldFile) {
    const struct {
        const char* what;
        std::function<void(CZARVQENDbEngine&)> fill;  // up to the limit
        RecordPtr extra;                              // one past it
    } cases[] = {
        {"at most 127 groups",
         [](CZARVQENDbEngine& e) {
             for (unsigned g = 1; g < 127; ++g)
                 ASSERT_TRUE(e.InsertMPInfo(Record(Gmpid(5, g, 0, 0)).get()));
         },
         Record(Gmpid(5, 200, 0, 0))},
        {"at most 32767 records a group",
         [](CZARVQENDbEngine& e) {
             for (unsigned i = 0; i < 32767; ++i)
                 ASSERT_TRUE(e.InsertMPInfo(Record(Gmpid(5, 1, i / 4096, i % 4096)).get()));
         },
         Record(Gmpid(5, 1, 7, 4095))},
        {"no property code equal to the end mark", [](CZARVQENDbEngine&) {},
         [] {
             RecordPtr info = Record(Gmpid(5, 0, 0, 2));
             EXPECT_TRUE(info->InsertMPProp(0x3FFF, Var(1L), 3));
             return info;
         }()},
        // 0x4005 would be stored as 5 and read back as another property.
        {"no property number beyond fourteen bits", [](CZARVQENDbEngine&) {},
         Record(Gmpid(5, 0, 0, 2), {{0x4005, Var(1L)}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        engine = CZARVPtr<TestEngine>::Adopt(new TestEngine());
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
        c.fill(*engine);
        ASSERT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        const std::string old = ReadAll(dir.File("rs5.dat"));
        ASSERT_TRUE(engine->InsertMPInfo(c.extra.get()));
        EXPECT_FALSE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        EXPECT_EQ(ReadAll(dir.File("rs5.dat")), old);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rs5.dat"});
    }
}

}  // namespace
