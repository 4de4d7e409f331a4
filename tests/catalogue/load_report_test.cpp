// Catalogue loads with a reporter: each element a loader passes over,
// skips or drops is told with its line and why, a refused file with the
// parser's line and column, and the load answers and keeps exactly what it
// does without a reporter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_test_util.h"
#include "drvlib/drv_lib.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"
#include "support/recording_reporter.h"

namespace {

class LoadReportTest : public ::testing::Test {
protected:
    // Loads `body` (after the declaration, so its first line is line 2) into
    // a catalogue with a reporter and into another without one; both must
    // answer `loads` and save the same file. Returns what was told.
    template <class Catalogue>
    std::vector<Told> LoadBoth(const std::string& body, bool loads = true) {
        const std::string path = WriteXml(m_dir, body);
        Catalogue quiet, told;
        RecordingReporter recorder;
        EXPECT_EQ(quiet.LoadFromFile(path.c_str()), loads);
        EXPECT_EQ(told.LoadFromFile(path.c_str(), &recorder), loads);
        const std::string a = m_dir.File("quiet.xml"), b = m_dir.File("told.xml");
        quiet.SaveToFile(a.c_str(), "1.0", "UTF-8");
        told.SaveToFile(b.c_str(), "1.0", "UTF-8");
        EXPECT_EQ(ReadAll(a), ReadAll(b)) << "the reporter changed what the load keeps";
        return recorder.told;
    }

