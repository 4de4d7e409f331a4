#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/config_db.h"
#include "engine/db_engine.h"
#include "host/zarvlib/zarv_file.h"
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/failing_file_ops.h"
#include "tests/support/temp_dir.h"

namespace {

// Reads the little-endian fields of a written file back in a test.
class Bytes {
public:
    explicit Bytes(std::string data) : m_data(std::move(data)) {}
    unsigned Char() { return static_cast<unsigned char>(m_data.at(m_pos++)); }
    unsigned U16() {
        unsigned lo = Char();
        return lo | (Char() << 8);
    }
    uint32_t U32() {
        uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    // Skips one variant and returns its kind.
    int Variant() {
        int kind = static_cast<int32_t>(U32());
        size_t sizes[] = {1, 2, 2, 4, 4, 4, 8};
        if (kind >= 0 && kind <= 6) m_pos += sizes[kind];
        if (kind == 7) m_pos += U32();
        if (kind == 20 || kind == 21) m_pos += 8;
        return kind;
    }
    size_t Left() const { return m_data.size() - m_pos; }

private:
    std::string m_data;
    size_t m_pos = 0;
};

// Writes `body` followed by its checksum, as a configuration file would be.
bool WriteWithChecksum(const std::string& path, const std::string& body) {
    CZARVFile file;
    if (!file.OpenBinary(path.c_str(), CZARVFile::modeWrite)) return false;
    file.WriteBytes(body.data(), body.size());
    return file.AppendCRC() && file.Close();
}

std::string U16(unsigned v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string I32(int32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

class DbFileTest : public EngineTest {
protected:
    // The GMPIDs the database of `rid` holds, ascending.
    std::vector<unsigned long> Content(unsigned char rid) {
        std::vector<unsigned long> ids;
        for (unsigned group = 0; group < 256; ++group) {
            CZARVDataSet<CZARVMPInfo> out;
            engine->ListMPInfo(rid, static_cast<unsigned char>(group), out);
            for (unsigned long id : Ids(out)) ids.push_back(id);
        }
        return ids;
    }
    // A database of RID 5 with records in groups 7 and 2.
    void FillSample() {
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 7, 0, 1), {{10, "seven"}})));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 2, 3, 9), {{12, Var(1L)}, {11, Var(2L)}})));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 2, 1, 4))));
    }
    std::string SampleFile() {
        FillSample();
        std::string path = dir.File("rs5.dat");
        EXPECT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        return path;
    }

    TempDir dir;
};

// --- the written bytes ---------------------------------------------------------

TEST_F(DbFileTest, EmptyDatabaseIsHeaderAndChecksumOnly) {
    ASSERT_TRUE(engine->CreateConfigDB(9, 0));
    ASSERT_TRUE(engine->SaveToFile(9, dir.path().c_str(), "1.0.0"));
    std::string bytes = ReadAll(dir.File("rs9.dat"));
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("RS\x09\x00", 4));
    ASSERT_TRUE(engine->LoadFromFile(9, dir.File("rs9.dat").c_str(), "1.0.0", 4));
    EXPECT_TRUE(Content(9).empty());
    EXPECT_EQ(engine->GetConfigDBType(9), 4);
}

TEST_F(DbFileTest, GroupsAscendRecordsAscendPropertiesEndWithTheMark) {
    Bytes b(ReadAll(SampleFile()));
    EXPECT_EQ(b.Char(), 'R');
    EXPECT_EQ(b.Char(), 'S');
    EXPECT_EQ(b.Char(), 5u);
    EXPECT_EQ(b.Char(), 2u);  // groups
    EXPECT_EQ(b.Char(), 2u);  // group 2 first
    EXPECT_EQ(b.U16(), 2u);
    EXPECT_EQ(b.U16(), 0x1004u);  // block 1, index 4
    EXPECT_EQ(b.U16(), 0xFFFFu);
    EXPECT_EQ(b.U16(), 0x3009u);
    EXPECT_EQ(b.U16(), 11u);  // properties in the record's (ascending) order
    EXPECT_EQ(b.Variant(), 3);
    EXPECT_EQ(b.U16(), 12u);
    EXPECT_EQ(b.Variant(), 3);
    EXPECT_EQ(b.U16(), 0xFFFFu);
    EXPECT_EQ(b.Char(), 7u);
    EXPECT_EQ(b.U16(), 1u);
    EXPECT_EQ(b.U16(), 0x0001u);
    EXPECT_EQ(b.U16(), 10u);
    EXPECT_EQ(b.Variant(), 7);
    EXPECT_EQ(b.U16(), 0xFFFFu);
    EXPECT_EQ(b.Left(), 4u);  // the checksum
}

