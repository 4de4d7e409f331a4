#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/zarv_str.h"

namespace {

std::vector<std::string> Pieces(const std::vector<_zarv_str>& v) {
    std::vector<std::string> out;
    for (const auto& s : v) out.push_back(s.str());
    return out;
}

TEST(ZarvStrTest, ConstructionAppendAndFormatFromItself) {
    EXPECT_EQ(_zarv_str("abcdef", 0), "abcdef");
    EXPECT_EQ(_zarv_str("abcdef", 3), "abc");
    EXPECT_EQ(_zarv_str(static_cast<const char*>(nullptr)), "");
    _zarv_str s("n=");
    s << -42L;
    s += ",";
    s += _zarv_str("x");
    EXPECT_STREQ(static_cast<const char*>(s), "n=-42,x");
    s = "abc";
    s.Format("%s-%s-%d", s.c_str(), static_cast<const char*>(s), 7);
    EXPECT_EQ(s, "abc-abc-7");
    s.Format("%s", "");
    EXPECT_TRUE(s.empty());
}

TEST(ZarvStrTest, TrimAndCut) {
    _zarv_str trimmed("a.b.c///"), all("////"), first("a.b.c"), last("a.b.c"), none("abc");
    trimmed.TrimRight('/');
    all.TrimRight('/');
    EXPECT_EQ(first.DeleteAfterIncluding("."), 1);
    EXPECT_NE(last.DeleteAfterLastIncluding("."), 0);
    EXPECT_EQ(none.DeleteAfterIncluding("."), 0);
    EXPECT_EQ(Pieces({trimmed, all, first, last, none}),
              (std::vector<std::string>{"a.b.c", "", "a", "a.b", "abc"}));
}

TEST(ZarvStrTest, SplittingCountsEmptyPiecesAndReplacesTheOutput) {
    std::vector<_zarv_str> out{"stale"};
    EXPECT_EQ(SplitStrByComma("a,,b", out), 3);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitStrByComma("7,", out), 2);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"7", ""}));
    EXPECT_EQ(SplitStrByComma(",", out), 2);
    EXPECT_EQ(SplitStrByComma("", out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(SplitStrByComma(nullptr, out), 0);
    EXPECT_EQ(SplitStrByChar("x;y", ';', out), 2);
    EXPECT_EQ(SplitStrByStr("a::b::::c", "::", out), 4);
    EXPECT_EQ(Pieces(out), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitStrByStr("abc", "", out), 1);
}

TEST(ZarvStrTest, DJBHashKnownValues) {
    EXPECT_EQ(DJBHash(""), 5381u);
    EXPECT_EQ(DJBHash(static_cast<const char*>(nullptr)), 5381u);
    EXPECT_EQ(DJBHash("abc"), 193485963u);
    EXPECT_EQ(DJBHash("\xff"), 5381u * 33 + 255);  // bytes are unsigned
}

}  // namespace
