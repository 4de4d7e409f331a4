// zarvqen check on catalogue files: every element a loader passes over,
// drops or reads differently, with its line.
#include "tools/tool_test_util.h"

namespace {

class ToolCheckCatalogueTest : public ToolTest {
protected:
    // Runs check on `path` and expects exit status 1 and the given line.
    void ExpectProblem(const std::string& path, const std::string& line_text) {
        ToolRun run = Run({"check", path});
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_TRUE(Contains(run.out, line_text)) << "missing: " << line_text << "\n" << run.out;
    }
};

TEST_F(ToolCheckCatalogueTest, FilesTheLibraryWritesAreClean) {
    CZARVMetaPropTbl meta;
    CZARVPtr<CZARVMetaProp> p = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(401, "IO", Var(7.5), CZARVMetaProp::METAINPUTTYPE{}, "par", "desc",
                          static_cast<CZARVMetaProp::METAVALIDTYPE>(1)));
    meta.InsertMetaProp(p.get());
    ASSERT_TRUE(meta.SaveToFile(dir.File("meta.xml").c_str(), "1.0", "UTF-8"));
    CZARVDrvLib lib;
    auto drv = CZARVPtr<CZARVDrvNode>::Adopt(
        new CZARVDrvNode("F", "N", "mod", DRVTYPE{}, "1.0", nullptr, nullptr, nullptr, 8));
    auto ai = CZARVPtr<CZARVMetaProp>::Adopt(new CZARVMetaProp(905, "X", Var(true),
                                                               CZARVMetaProp::METAINPUTTYPE{}, "",
                                                               "", CZARVMetaProp::METAVALIDTYPE{}));
    drv->InsertMetaProp(ai.get(), CZARVDrvNode::CFG_AI);
    lib.InsertDrvNode(drv.get());
    ASSERT_TRUE(lib.SaveToFile(dir.File("lib.xml").c_str(), "1.0", "UTF-8"));
    ToolRun run = Run({"check", dir.File("meta.xml"), dir.File("lib.xml")});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Contains(run.out, "meta.xml: ok (meta property table)"));
    EXPECT_TRUE(Contains(run.out, "lib.xml: ok (driver library)"));
}

TEST_F(ToolCheckCatalogueTest, PropertyWithWrongFieldCountIsSkippedAtItsLine) {
    std::string path = Xml("m.xml",
                           "<meta>\n"
                           "  <prop>1,Name,7,,0</prop>\n"
                           "  <prop>2,Bad,name,7,x,0</prop>\n"
                           "</meta>\n");
    ExpectProblem(path, "m.xml:4: prop skipped: its text has 6 comma-separated fields");
}

TEST_F(ToolCheckCatalogueTest, UnknownValueKindDropsTheInitialValue) {
    std::string path = Xml("m.xml", "<meta>\n<prop>3,Val,9,abc,0</prop>\n</meta>");
    ExpectProblem(path, "m.xml:3: prop 3: unknown value kind \"9\"");
}

TEST_F(ToolCheckCatalogueTest, AnEmptyValueWrittenWithTheEmptyKindIsNoProblem) {
    CZARVMetaPropTbl meta;
    auto p = CZARVPtr<CZARVMetaProp>::Adopt(new CZARVMetaProp);
    p->SetID(6);
    p->SetMetaName("Empty");
    meta.InsertMetaProp(p.get());
    ASSERT_TRUE(meta.SaveToFile(dir.File("m.xml").c_str(), "1.0", "UTF-8"));
    EXPECT_EQ(Run({"check", dir.File("m.xml")}).status, 0);
}

TEST_F(ToolCheckCatalogueTest, DuplicateIdNamesTheLineOfTheFirst) {
    std::string path =
        Xml("m.xml", "<meta>\n<prop>1,A,7,,0</prop>\n<prop>1,B,7,,0</prop>\n</meta>");
    ExpectProblem(path, "m.xml:4: prop 1 dropped: its ID is already used on line 3");
}