TEST_F(DbFileTest, ValidTypeTravelsInTheTopBitsOfTheCode) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    RecordPtr info = Record(Gmpid(5, 0, 0, 1));
    ASSERT_TRUE(info->InsertMPProp(0x123, Var(1L), 2));
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    ASSERT_TRUE(engine->SaveToTemplate(5, dir.File("t.bin").c_str(), "1.0"));
    Bytes b(ReadAll(dir.File("t.bin")));
    for (int i = 0; i < 7; ++i) b.Char();  // header, group, count
    b.U16();
    EXPECT_EQ(b.U16(), 0x8123u);
}

TEST_F(DbFileTest, DirectoryWithOrWithoutTrailingSlashesGivesOneName) {
    FillSample();
    ASSERT_TRUE(engine->SaveToFile(5, (dir.path() + "///").c_str(), "1.0"));
    std::string first = ReadAll(dir.File("rs5.dat"));
    ASSERT_FALSE(first.empty());
    ASSERT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
    EXPECT_EQ(ReadAll(dir.File("rs5.dat")), first);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rs5.dat"});
}

TEST_F(DbFileTest, TemplateGoesToTheExactPath) {
    FillSample();
    ASSERT_TRUE(engine->SaveToTemplate(5, dir.File("my template.cfg").c_str(), "2.0"));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"my template.cfg"});
    EXPECT_EQ(ReadAll(dir.File("my template.cfg")).substr(0, 3), "RS\x05");
}

TEST_F(DbFileTest, SavesWithoutDatabaseOrPathFail) {
    EXPECT_FALSE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
    EXPECT_FALSE(engine->SaveToTemplate(5, dir.File("x").c_str(), "1.0"));
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    EXPECT_FALSE(engine->SaveToFile(5, nullptr, "1.0"));
    EXPECT_FALSE(engine->SaveToTemplate(5, nullptr, "1.0"));
    EXPECT_FALSE(engine->SaveToFile(5, dir.File("missing/sub").c_str(), "1.0"));
    EXPECT_TRUE(dir.Entries().empty());
}

// --- round trips ---------------------------------------------------------------

TEST_F(DbFileTest, EveryVariantKindAndValidTypeRoundTrips) {
    ASSERT_TRUE(engine->CreateConfigDB(5, 1));
    std::vector<_zarvVAR> values = {_zarvVAR(),
                                    Var(true),
                                    Var(static_cast<short>(-2)),
                                    Var(static_cast<unsigned short>(65000)),
                                    Var(-100000L),
                                    Var(4000000000UL),
                                    Var(0.1f),
                                    Var(-1.0 / 3.0),
                                    _zarvVAR("text with \"quotes\", \xC3\xA9 and\nbreaks"),
                                    _zarvVAR(""),
                                    Var(-5LL),
                                    Var(18000000000000000000ULL)};
    RecordPtr info = Record(Gmpid(5, 1, 2, 3));
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(info->InsertMPProp(static_cast<unsigned short>(100 + i), values[i], i % 4));
    ASSERT_TRUE(info->InsertMPProp(0x3FFE, Var(1L), 3));  // the highest storable code
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    ASSERT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));

    TestEngine other;
    ASSERT_TRUE(other.LoadFromFile(5, dir.File("rs5.dat").c_str(), "1.0", 1));
    CZARVMPInfo* back = other.GetMPInfo(Gmpid(5, 1, 2, 3));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetRefCount(), 1);  // held by the database only
    EXPECT_EQ(back->GetMPPropCount(), static_cast<int>(values.size()) + 1);
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        auto id = static_cast<unsigned short>(100 + i);
        EXPECT_EQ(back->MPProp(id), values[i]);
        EXPECT_EQ(back->MPType(id), static_cast<int>(i % 4));
    }
    EXPECT_EQ(back->MPType(0x3FFE), 3);
}

