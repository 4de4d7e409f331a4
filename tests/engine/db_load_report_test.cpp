// A database load with a reporter: it is told each record and property the
// load passes over and why a whole file is refused, with byte offsets, and
// it returns the same result and leaves the same content as a load without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/raw_database.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"

namespace {

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
    RecordingReporter recorder;
    CZARVMetaPropTbl table;
    CZARVMetaPropTbl* meta = nullptr;  // given to the loads
};

// Points 1 and 2 of group 1, both with the IO address "a$b"; the second
// starts at offset 33.
void TwoPointsOfOneIOAddress(RawDatabase& raw) {
    raw.Group(1, 2).Record(1).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
    raw.Record(2).Prop(401, 0, Var("a")).Prop(402, 0, Var("b")).End();
}
void OneEmptyRecord(RawDatabase& raw) { raw.Group(1, 1).Record(5).End(); }

// A crafted file of RID 200 (none without `body`; `flip`: a byte flipped
// after the write) and the one report of `severity` its load must give, at
// `offset` (kAnyOffset: not checked); without `says`, the load reports
// nothing.
// Offsets: the header takes 4 bytes and a group header 3, so the first
// record starts at 7; a record without properties takes 4 bytes; a property
// code 2, a text value 8 plus its length; the checksum follows the content.
constexpr long long kAnyOffset = -2;
struct ReportCase {
    const char* name;
    void (*body)(RawDatabase& raw);
    int flip;
    unsigned char rid;
    int type;
    bool loads;
    CZARVLoadReporter::Severity severity;
    long long offset;
    std::vector<std::string> says;
};

TEST_F(DbLoadReportTest, EachRecordPassedOverAndEachRefusalIsReportedOnceAtItsOffset) {
    constexpr auto kProblem = CZARVLoadReporter::kProblem;
    // clang-format off
    const ReportCase cases[] = {
        {"a second record of a GMPID, with the first one's offset",
         [](RawDatabase& raw) { raw.Group(1, 2).Record(5).End().Record(5).End(); }, -1, 200, 0,
         true, kProblem, 11, {"point 0xC8010005 dropped: its GMPID is already stored (offset 7)"}},
        {"a property number given twice, at the second code",
         [](RawDatabase& raw) {
             raw.Group(1, 1).Record(5).Prop(3, 0, Var("ab")).Prop(3, 2, Var("cd")).End();
         },
         -1, 200, 0, true, kProblem, 7 + 2 + 2 + 10,
         {"property 3 given twice", "this value is dropped: cd (kind 7)"}},
        {"a second point of an IO address, with the point holding it", TwoPointsOfOneIOAddress, -1,
         200, 1, true, kProblem, 7 + 26,
         {"point 0xC8010002 dropped: its IO address \"a$b\" is already indexed by point "
          "0xC8010001 (offset 7)"}},
        {"the same IO address twice without an index", TwoPointsOfOneIOAddress, -1, 200, 0, true,
         kProblem, kAnyOffset, {}},
        {"a checksum mismatch, at the checksum", OneEmptyRecord, 8, 200, 0, false, kProblem, 11,
         {"checksum mismatch"}},
        {"a file of another RID, at its RID byte", OneEmptyRecord, -1, 201, 0, false, kProblem, 2,
         {"file of RID 200, not of RID 201"}},
        {"no magic bytes, at the start", OneEmptyRecord, 0, 200, 0, false, kProblem, 0,
         {"not a configuration database file"}},
        {"a missing file", nullptr, -1, 200, 0, false, kProblem, kAnyOffset, {"cannot be opened"}},
        {"bytes after the last group, where the content ends",
         [](RawDatabase& raw) { raw.Group(1, 1).Record(5).End().Record(6); }, -1, 200, 0, false,
         kProblem, 11, {"bytes after the last group"}},
        {"a record count beyond the end",
         [](RawDatabase& raw) { raw.Group(1, 100).Record(5).End(); }, -1, 200, 0, false, kProblem,
         kAnyOffset, {"record count beyond the end"}},
        {"a negative record count, a note at its group",
         [](RawDatabase& raw) { raw.Group(1, 0xFFFF); }, -1, 200, 0, true,
         CZARVLoadReporter::kNote, 4, {"record count reads as -1"}},
    };
    // clang-format on
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine = CZARVPtr<TestEngine>::Adopt(new TestEngine());  // no content of a case before
        recorder.told.clear();
        path = dir.File(std::string("case") + std::to_string(&c - cases) + ".dat");
        if (c.body) {
            RawDatabase raw(path, 200, 1);
            c.body(raw);
            ASSERT_TRUE(raw.Close());
        }
        if (c.flip >= 0) {
            std::string bytes = ReadAll(path);
            bytes[c.flip] ^= 0x01;
            WriteAll(path, bytes);
        }
        EXPECT_EQ(Load(c.rid, c.type), c.loads);
        if (c.says.empty()) {
            EXPECT_TRUE(recorder.told.empty()) << recorder.told.front().what;
            continue;
        }
        // Notes may come with a problem (how many records were stored), but
        // no problem comes with a note.
        std::vector<Told> same, problems;
        for (const Told& t : recorder.told) {
            if (t.severity == c.severity) same.push_back(t);
            if (t.severity == kProblem) problems.push_back(t);
        }
        EXPECT_EQ(problems.size(), c.severity == kProblem ? 1u : 0u);
        if (same.size() != 1u) {
            ADD_FAILURE() << same.size() << " reports of the severity, not one";
            continue;
        }
        const Told& r = same.front();
        if (c.offset != kAnyOffset) {
            EXPECT_EQ(r.where.offset, c.offset);
        }
        for (const std::string& part : c.says) EXPECT_TRUE(r.Says(part)) << r.what;
    }
}

