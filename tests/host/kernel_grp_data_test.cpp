#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/zarvkernel/grp_data.h"
#include "kernel_test_util.h"

namespace {

using kernel_test::Var;

std::string Text(const CZARVGRPData& d) {
    _zarv_str s;
    return d.ToStream(s);
}

TEST(GRPDataTest, KindsRoundTripThroughTheGroupText) {
    CZARVGRPData d;
    EXPECT_EQ(Text(d), "G0|");
    d.Add(Var(12));
    d.Add(_zarvVAR("a;b|c"));
    d.Add(_zarvVAR());
    EXPECT_EQ(Text(d), "G3|3:12;7:5:a;b|c;-1:;");
    for (const _zarvVAR& v :
         {Var(true), Var(short{-32768}), Var(std::numeric_limits<unsigned>::max()), Var(0.1f),
          Var(1.0 / 3.0), Var(std::numeric_limits<long long>::min()),
          Var(std::numeric_limits<unsigned long long>::max()), _zarvVAR("")})
        d.Add(v);
    d.Add(Var(std::nan("")));
    CZARVGRPData back;
    ASSERT_TRUE(back.FromStream(Text(d).c_str()));
    ASSERT_EQ(back.GetCount(), d.GetCount());
    for (int i = 0; i + 1 < d.GetCount(); ++i) {
        EXPECT_EQ(back.At(i)->GetType(), d.At(i)->GetType()) << i;
        EXPECT_EQ(*back.At(i), *d.At(i)) << i;
    }
    EXPECT_TRUE(std::isnan(back.At(d.GetCount() - 1)->GetDouble()));
}

TEST(GRPDataTest, TruncatedOrMalformedTextsAreRefusedAndLeaveTheDataAlone) {
    CZARVGRPData d;
    d.Add(_zarvVAR("kept"));
    const std::string good = "G3|3:12;7:5:a;b|c;5:0.5;";
    ASSERT_TRUE(CZARVGRPData().FromStream(good.c_str()));
    // Cuts at frame, kind and text boundaries; then one of each fault: a
    // broken frame, a count that disagrees or cannot be, an unknown kind, a
    // value out of range or not plainly written, a length past the end.
    for (size_t len : {0, 2, 3, 5, 8, 15, 23})
        EXPECT_FALSE(d.FromStream(good.substr(0, len).c_str())) << len;
    for (const char* text :
         {static_cast<const char*>(nullptr), "X1|3:1;", "G1|3:1;junk", "G2|3:1;", "G-1|",
          "G65536|3:1;", "G1|9:1;", "G1|1:40000;", "G1|3:+1;", "G1|7:99:short;"})
        EXPECT_FALSE(d.FromStream(text)) << (text ? text : "(null)");
    ASSERT_EQ(d.GetCount(), 1);
    EXPECT_EQ(d.At(0)->ToString(), "kept");
}

}  // namespace