TEST_F(DbFileTest, LoadGoesThroughTheInsertPath) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 0));
    ASSERT_TRUE(Insert(Record(Gmpid(200, 0, 0, 1), {{1, "P"}, {401, "a"}, {402, "b"}})));
    ASSERT_TRUE(Insert(Record(Gmpid(200, 0, 1, 1), {{401, "a"}, {402, "c"}, {499, "P"}})));
    ASSERT_TRUE(engine->SaveToFile(200, dir.path().c_str(), "1.0"));

    TestEngine other;
    ASSERT_TRUE(other.LoadFromFile(200, dir.File("rs200.dat").c_str(), "1.0", 2));
    EXPECT_EQ(other.GetConfigDBType(200), 2);
    CZARVDataSet<CZARVMPInfo> byIO;
    EXPECT_EQ(other.ListMPInfoByIO(200, "a", byIO), 2);  // indexed
    EXPECT_EQ(other.GetAssGMPID(Gmpid(200, 0, 0, 1), nullptr, 0), 1u);
    CZARVDataSet<CZARVMPValue> values;
    EXPECT_EQ(other.ListValue(200, 0, values), 1);  // no value for the reference point
}

TEST_F(DbFileTest, ReloadReindexesItsPoints) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 2));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 1), "a", "b")));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 2), "a", "c")));
    ASSERT_TRUE(engine->SaveToFile(200, dir.path().c_str(), "1.0"));
    ASSERT_TRUE(engine->LoadFromFile(200, dir.File("rs200.dat").c_str(), "1.0", 2));
    EXPECT_EQ(Content(200), (std::vector<unsigned long>{Gmpid(200, 0, 0, 1), Gmpid(200, 0, 0, 2)}));
    CZARVDataSet<CZARVMPInfo> byIO;
    EXPECT_EQ(engine->ListMPInfoByIO(200, "a", byIO), 2);
    for (CZARVMPInfo* info : byIO) EXPECT_EQ(info, engine->GetMPInfo(info->GetGMPID()));
}

TEST_F(DbFileTest, LoadDiscardsWhatTheDatabaseHeld) {
    std::string path = SampleFile();
    RecordPtr old = Record(Gmpid(5, 9, 0, 1));
    ASSERT_TRUE(engine->InsertMPInfo(old.get()));
    ASSERT_TRUE(Insert(NamedRecord(Gmpid(5, 9, 0, 2), "Q")));
    ASSERT_TRUE(engine->CreateConfigDB(6, 0));
    ASSERT_TRUE(Insert(Record(Gmpid(6, 0, 1, 1), {{499, "Q"}})));
    ASSERT_EQ(engine->GetAssGMPID(Gmpid(5, 9, 0, 2), nullptr, 0), 1u);

    ASSERT_TRUE(engine->LoadFromFile(5, path.c_str(), "1.0", 3));
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_EQ(Content(5), (std::vector<unsigned long>{Gmpid(5, 2, 1, 4), Gmpid(5, 2, 3, 9),
                                                      Gmpid(5, 7, 0, 1)}));
    EXPECT_EQ(engine->GetConfigDBType(5), 3);
    EXPECT_EQ(engine->GetAssGMPID(Gmpid(5, 9, 0, 2), nullptr, 0), 0u);
}

