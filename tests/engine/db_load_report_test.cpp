// A database load with a reporter: it is told each record and property the
// load passes over and why a whole file is refused, with byte offsets, and
// it returns the same result and leaves the same content as a load without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/load_reporter.h"
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/raw_database.h"
#include "tests/support/temp_dir.h"

namespace {

struct Report {
    CZARVLoadReporter::Severity severity;
    long long offset;
    std::string text;
};

class Recorder : public CZARVLoadReporter {
public:
    void Report(Severity severity, const Where& where, const std::string& what) override {
        reports.push_back({severity, where.offset, what});
    }
    std::vector<::Report> reports;
};

// What a loaded database holds, point by point: GMPID, then each property's
// number and valid type and value text.
std::vector<std::string> Content(const CZARVQENDbEngine& engine, unsigned char rid) {
    std::vector<std::string> out;
    CZARVDataSet<CZARVMPInfo> all;
    for (int group = 0; group < 256; ++group)
        engine.ListMPInfo(rid, static_cast<unsigned char>(group), all);
    for (CZARVMPInfo* info : all) {
        out.push_back("gmpid " + std::to_string(info->GetGMPID()));
        for (int i = 0; i < info->GetMPPropCount(); ++i)
            out.push_back(std::to_string(info->GetMPPropIdAt(i)) + "/" +
                          std::to_string(info->GetMPTypeAt(i)) + " " +
                          info->GetMPPropAt(i).ToString());
    }
    return out;
}

class DbLoadReportTest : public EngineTest {
protected:
    // Loads the file into the engine without a reporter and into a second
    // engine with one; expects the same result and content from both.
    bool Load(unsigned char rid, int type) {
        engine->SetMetaProps(meta);
        bool plain = engine->LoadFromFile(rid, path.c_str(), nullptr, type);
        CZARVQENDbEngine reported;
        reported.SetMetaProps(meta);
        bool result = reported.LoadFromFile(rid, path.c_str(), nullptr, type, &recorder);
        EXPECT_EQ(result, plain) << "a reporter changed the load's result";
        EXPECT_EQ(Content(reported, rid), Content(*engine, rid))
            << "a reporter changed what the load stored";
        return result;
    }
    // The one problem reported; fails when there is not exactly one.
    Report OnlyProblem() const {
        std::vector<Report> problems;
        for (const Report& r : recorder.reports)
            if (r.severity == CZARVLoadReporter::kProblem) problems.push_back(r);
        EXPECT_EQ(problems.size(), 1u);
        return problems.empty() ? Report{CZARVLoadReporter::kNote, -2, ""} : problems.front();
    }
    // Points 1 and 2 of group 1, both with the IO address "a$b"; the
    // second starts at offset 33.
    bool WriteTwoPointsOfOneIOAddress() {
        RawDatabase raw(path, 200, 1);
        raw.Group(1, 2).Record(1).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
        raw.Record(2).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
        return raw.Close();
    }
    static bool Says(const Report& r, const std::string& part) {
        return r.text.find(part) != std::string::npos;
    }

    // Gives the loads a meta property table defining `id` with `valid`.
    void Define(unsigned short id, int valid) {
        if (!meta) meta = &table;
        auto prop = CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, "P", Var(0), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                              CZARVMetaProp::METAVALIDTYPE(valid)));
        ASSERT_TRUE(table.InsertMetaProp(prop.get()));
    }

    TempDir dir;
    std::string path = dir.File("rs200.dat");
    Recorder recorder;
    CZARVMetaPropTbl table;
    CZARVMetaPropTbl* meta = nullptr;  // given to the loads
};

// Offsets: the header takes 4 bytes and a group header 3, so the first
// record starts at 7; a record without properties takes 4 bytes; a property
// code 2, a text value 8 plus its length.

