#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "host/zarvlib/zarv_var.h"

namespace {

TEST(ZarvVarTest, EmptyByDefaultAndAfterClear) {
    _zarvVAR v;
    EXPECT_EQ(v.GetType(), -1);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.ToString(), "");
    v = 5;
    v.Clear();
    EXPECT_EQ(v.GetType(), _zarvVAR::VT_EMPTY);
}

TEST(ZarvVarTest, KindCodesFollowTheAssignedType) {
    _zarvVAR v;
    v = true;
    EXPECT_EQ(v.GetType(), 0);
    v = static_cast<short>(-3);
    EXPECT_EQ(v.GetType(), 1);
    v = static_cast<unsigned short>(3);
    EXPECT_EQ(v.GetType(), 2);
    v = 7L;
    EXPECT_EQ(v.GetType(), 3);
    v = 7UL;
    EXPECT_EQ(v.GetType(), 4);
    v = 1.5f;
    EXPECT_EQ(v.GetType(), 5);
    v = 1.5;
    EXPECT_EQ(v.GetType(), 6);
    v = "x";
    EXPECT_EQ(v.GetType(), 7);
    v = 1LL;
    EXPECT_EQ(v.GetType(), _zarvVAR::VT_I8);
    v = 1ULL;
    EXPECT_EQ(v.GetType(), _zarvVAR::VT_UI8);
    EXPECT_TRUE(_zarvVAR::VT_I8 < -1 || _zarvVAR::VT_I8 > 7);
    EXPECT_TRUE(_zarvVAR::VT_UI8 < -1 || _zarvVAR::VT_UI8 > 7);
}

TEST(ZarvVarTest, LongKeepsItsLow32Bits) {
    _zarvVAR v;
    v = 0x123456789L;
    EXPECT_EQ(v.GetType(), 3);
    EXPECT_EQ(static_cast<long>(v), 0x23456789L);
    v = 0xFFFFFFFFFFUL;
    EXPECT_EQ(v.GetType(), 4);
    EXPECT_EQ(v.ToString(), "4294967295");
    v = -1L;
    EXPECT_EQ(v.ToString(), "-1");
}

TEST(ZarvVarTest, TextForms) {
    _zarvVAR v;
    v = true;
    EXPECT_EQ(v.ToString(), "true");
    v = false;
    EXPECT_EQ(v.ToString(), "false");
    v = static_cast<short>(-32768);
    EXPECT_EQ(v.ToString(), "-32768");
    v = static_cast<unsigned short>(65535);
    EXPECT_EQ(v.ToString(), "65535");
    v = -9223372036854775807LL - 1;
    EXPECT_EQ(v.ToString(), "-9223372036854775808");
    v = 18446744073709551615ULL;
    EXPECT_EQ(v.ToString(), "18446744073709551615");
    v = "a \"text\" & more";
    EXPECT_EQ(v.ToString(), "a \"text\" & more");
    EXPECT_EQ(static_cast<_zarv_str>(v), "a \"text\" & more");
}

TEST(ZarvVarTest, FloatTextReadsBackExactly) {
    const float floats[] = {0.1f, 1.0f / 3.0f, FLT_MIN, FLT_MAX, -123.456f, 1e-40f, 3.4e38f};
    for (float f : floats) {
        _zarvVAR v;
        v = f;
        EXPECT_EQ(static_cast<float>(std::atof(v.ToString().c_str())), f) << v.ToString();
    }
    const double doubles[] = {0.1, 1.0 / 3.0, DBL_MIN, DBL_MAX, -2.5e-300, 4.9e-324};
    for (double d : doubles) {
        _zarvVAR v;
        v = d;
        EXPECT_EQ(std::atof(v.ToString().c_str()), d) << v.ToString();
    }
}

TEST(ZarvVarTest, ConversionsFollowCRules) {
    _zarvVAR v;
    v = 70000L;
    EXPECT_EQ(static_cast<short>(v), static_cast<short>(70000));
    v = -2.9;
    EXPECT_EQ(static_cast<long>(v), -2);
    v = 1e300;  // out of range: saturates rather than undefined behaviour
    EXPECT_EQ(static_cast<long>(v), std::numeric_limits<long>::max());
    v = std::nan("");
    EXPECT_EQ(static_cast<long>(v), 0);
    v = "  42abc";
    EXPECT_EQ(static_cast<long>(v), 42);
    v = "abc";
    EXPECT_EQ(static_cast<long>(v), 0);
    v = true;
    EXPECT_EQ(static_cast<long>(v), 1);
    v = static_cast<unsigned short>(65535);
    EXPECT_EQ(static_cast<short>(v), -1);
}

TEST(ZarvVarTest, CopyMoveAndSelfAssignKeepTexts) {
    _zarvVAR a("hello");
    _zarvVAR b(a);
    EXPECT_EQ(b, a);
    _zarvVAR c(std::move(b));
    EXPECT_EQ(c.ToString(), "hello");
    EXPECT_TRUE(b.IsEmpty());
    c = c;
    EXPECT_EQ(c.ToString(), "hello");
    c = c.GetText();  // assigning the variant's own text
    EXPECT_EQ(c.ToString(), "hello");
    c = static_cast<const char*>(nullptr);
    EXPECT_EQ(c.GetType(), 7);
    EXPECT_EQ(c.ToString(), "");
}

TEST(ZarvVarTest, EqualityNeedsSameKindAndValue) {
    _zarvVAR a, b;
    a = 1L;
    b = 1UL;
    EXPECT_FALSE(a == b);
    b = 1L;
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(_zarvVAR() == _zarvVAR());
}

}  // namespace