TEST_F(DbFileTest, RecordsRefusedDuringALoadAreMissingAndTheLoadSucceeds) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 0));  // not indexed: both points are stored
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 1), "a", "b")));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 2), "a", "b")));
    ASSERT_TRUE(Insert(IORecord(Gmpid(200, 0, 0, 3), "a", "c")));
    ASSERT_TRUE(engine->SaveToFile(200, dir.path().c_str(), "1.0"));

    TestEngine other;
    ASSERT_TRUE(other.LoadFromFile(200, dir.File("rs200.dat").c_str(), "1.0", 2));
    EXPECT_NE(other.GetMPInfo(Gmpid(200, 0, 0, 1)), nullptr);
    EXPECT_EQ(other.GetMPInfo(Gmpid(200, 0, 0, 2)), nullptr);  // same address as the first
    EXPECT_NE(other.GetMPInfo(Gmpid(200, 0, 0, 3)), nullptr);
}

// --- meta property table -------------------------------------------------------

class DbFileMetaTest : public DbFileTest {
protected:
    void SetUp() override {
        DbFileTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        RecordPtr info = Record(Gmpid(5, 0, 0, 1));
        ASSERT_TRUE(info->InsertMPProp(20, Var(1L), 2));
        ASSERT_TRUE(info->InsertMPProp(21, Var(2L), 2));
        ASSERT_TRUE(engine->InsertMPInfo(info.get()));
        ASSERT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        auto prop = CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(20, "retyped", Var(0L), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                              CZARVMetaProp::METAVALIDTYPE(1)));
        ASSERT_TRUE(table.InsertMetaProp(prop.get()));
    }
    CZARVMPInfo* Load(CZARVMetaPropTbl* meta) {
        loader.SetMetaProps(meta);
        EXPECT_TRUE(loader.LoadFromFile(5, dir.File("rs5.dat").c_str(), "1.0", 1));
        return loader.GetMPInfo(Gmpid(5, 0, 0, 1));
    }

    CZARVMetaPropTbl table;
    TestEngine loader;
};

TEST_F(DbFileMetaTest, StoredValidTypeServesWithoutTable) {
    CZARVMPInfo* info = Load(nullptr);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->MPType(20), 2);
    EXPECT_EQ(info->MPType(21), 2);
}

TEST_F(DbFileMetaTest, TableValidTypeWinsForTheNumbersItKnows) {
    CZARVMPInfo* info = Load(&table);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->MPType(20), 1);
    EXPECT_EQ(info->MPType(21), 2);  // not in the table
    EXPECT_EQ(static_cast<long>(info->MPProp(20)), 1);
    EXPECT_EQ(table.GetMetaProp(20)->GetRefCount(), 1);  // the table's only
}

// --- refusals and failures -----------------------------------------------------

TEST_F(DbFileTest, LoadOfAnotherRIDsFileLeavesTheDatabaseAlone) {
    std::string path = SampleFile();
    ASSERT_TRUE(engine->CreateConfigDB(6, 1));
    ASSERT_TRUE(Insert(Record(Gmpid(6, 0, 0, 1))));
    EXPECT_FALSE(engine->LoadFromFile(6, path.c_str(), "1.0", 2));
    EXPECT_EQ(Content(6), std::vector<unsigned long>{Gmpid(6, 0, 0, 1)});
    EXPECT_EQ(engine->GetConfigDBType(6), 1);
}

TEST_F(DbFileTest, FailedLoadLeavesTheNewDatabaseRegisteredAndEmpty) {
    EXPECT_FALSE(engine->LoadFromFile(8, dir.File("none.dat").c_str(), "1.0", 2));
    EXPECT_EQ(engine->GetConfigDBType(8), 2);
    EXPECT_FALSE(engine->LoadFromFile(8, nullptr, "1.0", 2));
    EXPECT_FALSE(engine->LoadFromFile(8, dir.path().c_str(), "1.0", 2));  // a directory
}