TEST_F(ToolCheckCatalogueTest, ValueTextsThatReadAsSomethingElse) {
    std::string path = Xml("m.xml",
                           "<meta>\n"
                           "<prop>4,N,3,12abc,0</prop>\n"
                           "<prop>5,U,4,3000000000,0</prop>\n"
                           "<prop>6,B,0,True,0</prop>\n"
                           "<prop>70000,Big,7,,0</prop>\n"
                           "</meta>");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "m.xml:3: prop 4: long value \"12abc\" reads as 12"));
    EXPECT_TRUE(
        Contains(run.out, "m.xml:4: prop 5: ulong value \"3000000000\" reads as 2147483647"));
    EXPECT_TRUE(Contains(run.out, "m.xml:5: prop 6: bool value \"True\" reads as false"));
    EXPECT_TRUE(Contains(run.out, "m.xml:6: prop ID \"70000\" reads as 4464"));
}

TEST_F(ToolCheckCatalogueTest, ValidTypeBeyondTwoBitsIsReported) {
    std::string path = Xml("m.xml", "<meta>\n<prop valid=\"5\">3,V,7,,0</prop>\n</meta>");
    ExpectProblem(path, "m.xml:3: prop 3: valid type 5 does not fit");
}

TEST_F(ToolCheckCatalogueTest, OtherElementsArePassedOver) {
    std::string path = Xml("m.xml", "<meta>\n<note>x</note>\n</meta>");
    ExpectProblem(path, "m.xml:3: element <note> passed over");
}

TEST_F(ToolCheckCatalogueTest, NotWellFormedXmlIsAProblemWithItsLine) {
    WriteAll(dir.File("b.xml"), "<?xml version=\"1.0\"?>\n<meta>\n<prop>1,a,7,,0\n</meta>\n");
    ExpectProblem(dir.File("b.xml"), "not well-formed XML");
    ToolRun run = Run({"check", dir.File("b.xml")});
    EXPECT_TRUE(Contains(run.out, "b.xml:4: "));
}

TEST_F(ToolCheckCatalogueTest, DriverPropertyOutsideItsCategoryIsDropped) {
    std::string path = Xml("d.xml",
                           "<driverlib>\n"
                           "<metadrv module=\"m\">\n"
                           "<ai><prop>905,A,6,1.5,0</prop></ai>\n"
                           "<protocol><prop>905,C,6,1.5,0</prop></protocol>\n"
                           "<taskpar/>\n"
                           "</metadrv>\n"
                           "<metasrv module=\"s\"><par><prop>905,P,3,1,0</prop></par></metasrv>\n"
                           "</driverlib>");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out,
                         "d.xml:5: prop 905 of category 'protocol' of driver \"m\" dropped: "
                         "its meta numbers are 930 to 959"));
    EXPECT_TRUE(
        Contains(run.out, "d.xml:6: element <taskpar> passed over: not a category of driver"));
    EXPECT_TRUE(Contains(run.out, "d.xml:8: prop 905 of the parameters of service \"s\" dropped"));
    EXPECT_FALSE(Contains(run.out, "d.xml:4:"));
}

TEST_F(ToolCheckCatalogueTest, DriverDuplicatesOfMetaNumberAndModule) {
    std::string path = Xml("d.xml",
                           "<driverlib>\n"
                           "<metadrv module=\"m\"><ai>\n"
                           "<prop>900,A,3,1,0</prop>\n"
                           "<prop>900,B,3,2,0</prop>\n"
                           "</ai></metadrv>\n"
                           "<metadrv module=\"m\"/>\n"
                           "<metatask module=\"m\"/>\n"
                           "</driverlib>");
    ToolRun run = Run({"check", path});
    EXPECT_TRUE(Contains(run.out,
                         "d.xml:5: prop 900 of category 'ai' of driver \"m\" dropped: its "
                         "meta number is already used on line 4"));
    EXPECT_TRUE(Contains(run.out, "d.xml:7: driver \"m\" dropped with its properties"));
    EXPECT_FALSE(Contains(run.out, "d.xml:8:")) << "a task may share a driver's module";
}

