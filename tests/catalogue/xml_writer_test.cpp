#include <gtest/gtest.h>

#include <string>

#include "catalogue/internal/xml_catalogue.h"
#include "host/zarvlib/markup.h"

using zarvqen::CZARVXmlWriter;
using zarvqen::XmlLevel;

namespace {

// Every byte but NUL, which no XML file carries.
std::string EveryByte() {
    std::string text;
    for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
    return text;
}

// The writer writes the catalogue text itself: a file it writes must hold
// the bytes the document class saves for the same document, escapes,
// indentation, empty elements and text followed by elements included.
TEST(XmlWriterTest, WritesTheBytesTheDocumentSavesForTheSameDocument) {
    const std::string bytes = EveryByte();
    CMarkup doc;
    ASSERT_TRUE(doc.AddNode(CMarkup::MNT_PROCESSING_INSTRUCTION, "xml"));
    doc.AddAttrib("version", "1.0");
    doc.AddAttrib("encoding", bytes.c_str());
    CZARVXmlWriter writer;
    ASSERT_TRUE(writer.Declare("1.0", bytes.c_str()));

    ASSERT_TRUE(doc.AddElem("root") && doc.IntoElem());
    ASSERT_TRUE(writer.Add(XmlLevel::kMain, "root") && writer.IntoElem());
    ASSERT_TRUE(doc.AddElem("prop", bytes.c_str()));
    ASSERT_TRUE(writer.Add(XmlLevel::kMain, "prop", bytes));
    ASSERT_TRUE(doc.AddAttrib("par", bytes.c_str()) && doc.AddAttrib("valid", -7));
    ASSERT_TRUE(writer.SetAttrib(XmlLevel::kMain, "par", bytes) &&
                writer.SetAttrib(XmlLevel::kMain, "valid", -7));
    ASSERT_TRUE(doc.AddElem("mixed", "text") && doc.AddChildElem("inner"));
    ASSERT_TRUE(writer.Add(XmlLevel::kMain, "mixed", "text") &&
                writer.Add(XmlLevel::kChild, "inner"));
    ASSERT_TRUE(doc.IntoElem() && doc.AddChildElem("deep", "d") && doc.OutOfElem());
    ASSERT_TRUE(writer.IntoElem() && writer.Add(XmlLevel::kChild, "deep", "d") &&
                writer.OutOfElem());
    ASSERT_TRUE(doc.AddElem("empty"));
    ASSERT_TRUE(writer.Add(XmlLevel::kMain, "empty"));
    // A name set again keeps its place and takes the later value.
    ASSERT_TRUE(doc.AddAttrib("a", "1") && doc.AddAttrib("b", "2") && doc.AddAttrib("a", "&333"));
    ASSERT_TRUE(writer.SetAttrib(XmlLevel::kMain, "a", "1") &&
                writer.SetAttrib(XmlLevel::kMain, "b", "2") &&
                writer.SetAttrib(XmlLevel::kMain, "a", "&333"));

    EXPECT_EQ(writer.Finish(), doc.GetDoc());
}

// What the document would take but a text written in order cannot: the
// writer refuses it and spoils the save instead of writing another file.
TEST(XmlWriterTest, RefusesWhatTheDocumentRefusesAndALateAttributeSpoilsTheSave) {
    CZARVXmlWriter writer;
    EXPECT_FALSE(writer.Add(XmlLevel::kChild, "child"));  // no main element
    EXPECT_FALSE(writer.Add(XmlLevel::kMain, "not a name"));
    ASSERT_TRUE(writer.Add(XmlLevel::kMain, "root"));
    EXPECT_FALSE(writer.Add(XmlLevel::kMain, "second"));  // one top-level element
    EXPECT_FALSE(writer.Spoilt());
    ASSERT_TRUE(writer.Add(XmlLevel::kChild, "child"));
    EXPECT_FALSE(writer.SetAttrib(XmlLevel::kMain, "late", "x"));
    EXPECT_TRUE(writer.Spoilt());
}

}  // namespace
