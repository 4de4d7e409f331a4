#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "host/zarvlib/zarv_var.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;

TEST(ZarvVarTest, KindAndTextFollowTheAssignedType) {
    const struct {
        _zarvVAR value;
        int kind;
        const char* text;
    } cases[] = {
        {_zarvVAR(), -1, ""},
        {Var(true), 0, "true"},
        {Var(false), 0, "false"},
        {Var(short{-32768}), 1, "-32768"},
        {Var(static_cast<unsigned short>(65535)), 2, "65535"},
        {Var(-1L), 3, "-1"},
        {Var(0x123456789L), 3, "591751049"},  // a long keeps its low 32 bits
        {Var(0xFFFFFFFFFFUL), 4, "4294967295"},
        {Var(1.5f), 5, "1.5"},
        {Var(1.5), 6, "1.5"},
        {_zarvVAR("a \"text\" & more"), 7, "a \"text\" & more"},
        {_zarvVAR(static_cast<const char*>(nullptr)), 7, ""},
        {Var(-9223372036854775807LL - 1), _zarvVAR::VT_I8, "-9223372036854775808"},
        {Var(18446744073709551615ULL), _zarvVAR::VT_UI8, "18446744073709551615"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.GetType(), c.kind) << c.text;
        EXPECT_EQ(c.value.ToString(), c.text);
    }
    _zarvVAR v = Var(5);
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
}

TEST(ZarvVarTest, FloatTextReadsBackExactly) {
    for (float f : {0.1f, 1.0f / 3.0f, FLT_MIN, FLT_MAX, -123.456f, 1e-40f}) {
        const _zarv_str text = Var(f).ToString();
        EXPECT_EQ(static_cast<float>(std::atof(text.c_str())), f) << text;
    }
    for (double d : {0.1, 1.0 / 3.0, DBL_MIN, DBL_MAX, -2.5e-300, 4.9e-324}) {
        const _zarv_str text = Var(d).ToString();
        EXPECT_EQ(std::atof(text.c_str()), d) << text;
    }
}

TEST(ZarvVarTest, ConversionsFollowCRulesAndSaturate) {
    const struct {
        _zarvVAR value;
        long asLong;
    } cases[] = {
        {Var(-2.9), -2},        {Var(1e300), std::numeric_limits<long>::max()},
        {Var(std::nan("")), 0}, {_zarvVAR("  42abc"), 42},
        {_zarvVAR("abc"), 0},   {Var(true), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<long>(c.value), c.asLong) << c.value.ToString();
    EXPECT_EQ(static_cast<short>(Var(70000L)), static_cast<short>(70000));
    EXPECT_EQ(static_cast<short>(Var(static_cast<unsigned short>(65535))), -1);
}

TEST(ZarvVarTest, CopyMoveAndSelfAssignKeepTexts) {
    _zarvVAR a("hello");
    _zarvVAR b(a);
    EXPECT_EQ(b, a);
    _zarvVAR c(std::move(b));
    EXPECT_EQ(c.ToString(), "hello");
    EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move)
    c = c;
    EXPECT_EQ(c.ToString(), "hello");
    c = c.GetText();  // assigning the variant's own text
    EXPECT_EQ(c.ToString(), "hello");
}

TEST(ZarvVarTest, EqualityNeedsSameKindAndValue) {
    EXPECT_FALSE(Var(1L) == Var(1UL));
    EXPECT_TRUE(Var(1L) == Var(1L));
    EXPECT_TRUE(_zarvVAR() == _zarvVAR());
}

}  // namespace
