#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/zarvkernel/grp_data.h"

namespace {

class GRPDataTest : public ::testing::Test {
protected:
    static _zarvVAR Var(auto v) {
        _zarvVAR x;
        x = v;
        return x;
    }

    // One value of every kind, extremes where they matter.
    static CZARVGRPData EveryKind() {
        CZARVGRPData d;
        d.Add(_zarvVAR());
        d.Add(Var(true));
        d.Add(Var(false));
        d.Add(Var(static_cast<short>(-32768)));
        d.Add(Var(static_cast<unsigned short>(65535)));
        d.Add(Var(std::numeric_limits<int>::min()));
        d.Add(Var(std::numeric_limits<unsigned int>::max()));
        d.Add(Var(0.1f));
        d.Add(Var(-1.0e-300));
        d.Add(Var(1.0 / 3.0));
        d.Add(Var(std::numeric_limits<double>::infinity()));
        d.Add(Var(std::numeric_limits<long long>::min()));
        d.Add(Var(std::numeric_limits<unsigned long long>::max()));
        d.Add(_zarvVAR("plain"));
        d.Add(_zarvVAR(""));
        d.Add(_zarvVAR("semi;colon|pipe:colon G3|7:5:"));
        return d;
    }

    static std::string Text(const CZARVGRPData& d) {
        _zarv_str s;
        return d.ToStream(s);
    }
};

TEST_F(GRPDataTest, EveryKindRoundTripsWithItsKindAndValue) {
    const CZARVGRPData original = EveryKind();
    CZARVGRPData back;
    ASSERT_TRUE(back.FromStream(Text(original).c_str()));
    ASSERT_EQ(back.GetCount(), original.GetCount());
    for (int i = 0; i < original.GetCount(); ++i) {
        EXPECT_EQ(back.At(i)->GetType(), original.At(i)->GetType()) << i;
        EXPECT_EQ(*back.At(i), *original.At(i)) << i;
    }
}

TEST_F(GRPDataTest, NotANumberRoundTripsAsNotANumber) {
    CZARVGRPData d;
    d.Add(Var(std::nan("")));
    d.Add(Var(std::numeric_limits<float>::quiet_NaN()));
    CZARVGRPData back;
    ASSERT_TRUE(back.FromStream(Text(d).c_str()));
    EXPECT_TRUE(std::isnan(back.At(0)->GetDouble()));
    EXPECT_TRUE(std::isnan(back.At(1)->GetFloat()));
    EXPECT_EQ(back.At(1)->GetType(), _zarvVAR::VT_R4);
}

TEST_F(GRPDataTest, EmptyGroupRoundTrips) {
    CZARVGRPData d;
    EXPECT_EQ(Text(d), "G0|");
    CZARVGRPData back = EveryKind();
    ASSERT_TRUE(back.FromStream("G0|"));
    EXPECT_EQ(back.GetCount(), 0);
}

TEST_F(GRPDataTest, TextIsDocumentedFormat) {
    CZARVGRPData d;
    d.Add(Var(12));
    d.Add(_zarvVAR("a;b|c"));
    d.Add(_zarvVAR());
    EXPECT_EQ(Text(d), "G3|3:12;7:5:a;b|c;-1:;");
}

TEST_F(GRPDataTest, EveryTruncationIsRefusedAndLeavesTheDataAlone) {
    const std::string text = Text(EveryKind());
    CZARVGRPData d;
    d.Add(_zarvVAR("kept"));
    for (size_t len = 0; len < text.size(); ++len) {
        ASSERT_FALSE(d.FromStream(text.substr(0, len).c_str())) << len;
        ASSERT_EQ(d.GetCount(), 1);
        ASSERT_EQ(d.At(0)->ToString(), "kept");
    }
}

TEST_F(GRPDataTest, MalformedTextsAreRefused) {
    CZARVGRPData d;
    d.Add(_zarvVAR("kept"));
    const char* bad[] = {
        nullptr,
        "",
        "G",
        "X1|3:1;",
        "G1|3:1;junk",          // trailing bytes
        "G2|3:1;",              // fewer items than counted
        "G1|3:1;3:2;",          // more items than counted
        "G-1|",                 // negative count
        "G99999999999|",        // absurd count
        "G70000|",              // above the group limit
        "G1|9:1;",              // unknown kind
        "G1|1:40000;",          // out of range for 16 bits
        "G1|2:-1;",             // negative unsigned
        "G1|4:4294967296;",     // out of range for 32 bits
        "G1|0:2;",              // bool is 0 or 1
        "G1|3: 1;",             // no spaces
        "G1|3:+1;",             // no plus sign
        "G1|3:1",               // unterminated
        "G1|7:99:short;",       // length past the end
        "G1|7:-1:x;",           // negative length
        "G1|6:abc;",            // no number
        "G1|-1:x;",             // empty kind with a payload
    };
    for (const char* text : bad) {
        EXPECT_FALSE(d.FromStream(text)) << (text ? text : "(null)");
        ASSERT_EQ(d.GetCount(), 1);
    }
    EXPECT_EQ(d.At(0)->ToString(), "kept");
}

TEST_F(GRPDataTest, HugeCountWithShortTextDoesNotAllocateForTheCount) {
    CZARVGRPData d;
    EXPECT_FALSE(d.FromStream("G65536|3:1;"));
    EXPECT_EQ(d.GetCount(), 0);
}

TEST_F(GRPDataTest, SetAtGrowsWithEmptyValuesWithinTheLimit) {
    CZARVGRPData d;
    EXPECT_TRUE(d.SetAt(3, Var(1)));
    EXPECT_EQ(d.GetCount(), 4);
    EXPECT_TRUE(d.At(1)->IsEmpty());
    EXPECT_FALSE(d.SetAt(-1, Var(1)));
    EXPECT_FALSE(d.SetAt(CZARVGRPData::kMaxValues, Var(1)));
    _zarvVAR out("untouched");
    EXPECT_FALSE(d.GetAt(4, out));
    EXPECT_EQ(out.ToString(), "untouched");
}

}  // namespace