TEST_F(DbLoadReportTest, ASecondRecordOfAGmpidIsReportedAtItsOffsetWithTheFirstOnesOffset) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 2).Record(5).End().Record(5).End();
    ASSERT_TRUE(raw.Close());
    EXPECT_TRUE(Load(200, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 11);
    EXPECT_TRUE(Says(r, "point 0xC8010005 dropped: its GMPID is already stored (offset 7)"))
        << r.text;
}

TEST_F(DbLoadReportTest, APropertyNumberGivenTwiceIsReportedAtTheSecondCode) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 1).Record(5).Prop(3, 0, Var("ab")).Prop(3, 2, Var("cd")).End();
    ASSERT_TRUE(raw.Close());
    EXPECT_TRUE(Load(200, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 7 + 2 + 2 + 10);
    EXPECT_TRUE(Says(r, "property 3 given twice")) << r.text;
    EXPECT_TRUE(Says(r, "this value is dropped: cd (kind 7)")) << r.text;
}

TEST_F(DbLoadReportTest, ASecondPointOfAnIOAddressIsReportedWithThePointHoldingIt) {
    ASSERT_TRUE(WriteTwoPointsOfOneIOAddress());
    EXPECT_TRUE(Load(200, 1));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 7 + 26);
    EXPECT_TRUE(Says(r,
                     "point 0xC8010002 dropped: its IO address \"a$b\" is already indexed by "
                     "point 0xC8010001 (offset 7)"))
        << r.text;
}

TEST_F(DbLoadReportTest, AnInsertRefusedForItsIOAddressTellsTheReporterWhoHoldsIt) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 1));
    RecordPtr first = IORecord(Gmpid(200, 1, 0, 1), "a", "b");
    RecordPtr second = IORecord(Gmpid(200, 1, 0, 2), "a", "b");
    EXPECT_TRUE(engine->InsertMPInfo(first.get(), &recorder));
    EXPECT_TRUE(recorder.reports.empty());
    EXPECT_FALSE(engine->InsertMPInfo(second.get(), &recorder));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, -1);
    EXPECT_TRUE(Says(r,
                     "point 0xC8010002 refused: its IO address \"a$b\" is already indexed by "
                     "point 0xC8010001"))
        << r.text;
    EXPECT_EQ(engine->GetMPInfo(second->GetGMPID()), nullptr);
}

TEST_F(DbLoadReportTest, TheSameIOAddressTwiceInADatabaseWithoutIndexIsNoProblem) {
    ASSERT_TRUE(WriteTwoPointsOfOneIOAddress());
    EXPECT_TRUE(Load(200, 0));
    EXPECT_TRUE(recorder.reports.empty());
}

class DbLoadRefusalTest : public DbLoadReportTest {
protected:
    void SetUp() override {
        DbLoadReportTest::SetUp();
        RawDatabase raw(path, 200, 1);
        raw.Group(1, 1).Record(5).End();
        ASSERT_TRUE(raw.Close());
        bytes = ReadAll(path);
    }
    std::string bytes;
};