TEST_F(DbFileTest, EveryTruncationAndEveryFlippedByteIsRefused) {
    std::string good = ReadAll(SampleFile());
    ASSERT_TRUE(engine->CreateConfigDB(6, 0));
    ASSERT_TRUE(Insert(Record(Gmpid(6, 0, 0, 1))));  // keeps RID 6 apart from the load
    std::vector<unsigned long> before = Content(5);
    std::string path = dir.File("bad.dat");
    for (size_t len = 0; len < good.size(); ++len) {
        SCOPED_TRACE(len);
        WriteAll(path, good.substr(0, len));
        ASSERT_FALSE(engine->LoadFromFile(5, path.c_str(), "1.0", 9));
        ASSERT_EQ(Content(5), before);
    }
    for (size_t i = 0; i < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            SCOPED_TRACE(i * 8 + bit);
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
            WriteAll(path, bad);
            ASSERT_FALSE(engine->LoadFromFile(5, path.c_str(), "1.0", 9));
            ASSERT_EQ(Content(5), before);
        }
    }
    EXPECT_EQ(engine->GetConfigDBType(5), 1);
}

// Files whose checksum holds but whose content does not.
class CraftedFileTest : public DbFileTest {
protected:
    void SetUp() override {
        DbFileTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
    }
    bool Load(const std::string& body) {
        std::string path = dir.File("crafted.dat");
        EXPECT_TRUE(WriteWithChecksum(path, body));
        return engine->LoadFromFile(5, path.c_str(), "1.0", 2);
    }
    bool Untouched() {
        return Content(5) == std::vector<unsigned long>{Gmpid(5, 0, 0, 1)} &&
               engine->GetConfigDBType(5) == 1;
    }
    const std::string header = std::string("RS\x05", 3);
    const std::string rec = U16(0x0001) + U16(10) + I32(3) + I32(7) + U16(0xFFFF);
};

TEST_F(CraftedFileTest, WellFormedBodyLoads) {
    EXPECT_TRUE(Load(header + '\x01' + '\x04' + U16(1) + rec));
    EXPECT_EQ(Content(5), std::vector<unsigned long>{Gmpid(5, 4, 0, 1)});
}

TEST_F(CraftedFileTest, CountsBeyondTheContentAreRefused) {
    EXPECT_FALSE(Load(header + '\x02' + '\x04' + U16(1) + rec));  // one group missing
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(2) + rec));  // one record missing
    EXPECT_FALSE(Load(header + '\x7F' + '\x04' + U16(1) + rec));
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(0x7FFF) + rec));
    EXPECT_TRUE(Untouched());
}

TEST_F(CraftedFileTest, MissingEndMarkOrBrokenVariantIsRefused) {
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(1) + U16(1) + U16(10) + I32(3) + I32(7)));
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(1) + U16(1) + U16(10) + I32(8) + U16(0xFFFF)));
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(1) + U16(1) + U16(10) + I32(7) + I32(100) +
                      U16(0xFFFF)));
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(1) + U16(1) + U16(10) + I32(0) + '\x02' +
                      U16(0xFFFF)));  // a bool must be 0 or 1
    EXPECT_TRUE(Untouched());
}

TEST_F(CraftedFileTest, BytesAfterTheLastGroupAreRefused) {
    EXPECT_FALSE(Load(header + '\x01' + '\x04' + U16(1) + rec + '\x00'));
    EXPECT_FALSE(Load(header + '\x00' + '\x04' + U16(1) + rec));
    EXPECT_TRUE(Untouched());
}

TEST_F(CraftedFileTest, NegativeCountsReadNothing) {
    EXPECT_TRUE(Load(header + '\x80'));
    EXPECT_TRUE(Content(5).empty());
    EXPECT_TRUE(Load(header + '\x01' + '\x04' + U16(0x8000)));
    EXPECT_TRUE(Content(5).empty());
}

TEST_F(CraftedFileTest, TooShortOrForeignHeadersAreRefused) {
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load("RS"));
    EXPECT_FALSE(Load(header));
    EXPECT_FALSE(Load(std::string("SR\x05\x00", 4)));
    EXPECT_TRUE(Untouched());
}

