#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/markup.h"
#include "support/temp_dir.h"

namespace {

// A declaration, a root and one empty child.
void Declared(CMarkup& doc) {
    ASSERT_TRUE(doc.AddNode(CMarkup::MNT_PROCESSING_INSTRUCTION, "xml"));
    doc.AddAttrib("version", "1.0");
    doc.AddAttrib("encoding", "GB2312");
    ASSERT_TRUE(doc.AddElem("root"));
    doc.AddChildElem("b");
}

TEST(MarkupTest, HostileTextsRoundTrip) {
    const std::string hostile =
        "q\"uo'te & amp; <tag> ]]> \t tab\nline\r\nCRLF \xC3\xA9 \xE4\xB8\xAD \xFF\xFE raw";
    CMarkup doc;
    ASSERT_NO_FATAL_FAILURE(Declared(doc));
    ASSERT_TRUE(doc.AddAttrib("a", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildElem("child", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildAttrib("c", hostile.c_str()));
    ASSERT_TRUE(doc.AddChildElem("space", "   "));
    TempDir dir;
    ASSERT_TRUE(doc.Save(dir.File("h.xml").c_str()));

    CMarkup back;
    ASSERT_TRUE(back.Load(dir.File("h.xml").c_str()));
    ASSERT_TRUE(back.FindElem("root"));
    EXPECT_EQ(back.GetAttrib("a").str(), hostile);
    ASSERT_TRUE(back.FindChildElem("child"));
    EXPECT_EQ(back.GetChildData().str(), hostile);
    EXPECT_EQ(back.GetChildAttrib("c").str(), hostile);
    ASSERT_TRUE(back.FindChildElem("space"));
    EXPECT_EQ(back.GetChildData().str(), "   ");
}

TEST(MarkupTest, SavesTheExactDeclarationAndRefusesInvalidNamesAndASecondRoot) {
    CMarkup doc;
    ASSERT_NO_FATAL_FAILURE(Declared(doc));
    EXPECT_EQ(doc.GetDoc(),
              "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<root>\n  <b />\n</root>\n");
    for (const char* bad : {"", "1abc", "a b", "a<b"}) EXPECT_FALSE(doc.AddChildElem(bad)) << bad;
    EXPECT_FALSE(doc.AddElem("second_root"));
    EXPECT_TRUE(doc.AddChildElem("\xE4\xB8\xAD"));  // non-ASCII names are names
}

TEST(MarkupTest, NavigatesLevelsAndAFailedFindKeepsThePosition) {
    CMarkup doc("<?xml version=\"1.0\"?><r><a n=\"1\"><x/><y>why</y></a><b/><a n=\"2\"/></r>");
    ASSERT_TRUE(doc.FindElem());  // the declaration is no element
    EXPECT_EQ(doc.GetTagName(), "r");
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("a"));
    ASSERT_TRUE(doc.FindChildElem("y"));
    EXPECT_EQ(doc.GetChildData(), "why");
    ASSERT_TRUE(doc.FindElem("a"));
    EXPECT_FALSE(doc.FindElem("a"));
    EXPECT_EQ(doc.GetAttrib("n"), "2");
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_FALSE(doc.OutOfElem());
}

TEST(MarkupTest, BadOrTooDeepDocumentsAreRefusedWholeWithNoPartialDocument) {
    TempDir dir;
    CMarkup doc;
    const std::string path = dir.File("bad.xml");
    // A reference to the NUL character would cut the text.
    for (const char* text : {"", "<a><b></a>", "<a/><b/>", "<a x='1' x='2'/>", "\xEF\xBB\xBF",
                             "<r>a&#x0000;b</r>", "<r a=\"x&#00;y\"/>"}) {
        WriteAll(path, text);
        EXPECT_FALSE(doc.Load(path.c_str())) << text;
        EXPECT_FALSE(doc.FindElem()) << text;
        EXPECT_FALSE(doc.SetDoc(text)) << text;
        EXPECT_FALSE(doc.FindElem()) << text;
    }
    // Where references are not decoded, the same spelling is plain text.
    ASSERT_TRUE(doc.SetDoc("<r><![CDATA[&#0;]]><!-- &#0; --></r>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_STREQ(doc.GetData().c_str(), "&#0;");

    std::string open, close;
    for (int i = 0; i < 200000; ++i) open += "<a>", close += "</a>";
    EXPECT_FALSE(doc.SetDoc((open + close).c_str()));
    EXPECT_FALSE(doc.FindElem());
}

// The document keeps its own text: what the caller passed may change or go.
TEST(MarkupTest, TextsAndAttributesOutliveTheCallersText) {
    CMarkup doc;
    {
        std::string text = "<r a='attribute'>data of the element</r>";
        ASSERT_TRUE(doc.SetDoc(text.c_str()));
        text.assign(text.size(), '#');
    }
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_STREQ(doc.DataText(), "data of the element");
    EXPECT_STREQ(doc.AttribText("a"), "attribute");
    EXPECT_EQ(doc.GetLine(), 1);
}

// A parse error says what and where; XML reads CR LF and a lone CR as one
// line end each, so lines count the same for every convention.
TEST(MarkupTest, AParseErrorNamesItsFaultWithTheLineAndColumnForEveryLineEnd) {
    struct Case {
        std::string text;
        std::string why;
        int line, column;
    };
    std::string deep;
    for (int i = 0; i < 300; ++i) deep = "<a>" + deep + "</a>";
    const Case cases[] = {
        {"<r/>\r<r/>", "a second root element", 2, 2},
        {"<r>\r\n<x a='1' a='2'/>\r\n</r>", "element <x> repeats the attribute \"a\"", 2, 2},
        {"<r>\n" + deep + "</r>", "elements nest deeper than 256 levels", 2, 770},
        {"<r>\r\r<b></r>", "", 3, 0},  // the parser's own reason
        // Line ends right after names, which the parser overwrites in its text.
        {"<r\nx='1'>\n<b\ny='2'>\n</r>", "", 5, 0},
    };
    CMarkup doc;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        EXPECT_FALSE(doc.SetDoc(c.text.data(), c.text.size()));
        const CMarkup::ParseError& error = doc.GetParseError();
        if (!c.why.empty()) {
            EXPECT_EQ(error.description, c.why);
        }
        EXPECT_FALSE(error.description.empty());
        EXPECT_EQ(error.line, c.line);
        if (c.column > 0) {
            EXPECT_EQ(error.column, c.column);
        }
    }
    // The end tag on line 4 closes <c>'s parent: the parser stops at its name.
    EXPECT_FALSE(doc.SetDoc("<a>\n<b/>\n<c>\n</a>"));
    EXPECT_EQ(doc.GetParseError().offset, 15);
    EXPECT_EQ(doc.GetParseError().column, 3);
    // Lines of a loaded document count lone CRs too; a success clears the error.
    ASSERT_TRUE(doc.SetDoc("<r>\r<a/>\r\n<b/>\n</r>"));
    EXPECT_TRUE(doc.GetParseError().description.empty());
    ASSERT_TRUE(doc.FindElem("r") && doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("b"));
    EXPECT_EQ(doc.GetLine(), 3);
}

}  // namespace