TEST_F(DbLoadReportTest, AnInsertRefusedForItsIOAddressTellsTheReporterWhoHoldsIt) {
    ASSERT_TRUE(engine->CreateConfigDB(200, 1));
    RecordPtr first = IORecord(Gmpid(200, 1, 0, 1), "a", "b");
    RecordPtr second = IORecord(Gmpid(200, 1, 0, 2), "a", "b");
    EXPECT_TRUE(engine->InsertMPInfo(first.get(), &recorder));
    EXPECT_TRUE(recorder.told.empty());
    EXPECT_FALSE(engine->InsertMPInfo(second.get(), &recorder));
    ASSERT_EQ(recorder.told.size(), 1u);
    const Told& r = recorder.told.front();
    EXPECT_EQ(r.severity, CZARVLoadReporter::kProblem);
    EXPECT_EQ(r.where.offset, -1);
    EXPECT_TRUE(
        r.Says("point 0xC8010002 refused: its IO address \"a$b\" is already indexed by "
               "point 0xC8010001"))
        << r.what;
    EXPECT_EQ(engine->GetMPInfo(second->GetGMPID()), nullptr);
}

// Property 401 stored with valid type 1 where the meta property table says
// 5 (a note, the stored type kept), 402 with a valid type the table's 2
// replaces (no note), and 7, which the table lacks (a note).
TEST_F(DbLoadReportTest, MetaValidTypesARecordCannotHoldAndNumbersTheTableLacksAreNotes) {
    RawDatabase raw(path, 200, 1);
    raw.Group(1, 1).Record(5).Prop(401, 1, Var("a")).Prop(402, 0, Var("b"));
    raw.Prop(7, 2, Var("c")).End();
    ASSERT_TRUE(raw.Close());
    Define(401, 5);
    Define(402, 2);
    EXPECT_TRUE(Load(200, 0));
    ASSERT_EQ(recorder.told.size(), 2u);
    const Told& typed = recorder.told[0];
    EXPECT_EQ(typed.severity, CZARVLoadReporter::kNote);
    EXPECT_EQ(typed.where.offset, 9);
    EXPECT_TRUE(typed.Says("property 401: valid type 5 from the meta property table does not fit"))
        << typed.what;
    EXPECT_EQ(engine->GetMPInfo(0xC8010005)->MPType(401), 1);
    const Told& unknown = recorder.told[1];
    EXPECT_EQ(unknown.severity, CZARVLoadReporter::kNote);
    EXPECT_EQ(unknown.where.offset, -1);
    EXPECT_TRUE(unknown.Says("not in the meta property table, kept as stored: 7")) << unknown.what;
}

}  // namespace