TEST_F(CraftedFileTest, DuplicateRecordsKeepTheFirst) {
    std::string second = U16(0x0001) + U16(11) + I32(3) + I32(8) + U16(0xFFFF);
    EXPECT_TRUE(Load(header + '\x01' + '\x04' + U16(2) + rec + second));
    CZARVMPInfo* info = engine->GetMPInfo(Gmpid(5, 4, 0, 1));
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->IsExist(10));
    EXPECT_FALSE(info->IsExist(11));
}

class SaveLimitTest : public DbFileTest {
protected:
    void SetUp() override {
        DbFileTest::SetUp();
        ASSERT_TRUE(engine->CreateConfigDB(5, 1));
        ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 1))));
        ASSERT_TRUE(engine->SaveToFile(5, dir.path().c_str(), "1.0"));
        old = ReadAll(path);
    }
    bool Save() { return engine->SaveToFile(5, dir.path().c_str(), "1.0"); }
    void ExpectOldFile() {
        EXPECT_EQ(ReadAll(path), old);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rs5.dat"});
    }

    std::string path = dir.File("rs5.dat");
    std::string old;
};

TEST_F(SaveLimitTest, AtMost127Groups) {
    for (unsigned g = 1; g < 127; ++g) ASSERT_TRUE(Insert(Record(Gmpid(5, g, 0, 0))));
    ASSERT_TRUE(Save());  // 127 groups
    old = ReadAll(path);
    ASSERT_TRUE(Insert(Record(Gmpid(5, 200, 0, 0))));
    EXPECT_FALSE(Save());
    ExpectOldFile();
    TestEngine other;
    ASSERT_TRUE(other.LoadFromFile(5, path.c_str(), "1.0", 1));
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(other.ListMPInfo(5, 126, out), 1);
}

TEST_F(SaveLimitTest, AtMost32767RecordsPerGroup) {
    for (unsigned i = 0; i < 32767; ++i)
        ASSERT_TRUE(Insert(Record(Gmpid(5, 1, i / 4096, i % 4096))));
    ASSERT_TRUE(Save());
    old = ReadAll(path);
    TestEngine other;
    ASSERT_TRUE(other.LoadFromFile(5, path.c_str(), "1.0", 1));
    CZARVDataSet<CZARVMPInfo> out;
    EXPECT_EQ(other.ListMPInfo(5, 1, out), 32767);
    ASSERT_TRUE(Insert(Record(Gmpid(5, 1, 7, 4095))));
    EXPECT_FALSE(Save());
    ExpectOldFile();
}

TEST_F(SaveLimitTest, NoPropertyCodeMayEqualTheEndMark) {
    RecordPtr info = Record(Gmpid(5, 0, 0, 2));
    ASSERT_TRUE(info->InsertMPProp(0x3FFF, Var(1L), 3));
    ASSERT_TRUE(engine->InsertMPInfo(info.get()));
    EXPECT_FALSE(Save());
    EXPECT_FALSE(engine->SaveToTemplate(5, dir.File("t.bin").c_str(), "1.0"));
    ExpectOldFile();
    info->SetMPProp(0x3FFF, Var(1L), 2);  // another valid type is a code like any other
    EXPECT_TRUE(Save());
}

TEST_F(SaveLimitTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
    ASSERT_TRUE(Insert(Record(Gmpid(5, 0, 0, 2), {{10, "new"}})));
    for (auto step : {FailingFileOps::kCreate, FailingFileOps::kWrite, FailingFileOps::kSync,
                      FailingFileOps::kClose, FailingFileOps::kRename}) {
        SCOPED_TRACE(static_cast<int>(step));
        FailingFileOps ops(step);
        EXPECT_FALSE(Save());
        ExpectOldFile();
    }
    EXPECT_TRUE(Save());
    EXPECT_NE(ReadAll(path), old);
}

}  // namespace
