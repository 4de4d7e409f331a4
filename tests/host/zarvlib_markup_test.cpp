#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/markup.h"
#include "support/temp_dir.h"

namespace {

class MarkupTest : public ::testing::Test {
protected:
    // A document that starts with the declaration of `encoding`.
    static void Declare(CMarkup& doc, const char* encoding) {
        ASSERT_TRUE(doc.AddNode(CMarkup::MNT_PROCESSING_INSTRUCTION, "xml"));
        doc.AddAttrib("version", "1.0");
        doc.AddAttrib("encoding", encoding);
    }

    TempDir dir;
};

TEST_F(MarkupTest, TextHasTheExactDeclarationNoMarkAndOneElementPerLine) {
    CMarkup doc;
    Declare(doc, "GB2312");
    doc.AddElem("root");
    doc.AddChildElem("a", "1");
    doc.AddChildElem("b");
    EXPECT_EQ(
        doc.GetDoc(),
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<root>\n  <a>1</a>\n  <b />\n</root>\n");
}

TEST_F(MarkupTest, HostileTextsSurviveSaveAndLoad) {
    const std::string hostile =
        "q\"uo'te & amp; <tag> ]]> \t tab\nline\r\nCRLF \xC3\xA9 \xE4\xB8\xAD \xFF\xFE raw";
    CMarkup doc;
    Declare(doc, "ISO-8859-1");
    ASSERT_TRUE(doc.AddElem("root", hostile.c_str()));
    ASSERT_TRUE(doc.AddAttrib("a", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildElem("child", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildAttrib("b", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildElem("space", "   "));
    const std::string path = dir.File("h.xml");
    ASSERT_TRUE(doc.Save(path.c_str()));

    CMarkup back;
    ASSERT_TRUE(back.Load(path.c_str()));
    ASSERT_TRUE(back.FindElem("root"));
    EXPECT_EQ(back.GetAttrib("a").str(), hostile);
    ASSERT_TRUE(back.FindChildElem("child"));
    EXPECT_EQ(back.GetChildData().str(), hostile);
    EXPECT_EQ(back.GetChildAttrib("b").str(), hostile);
    ASSERT_TRUE(back.FindChildElem("space"));
    EXPECT_EQ(back.GetChildData().str(), "   ");
}

TEST_F(MarkupTest, RefusesInvalidNamesAndASecondRoot) {
    CMarkup doc;
    for (const char* bad : {"", "1abc", "a b", "a<b", "-x", "a&b", "a\"b"})
        EXPECT_FALSE(doc.AddElem(bad)) << bad;
    EXPECT_FALSE(doc.AddElem(nullptr));
    EXPECT_TRUE(doc.AddElem("root"));
    EXPECT_FALSE(doc.AddElem("second_root"));
    EXPECT_FALSE(doc.AddChildElem("has space"));
    EXPECT_TRUE(doc.AddChildElem("_ok-1.x"));
    EXPECT_TRUE(doc.AddChildElem("\xE4\xB8\xAD"));  // non-ASCII names are names
    EXPECT_EQ(doc.GetDoc().find("has space"), std::string::npos);
}

TEST_F(MarkupTest, NavigatesLevelsAndAFailedFindKeepsThePosition) {
    CMarkup doc("<?xml version=\"1.0\"?><r><a n=\"1\"><x/><y>why</y></a><b/><a n=\"2\"/></r>");
    ASSERT_TRUE(doc.FindElem());  // the declaration is no element
    EXPECT_EQ(doc.GetTagName(), "r");
    EXPECT_FALSE(doc.FindElem());
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("a"));
    EXPECT_EQ(doc.GetAttrib("n"), "1");
    EXPECT_EQ(doc.GetAttrib("missing"), "");
    ASSERT_TRUE(doc.FindChildElem("y"));
    EXPECT_EQ(doc.GetChildData(), "why");
    EXPECT_EQ(doc.GetChildTagName(), "y");
    ASSERT_TRUE(doc.FindElem("a"));
    EXPECT_FALSE(doc.FindElem("a"));
    EXPECT_EQ(doc.GetAttrib("n"), "2");

    doc.x_SetPos(doc.GetParentPos(), nullptr, nullptr);
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttrib("n"), "1");
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_EQ(doc.GetTagName(), "r");
    EXPECT_FALSE(doc.OutOfElem());
}

TEST_F(MarkupTest, BadDocumentsAreRefusedWholeWithNoPartialDocument) {
    CMarkup doc;
    EXPECT_FALSE(doc.Load(dir.File("missing.xml").c_str()));
    EXPECT_FALSE(doc.FindElem());
    const std::string path = dir.File("bad.xml");
    const char* bad[] = {"", "not xml at all", "<a><b></a>", "<a>", "<a/><b/>", "text<a/>",
                         "<a x='1' x='2'/>", "\xEF\xBB\xBF",
                         // A reference to the NUL character would cut the text.
                         "<r>&#0;\xA0\n</r>", "<r>a&#x0000;b</r>", "<r a=\"x&#00;y\"/>",
                         "<?xml version=\"1.0&#0;\"?><r/>"};
    for (const char* text : bad) {
        WriteAll(path, text);
        EXPECT_FALSE(doc.Load(path.c_str())) << text;
        EXPECT_FALSE(doc.FindElem()) << text;
        EXPECT_FALSE(doc.IsWellFormed());
        EXPECT_FALSE(doc.SetDoc(text)) << text;
        EXPECT_FALSE(doc.FindElem()) << text;
    }
    // Where references are not decoded, the same spelling is plain text.
    ASSERT_TRUE(doc.SetDoc("<r><![CDATA[&#0;]]><!-- &#0; --><?pi &#0;?></r>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_STREQ(doc.GetData().c_str(), "&#0;");
    EXPECT_TRUE(doc.SetDoc("<r a=\"&#10;&#x30;\">&#48;</r>"));
}

TEST_F(MarkupTest, DeepNestingIsRefusedNotOverflowed) {
    const auto nested = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) open += "<a>", close += "</a>";
        return open + close;
    };
    CMarkup doc;
    EXPECT_FALSE(doc.SetDoc(nested(200000).c_str()));
    EXPECT_FALSE(doc.FindElem());
    EXPECT_TRUE(doc.SetDoc(nested(100).c_str()));
}

TEST_F(MarkupTest, ReportsLinesOfLoadedElements) {
    CMarkup doc("<r>\n<a/>\n\n<b/>\n</r>");
    doc.FindElem("r");
    EXPECT_EQ(doc.GetLine(), 1);
    doc.FindChildElem("b");
    EXPECT_EQ(doc.GetChildLine(), 4);
}

}  // namespace