    TempDir m_dir;
};

// True when one finding of that severity on `line` holds `part`.
bool Has(const std::vector<Told>& told, CZARVLoadReporter::Severity severity, int line,
         const std::string& part) {
    for (const Told& t : told)
        if (t.severity == severity && t.where.line == line &&
            t.what.find(part) != std::string::npos)
            return true;
    return false;
}

struct Expected {
    CZARVLoadReporter::Severity severity;
    int line;
    const char* part;
};

// Each expected finding must have been told.
void ExpectTold(const std::vector<Told>& told, const std::vector<Expected>& expected) {
    for (const Expected& e : expected)
        EXPECT_TRUE(Has(told, e.severity, e.line, e.part))
            << "not told on line " << e.line << ": " << e.part;
}

std::string Listing(const std::vector<Told>& told) {
    std::string out;
    for (const Told& t : told)
        out += std::to_string(t.where.line) +
               (t.severity == CZARVLoadReporter::kNote ? " note: " : ": ") + t.what + "\n";
    return out;
}

constexpr auto kProblem = CZARVLoadReporter::kProblem;
constexpr auto kNote = CZARVLoadReporter::kNote;

TEST_F(LoadReportTest, MetaPropertyTableTellsSkipsDuplicatesAndTextsThatReadAsOthers) {
    auto told = LoadBoth<CZARVMetaPropTbl>(
        "<meta>\n"
        "<prop valid=\"9\">1,A,4,12abc,0</prop>\n"  // 3
        "<prop>1,B,7,x,0</prop>\n"                  // 4
        "<prop>2,C,7,a,b,0</prop>\n"                // 5
        "<other/>\n"                                // 6
        "<prop>70000,D,0,True,0</prop>\n"           // 7
        "<prop>3,E,9,7,0</prop>\n"                  // 8
        "<prop>16383,F,4,3000000000,0</prop>\n"     // 9
        "<prop>4,A,7,x,0</prop>\n"                  // 10
        "</meta>\n");
    SCOPED_TRACE(Listing(told));
    ExpectTold(told, {
                         {kProblem, 3, "ulong value \"12abc\" reads as 12"},
                         {kProblem, 3, "valid type 9 does not fit"},
                         {kProblem, 4, "prop 1 dropped: its ID is already used on line 3"},
                         {kProblem, 5, "prop skipped: its text has 6 comma-separated fields"},
                         {kProblem, 6, "element <other> passed over"},
                         {kProblem, 7, "prop ID \"70000\" reads as 4464"},
                         {kProblem, 7, "bool value \"True\" reads as false"},
                         {kProblem, 8, "unknown value kind \"9\""},
                         {kProblem, 9, "ulong value \"3000000000\" reads as 2147483647"},
                         {kNote, 9, "keeps property numbers up to 16382 only"},
                         {kNote, 10,
                          "prop 4: its meta name \"A\" is also that of prop 1 on line 3; a "
                          "lookup by name cannot tell them apart"},
                     });
}

TEST_F(LoadReportTest, MetaTablesTellSkippedFieldsAndSecondTablesAndFields) {
    auto told = LoadBoth<CZARVMetaTable>(
        "<metatbl>\n"
        "<t1>\n"                  // 3
        "<prop>A,3,1,0</prop>\n"  // 4
        "<prop>A,3,2,0</prop>\n"  // 5
        "<prop>B,3,1</prop>\n"    // 6
        "<x/>\n"                  // 7
        "</t1>\n"
        "<t1><prop>C,3,1,0</prop></t1>\n"  // 9
        "</metatbl>\n");
    SCOPED_TRACE(Listing(told));
    ExpectTold(
        told,
        {
            {kProblem, 5, "field \"A\" of table <t1> dropped: its name is already used on line 4"},
            {kProblem, 6, "field skipped: its text has 3 comma-separated fields"},
            {kProblem, 7, "element <x> passed over"},
            {kProblem, 9, "table <t1> dropped with its fields: its name is already used on line 3"},
        });
}

TEST_F(LoadReportTest, MetaTablesWithoutTheirRootAreRefusedAndSaySo) {
    auto told = LoadBoth<CZARVMetaTable>("<tables/>\n", false);
    SCOPED_TRACE(Listing(told));
    ExpectTold(told, {
                         {kProblem, 2, "the root element is <tables>, not <metatbl>"},
                     });
}

TEST_F(LoadReportTest, TypedObjectTableTellsFieldCountsIdsAndDuplicates) {
    auto told = LoadBoth<CZARVTypedObjTbl>(
        "<typeobj>\n"
        "<prop>1,401|402</prop>\n"  // 3
        "<prop>1,403</prop>\n"      // 4
        "<prop>2</prop>\n"          // 5
        "<prop>3,4x|5</prop>\n"     // 6
        "</typeobj>\n");
    SCOPED_TRACE(Listing(told));
    ExpectTold(told, {
                         {kProblem, 4, "typed object 1 dropped: its ID is already used on line 3"},
                         {kProblem, 5, "prop skipped: its text has 1 comma-separated field,"},
                         {kProblem, 6, "typed object 3: meta number \"4x\" reads as 4"},
                     });
}

TEST_F(LoadReportTest, DriverLibraryTellsCategoryRangesDuplicatesAndIgnoredValidAttributes) {
    auto told = LoadBoth<CZARVDrvLib>(
        "<driverlib>\n"
        "<metadrv module=\"m\">\n"                           // 3
        "<ai><prop valid=\"2\">905,A,6,1.5,0</prop></ai>\n"  // 4
        "<ai><prop>905,B,6,1.5,0</prop></ai>\n"              // 5
        "<protocol><prop>905,C,6,1.5,0</prop></protocol>\n"  // 6
        "<taskpar/>\n"                                       // 7
        "</metadrv>\n"
        "<metadrv module=\"m\"/>\n"                                              // 9
        "<metasrv module=\"s\"><par><prop>905,P,3,1,0</prop></par></metasrv>\n"  // 10
        "<junk/>\n"                                                              // 11
        "</driverlib>\n");
    SCOPED_TRACE(Listing(told));
    ExpectTold(
        told,
        {
            {kNote, 4, "the driver library ignores the \"valid\" attribute"},
            {kProblem, 5,
             "prop 905 of category 'ai' of driver \"m\" dropped: its meta number is already used "
             "on line 4"},
            {kProblem, 6, "dropped: its meta numbers are 930 to 959"},
            {kProblem, 7, "element <taskpar> passed over: not a category of driver \"m\""},
            {kProblem, 9,
             "driver \"m\" dropped with its properties: its module is already used on line 3"},
            {kProblem, 10, "prop 905 of the parameters of service \"s\" dropped"},
            {kProblem, 11, "element <junk> passed over"},
        });
}

TEST_F(LoadReportTest, PseudosTellUnknownKindsMissingAttributesAndDuplicates) {
    auto told = LoadBoth<CZARVPseudos>(
        "<pseudos>\n"
        "<pseudo id=\"1\">\n"                      // 3
        "<dat mtno=\"4\" vt=\"7\" val=\"kV\"/>\n"  // 4
        "<dat mtno=\"5\" vt=\"9\" val=\"1\"/>\n"   // 5
        "<dat mtno=\"4\" vt=\"7\" val=\"A\"/>\n"   // 6
        "<dat vt=\"3\" val=\"1\"/>\n"              // 7
        "</pseudo>\n"
        "<pseudo id=\"1\"/>\n"  // 9
        "</pseudos>\n");
    SCOPED_TRACE(Listing(told));
    ExpectTold(
        told,
        {
            {kProblem, 5, "pseudo 1, meta number 5: dropped, unknown value kind \"9\""},
            {kProblem, 6,
             "pseudo 1, meta number 4 dropped: its meta number is already used on line 4"},
            {kProblem, 7, "dat without \"mtno\" reads as meta number 0"},
            {kProblem, 9, "pseudo 1 dropped with its values: its ID is already used on line 3"},
        });
}

// Texts each kind reads as written: a negative long, a bool in capitals, a
// double with an exponent and any text.
TEST_F(LoadReportTest, CleanFileTellsNothing) {
    auto told = LoadBoth<CZARVMetaPropTbl>(
        "<meta>\n<prop valid=\"1\">1,A,3,-5,0</prop>\n<prop>2,B,0,FALSE,0</prop>\n"
        "<prop>3,C,6,1.5e3,0</prop>\n<prop>4,D,7,any text,0</prop>\n</meta>\n");
    EXPECT_TRUE(told.empty()) << Listing(told);
}

TEST_F(LoadReportTest, ParseErrorReachesTheReporterWithLineAndColumn) {
    auto told = LoadBoth<CZARVPseudos>("<pseudos>\n  <pseudo id=\"1\">\n</pseudos>\n", false);
    ASSERT_EQ(told.size(), 1u) << Listing(told);
    EXPECT_EQ(told[0].severity, kProblem);
    EXPECT_EQ(told[0].where.line, 4);
    EXPECT_EQ(told[0].where.column, 3);
    EXPECT_NE(told[0].what.find("not well-formed XML"), std::string::npos) << told[0].what;
}

}  // namespace
