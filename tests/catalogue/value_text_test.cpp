#include "catalogue/internal/value_text.h"

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

TEST(ValueTextTest, DecimalRuleReadsLikeAtoiAndClampsBeyondThirtyTwoBits) {
    const std::pair<const char*, int32_t> cases[] = {{" \t\n-12abc", -12},
                                                     {"--5", 0},
                                                     {nullptr, 0},
                                                     {"2147483648", INT32_MAX},
                                                     {"-2147483649", INT32_MIN}};
    for (auto [text, value] : cases) EXPECT_EQ(ReadDecimal(text), value) << (text ? text : "null");
    EXPECT_EQ(ReadLow16("70000"), 4464);
}

// Each kind code reads its text into a value of that kind.
TEST(ValueTextTest, EachKindReadsItsTextAndFloatsNarrowWithoutUndefinedBehaviour) {
    const struct {
        int32_t kind;
        const char* text;
        int type;
        std::string shown;  // the value as text
    } cases[] = {
        {0, "True", _zarvVAR::VT_BOOL, "false"},            // only "true" and "TRUE" are true
        {1, "40000", _zarvVAR::VT_I2, "-25536"},            // sixteen bits keep the low bits
        {4, "3000000000", _zarvVAR::VT_UI4, "2147483647"},  // the decimal rule clamps
        {5, "0.1", _zarvVAR::VT_R4, ValueToText(FromText(5, "0.1"))},
        {6, "-2.5e3tail", _zarvVAR::VT_R8, "-2500"},
        {7, nullptr, _zarvVAR::VT_STR, ""},
    };
    for (const auto& c : cases) {
        _zarvVAR v = FromText(c.kind, c.text);
        EXPECT_EQ(v.GetType(), c.type) << c.kind << " " << (c.text ? c.text : "null");
        EXPECT_EQ(ValueToText(v), c.shown) << c.kind << " " << (c.text ? c.text : "null");
    }
    EXPECT_EQ(NarrowToFloat(1e300), HUGE_VALF);  // beyond its range: infinity, not undefined
    // The largest float survives its own text, which reads slightly above it.
    _zarvVAR max;
    max = FLT_MAX;
    EXPECT_EQ(FromText(5, ValueToText(max).c_str()).GetFloat(), FLT_MAX);
}

// The shortest text of 7.038531e-26f, read as a double and rounded to single
// precision, gives the next float up: the text written must survive that.
TEST(ValueTextTest, FloatTextReadsBackThroughTheDoubleAndTheSecondRounding) {
    for (float f : {7.038531e-26f, -7.038531e-26f, 0.1f}) {
        _zarvVAR v;
        v = f;
        EXPECT_EQ(FromText(5, ValueToText(v).c_str()).GetFloat(), f) << ValueToText(v);
    }
}

TEST(ValueTextTest, KindsOutsideZeroToSevenGiveAnEmptyValue) {
    for (int32_t kind : {8, -1}) {
        _zarvVAR v;
        v = 5L;
        EXPECT_FALSE(ValueFromText(kind, "5", v)) << kind;
        EXPECT_TRUE(v.IsEmpty()) << kind;
    }
    EXPECT_TRUE(ValueFromKindText("4294967295", "5").IsEmpty());
}

}  // namespace