TEST_F(ToolCheckCatalogueTest, DriverLibraryValidAttributeIsANoteOnly) {
    std::string path = Xml("d.xml",
                           "<driverlib><metadrv module=\"m\"><ai>"
                           "<prop valid=\"2\">900,A,3,1,0</prop></ai></metadrv></driverlib>");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Contains(run.out, "note: prop 900: the driver library ignores the \"valid\""));
    EXPECT_FALSE(Contains(Run({"check", "-q", path}).out, "note:"));
}

TEST_F(ToolCheckCatalogueTest, MetaTablesNeedTheirRootAndUniqueNames) {
    std::string wrong = Xml("w.xml", "<tables><T/></tables>");
    ToolRun refused = Run({"check", "--kind", "metatbl", wrong});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.out,
                         "w.xml:2: the root element is <tables>, not <metatbl>: the "
                         "library refuses the file"));
    std::string path = Xml("t.xml",
                           "<metatbl>\n"
                           "<T1>\n"
                           "<prop>F1,7,x,0</prop>\n"
                           "<prop>F1,3,1,0</prop>\n"
                           "<prop>F2,3</prop>\n"
                           "</T1>\n"
                           "<T1/>\n"
                           "</metatbl>");
    ToolRun run = Run({"check", path});
    EXPECT_TRUE(Contains(run.out, "t.xml:5: field \"F1\" of table <T1> dropped"));
    EXPECT_TRUE(Contains(run.out,
                         "t.xml:6: field skipped: its text has 2 comma-separated fields, a "
                         "table field needs 4"));
    EXPECT_TRUE(Contains(run.out, "t.xml:8: table <T1> dropped with its fields"));
}

TEST_F(ToolCheckCatalogueTest, TypedObjectsNeedTwoFields) {
    std::string path = Xml("o.xml",
                           "<typeobj>\n<prop>1,1|2|x</prop>\n<prop>2</prop>\n<prop>1,3</prop>\n"
                           "</typeobj>");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "o.xml:3: typed object 1: meta number \"x\" reads as 0"));
    EXPECT_TRUE(Contains(run.out, "o.xml:4: prop skipped: its text has 1 comma-separated fields"));
    EXPECT_TRUE(
        Contains(run.out, "o.xml:5: typed object 1 dropped: its ID is already used on line 3"));
}

TEST_F(ToolCheckCatalogueTest, PseudoValuesOfUnknownKindAreDropped) {
    std::string path = Xml("p.xml",
                           "<pseudos>\n"
                           "<pseudo id=\"1\">\n"
                           "<dat mtno=\"4\" vt=\"7\" val=\"kV\"/>\n"
                           "<dat mtno=\"5\" vt=\"9\" val=\"1\"/>\n"
                           "<dat mtno=\"4\" vt=\"7\" val=\"A\"/>\n"
                           "<dat mtno=\"6\" val=\"true\"/>\n"
                           "</pseudo>\n"
                           "<pseudo id=\"1\"/>\n"
                           "</pseudos>");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        Contains(run.out, "p.xml:5: pseudo 1, meta number 5: dropped, unknown value kind \"9\""));
    EXPECT_TRUE(Contains(run.out,
                         "p.xml:6: pseudo 1, meta number 4 dropped: its meta number is "
                         "already used on line 4"));
    EXPECT_TRUE(Contains(run.out, "p.xml:7: pseudo 1, meta number 6: dat without \"vt\""));
    EXPECT_TRUE(Contains(run.out, "p.xml:9: pseudo 1 dropped with its values"));
}

}  // namespace
