#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/zarvkernel/grp_data.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;

class GRPDataTest : public ::testing::Test {
protected:
    // One value of every kind, extremes where they matter.
    static CZARVGRPData EveryKind() {
        CZARVGRPData d;
        for (const _zarvVAR& v :
             {_zarvVAR(), Var(true), Var(false), Var(short{-32768}),
              Var(static_cast<unsigned short>(65535)), Var(std::numeric_limits<int>::min()),
              Var(std::numeric_limits<unsigned int>::max()), Var(0.1f), Var(-1.0e-300),
              Var(1.0 / 3.0), Var(std::numeric_limits<double>::infinity()),
              Var(std::numeric_limits<long long>::min()),
              Var(std::numeric_limits<unsigned long long>::max()), _zarvVAR("plain"), _zarvVAR(""),
              _zarvVAR("semi;colon|pipe:colon G3|7:5:")})
            d.Add(v);
        return d;
    }
    static std::string Text(const CZARVGRPData& d) {
        _zarv_str s;
        return d.ToStream(s);
    }
};

TEST_F(GRPDataTest, EveryKindRoundTripsWithItsKindAndValue) {
    CZARVGRPData original = EveryKind();
    original.Add(Var(std::nan("")));
    original.Add(Var(std::numeric_limits<float>::quiet_NaN()));
    CZARVGRPData back;
    ASSERT_TRUE(back.FromStream(Text(original).c_str()));
    ASSERT_EQ(back.GetCount(), original.GetCount());
    const int n = original.GetCount();
    for (int i = 0; i < n - 2; ++i) {
        EXPECT_EQ(back.At(i)->GetType(), original.At(i)->GetType()) << i;
        EXPECT_EQ(*back.At(i), *original.At(i)) << i;
    }
    EXPECT_TRUE(std::isnan(back.At(n - 2)->GetDouble()));
    EXPECT_TRUE(std::isnan(back.At(n - 1)->GetFloat()));
    EXPECT_EQ(back.At(n - 1)->GetType(), _zarvVAR::VT_R4);
}

TEST_F(GRPDataTest, TextHasTheDocumentedFormatAndAnEmptyGroupRoundTrips) {
    CZARVGRPData d;
    EXPECT_EQ(Text(d), "G0|");
    d.Add(Var(12));
    d.Add(_zarvVAR("a;b|c"));
    d.Add(_zarvVAR());
    EXPECT_EQ(Text(d), "G3|3:12;7:5:a;b|c;-1:;");
    ASSERT_TRUE(d.FromStream("G0|"));
    EXPECT_EQ(d.GetCount(), 0);
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

TEST_F(GRPDataTest, MalformedTextsAreRefusedAndLeaveTheDataAlone) {
    CZARVGRPData d;
    d.Add(_zarvVAR("kept"));
    // One of each kind of fault: no text, a broken frame, a count that
    // disagrees or cannot be, an unknown kind, a value out of the kind's
    // range or not plainly written, a text length past the end.
    const char* bad[] = {nullptr,        "",           "X1|3:1;",     "G1|3:1",
                         "G1|3:1;junk",  "G2|3:1;",    "G1|3:1;3:2;", "G-1|",
                         "G65536|3:1;",  "G1|9:1;",    "G1|-1:x;",    "G1|0:2;",
                         "G1|1:40000;",  "G1|3:+1;",   "G1|6:abc;",   "G1|7:99:short;"};
    for (const char* text : bad) {
        EXPECT_FALSE(d.FromStream(text)) << (text ? text : "(null)");
        ASSERT_EQ(d.GetCount(), 1);
    }
    EXPECT_EQ(d.At(0)->ToString(), "kept");
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
