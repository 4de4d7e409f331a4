#include "meta/value_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace zarvqen;

namespace {

_zarvVAR FromText(int32_t kind, const char* text) {
    _zarvVAR v;
    ValueFromText(kind, text, v);
    return v;
}

}  // namespace

TEST(ValueTextTest, DecimalRuleReadsLikeAtoi) {
    EXPECT_EQ(ReadDecimal("42"), 42);
    EXPECT_EQ(ReadDecimal(" \t\n-12abc"), -12);
    EXPECT_EQ(ReadDecimal("+7"), 7);
    EXPECT_EQ(ReadDecimal("1 2"), 1);
    EXPECT_EQ(ReadDecimal("--5"), 0);
    EXPECT_EQ(ReadDecimal("abc"), 0);
    EXPECT_EQ(ReadDecimal(""), 0);
    EXPECT_EQ(ReadDecimal(nullptr), 0);
}

TEST(ValueTextTest, DecimalRuleClampsBeyondThirtyTwoBits) {
    EXPECT_EQ(ReadDecimal("2147483647"), INT32_MAX);
    EXPECT_EQ(ReadDecimal("2147483648"), INT32_MAX);
    EXPECT_EQ(ReadDecimal("4294967295"), INT32_MAX);
    EXPECT_EQ(ReadDecimal("-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadDecimal("-2147483649"), INT32_MIN);
    EXPECT_EQ(ReadDecimal("99999999999999999999999999999999"), INT32_MAX);
}

TEST(ValueTextTest, Low16KeepsTheLowBitsUnsigned) {
    EXPECT_EQ(ReadLow16("70000"), 4464);
    EXPECT_EQ(ReadLow16("-1"), 65535);
    EXPECT_EQ(ReadLow16("65536"), 0);
}

TEST(ValueTextTest, BoolIsTrueOnlyForTheTwoSpellings) {
    EXPECT_TRUE(FromText(0, "true").GetBool());
    EXPECT_TRUE(FromText(0, "TRUE").GetBool());
    for (const char* text : {"True", "1", "yes", " true", "", "false"}) {
        _zarvVAR v = FromText(0, text);
        EXPECT_EQ(v.GetType(), _zarvVAR::VT_BOOL) << text;
        EXPECT_FALSE(v.GetBool()) << text;
    }
}

TEST(ValueTextTest, SixteenBitKindsKeepTheLowBits) {
    _zarvVAR s = FromText(1, "65536");
    EXPECT_EQ(s.GetType(), _zarvVAR::VT_I2);
    EXPECT_EQ(static_cast<short>(s), 0);
    EXPECT_EQ(static_cast<short>(FromText(1, "70000")), 4464);
    EXPECT_EQ(static_cast<short>(FromText(1, "40000")), -25536);
    _zarvVAR u = FromText(2, "-1");
    EXPECT_EQ(u.GetType(), _zarvVAR::VT_UI2);
    EXPECT_EQ(u.GetBits(), 65535u);
}

TEST(ValueTextTest, ThirtyTwoBitKinds) {
    _zarvVAR l = FromText(3, "-123456");
    EXPECT_EQ(l.GetType(), _zarvVAR::VT_I4);
    EXPECT_EQ(static_cast<long>(l), -123456);
    _zarvVAR big = FromText(4, "3000000000");
    EXPECT_EQ(big.GetType(), _zarvVAR::VT_UI4);
    EXPECT_EQ(big.GetBits(), 2147483647u);
    EXPECT_EQ(FromText(4, "-1").GetBits(), 4294967295u);
}

TEST(ValueTextTest, FloatingKinds) {
    _zarvVAR f = FromText(5, "0.1");
    EXPECT_EQ(f.GetType(), _zarvVAR::VT_R4);
    EXPECT_EQ(f.GetFloat(), 0.1f);
    _zarvVAR d = FromText(6, "0.1");
    EXPECT_EQ(d.GetType(), _zarvVAR::VT_R8);
    EXPECT_EQ(d.GetDouble(), 0.1);
    EXPECT_EQ(FromText(6, "x1").GetDouble(), 0.0);
    EXPECT_EQ(FromText(6, "-2.5e3tail").GetDouble(), -2500.0);
}

TEST(ValueTextTest, FloatBeyondItsRangeBecomesInfinityNotUndefined) {
    EXPECT_EQ(NarrowToFloat(1e300), HUGE_VALF);
    EXPECT_EQ(NarrowToFloat(-1e300), -HUGE_VALF);
    EXPECT_EQ(NarrowToFloat(FLT_MAX), FLT_MAX);
    EXPECT_TRUE(std::isnan(NarrowToFloat(NAN)));
    // The largest float survives its own text, which reads slightly above it.
    _zarvVAR max;
    max = FLT_MAX;
    EXPECT_EQ(FromText(5, ValueToText(max).c_str()).GetFloat(), FLT_MAX);
}

TEST(ValueTextTest, TextKindKeepsTheTextWhole) {
    _zarvVAR t = FromText(7, " a,b <&> \xC3\xA9 ");
    EXPECT_EQ(t.GetType(), _zarvVAR::VT_STR);
    EXPECT_STREQ(t.GetText(), " a,b <&> \xC3\xA9 ");
    EXPECT_STREQ(FromText(7, nullptr).GetText(), "");
}

TEST(ValueTextTest, KindsOutsideZeroToSevenGiveAnEmptyValue) {
    for (int32_t kind : {8, 9, 20, 21, -1, INT32_MIN}) {
        _zarvVAR v;
        v = 5L;
        EXPECT_FALSE(ValueFromText(kind, "5", v)) << kind;
        EXPECT_TRUE(v.IsEmpty()) << kind;
        EXPECT_FALSE(IsTextKind(kind)) << kind;
    }
    EXPECT_TRUE(ValueFromKindText("4294967295", "5").IsEmpty());
    EXPECT_EQ(ValueFromKindText(" 3", "5").GetType(), _zarvVAR::VT_I4);
}

TEST(ValueTextTest, KindAndValueTextWritesTheKindUnsigned) {
    _zarvVAR v;
    EXPECT_EQ(KindAndValueText(v), "4294967295,");
    v = static_cast<short>(-3);
    EXPECT_EQ(KindAndValueText(v), "1,-3");
    v = true;
    EXPECT_EQ(KindAndValueText(v), "0,true");
}

TEST(ValueTextTest, CommaPiecesMustComeInTheExactNumber) {
    std::vector<_zarv_str> pieces;
    ASSERT_TRUE(SplitCommaPieces("a,b,,c", 4, pieces));
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_STREQ(pieces[2].c_str(), "");
    EXPECT_STREQ(pieces[3].c_str(), "c");
    EXPECT_TRUE(SplitCommaPieces(",", 2, pieces));
    EXPECT_FALSE(SplitCommaPieces("a,b", 3, pieces));
    EXPECT_FALSE(SplitCommaPieces("a,b,c,d", 3, pieces));
    // An empty text has no piece at all, as the splitter counts.
    EXPECT_TRUE(SplitCommaPieces("", 0, pieces));
    EXPECT_FALSE(SplitCommaPieces("", 1, pieces));
    EXPECT_FALSE(SplitCommaPieces(nullptr, 1, pieces));
    EXPECT_FALSE(SplitCommaPieces(std::string(1 << 20, ',').c_str(), 5, pieces));
}