TEST_F(DbLoadRefusalTest, AChecksumMismatchIsReportedAtTheChecksum) {
    bytes[8] ^= 0x01;
    WriteAll(path, bytes);
    EXPECT_FALSE(Load(200, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, static_cast<long long>(bytes.size() - CZARVFile::kCrcBytes));
    EXPECT_TRUE(Says(r, "checksum mismatch")) << r.text;
}

TEST_F(DbLoadRefusalTest, AFileOfAnotherRidIsReportedAtItsRidByte) {
    EXPECT_FALSE(Load(201, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 2);
    EXPECT_TRUE(Says(r, "file of RID 200, not of RID 201")) << r.text;
}

TEST_F(DbLoadRefusalTest, AFileWithoutTheMagicBytesIsReportedAtItsStart) {
    WriteAll(path, "XS" + bytes.substr(2));
    EXPECT_FALSE(Load(200, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 0);
    EXPECT_TRUE(Says(r, "not a configuration database file")) << r.text;
}

TEST_F(DbLoadRefusalTest, AMissingFileIsReported) {
    path = dir.File("absent.dat");
    EXPECT_FALSE(Load(200, 0));
    EXPECT_TRUE(Says(OnlyProblem(), "cannot be opened")) << OnlyProblem().text;
}

TEST_F(DbLoadRefusalTest, BytesAfterTheLastGroupAreReportedWhereTheContentEnds) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 1).Record(5).End().Record(6);
    ASSERT_TRUE(raw.Close());
    EXPECT_FALSE(Load(200, 0));
    Report r = OnlyProblem();
    EXPECT_EQ(r.offset, 11);
    EXPECT_TRUE(Says(r, "bytes after the last group")) << r.text;
}

TEST_F(DbLoadRefusalTest, ARecordCountBeyondTheEndIsReported) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 100).Record(5).End();
    ASSERT_TRUE(raw.Close());
    EXPECT_FALSE(Load(200, 0));
    EXPECT_TRUE(Says(OnlyProblem(), "record count beyond the end")) << OnlyProblem().text;
}

TEST_F(DbLoadReportTest, ANegativeRecordCountIsANoteAtItsGroup) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 0xFFFF);
    ASSERT_TRUE(raw.Close());
    EXPECT_TRUE(Load(200, 0));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].severity, CZARVLoadReporter::kNote);
    EXPECT_EQ(recorder.reports[0].offset, 4);
    EXPECT_TRUE(Says(recorder.reports[0], "record count reads as -1")) << recorder.reports[0].text;
}

TEST_F(DbLoadReportTest, AFileThatLoadsWholeIsNotReportedOn) {
    ASSERT_TRUE(WriteTwoPointsOfOneIOAddress());
    Define(401, 1);
    Define(402, 2);
    EXPECT_TRUE(Load(200, 0));
    EXPECT_TRUE(recorder.reports.empty()) << recorder.reports.front().text;
}

// One record: property 401 stored with valid type 1 where the meta property
// table says 5, and property 7, which the table lacks.
class DbLoadMetaNoteTest : public DbLoadReportTest {
protected:
    void SetUp() override {
        DbLoadReportTest::SetUp();
        RawDatabase raw(path, 200, 1);
        raw.Group(1, 1).Record(5).Prop(401, 1, Var("a")).Prop(7, 2, Var("b")).End();
        ASSERT_TRUE(raw.Close());
        Define(401, 5);
        EXPECT_TRUE(Load(200, 0));
        EXPECT_EQ(recorder.reports.size(), 2u);  // the two notes below, nothing else
    }
    // The one report at `offset`; fails when there is not exactly one.
    Report OnlyAt(long long offset) const {
        std::vector<Report> at;
        for (const Report& r : recorder.reports)
            if (r.offset == offset) at.push_back(r);
        EXPECT_EQ(at.size(), 1u) << "at offset " << offset;
        return at.empty() ? Report{CZARVLoadReporter::kProblem, offset, ""} : at.front();
    }
};

TEST_F(DbLoadMetaNoteTest, AMetaValidTypeARecordCannotHoldIsANoteAndTheStoredOneKept) {
    const Report typed = OnlyAt(9);
    EXPECT_EQ(typed.severity, CZARVLoadReporter::kNote);
    EXPECT_TRUE(Says(typed,
                     "property 401: valid type 5 from the meta property table does not fit a "
                     "record (0 to 3); the stored valid type 1 is kept"))
        << typed.text;
    EXPECT_EQ(engine->GetMPInfo(0xC8010005)->MPType(401), 1);
}

TEST_F(DbLoadMetaNoteTest, NumbersTheTableLacksAreANote) {
    const Report unknown = OnlyAt(-1);
    EXPECT_EQ(unknown.severity, CZARVLoadReporter::kNote);
    EXPECT_TRUE(Says(unknown, "not in the meta property table, kept as stored: 7")) << unknown.text;
}

}  // namespace
