// Texts of every length around the inline/heap boundary of _zarvVAR, and
// texts set from the variant's own bytes.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "host/zarvlib/zarv_var.h"

TEST(ZarvVarText, EveryLengthSurvivesCopyMoveAndReassignment) {
    for (size_t len = 0; len <= 40; ++len) {
        SCOPED_TRACE(len);
        std::string text(len, 'a');
        for (size_t i = 0; i < len; ++i) text[i] = static_cast<char>('a' + i % 26);
        _zarvVAR v;
        v.SetText(text.data(), text.size());
        EXPECT_EQ(v.GetType(), _zarvVAR::VT_STR);
        EXPECT_EQ(v.GetTextLength(), len);
        EXPECT_EQ(v.ToString(), text);
        EXPECT_EQ(v.GetText()[len], '\0');
        _zarvVAR copy(v), moved(std::move(copy));
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_EQ(moved, v);
        for (size_t other : {size_t{3}, size_t{30}}) {  // short over long, long over short
            _zarvVAR w(std::string(other, 'z').c_str());
            w = v;
            EXPECT_EQ(w.ToString(), text);
            w = std::move(moved);
            EXPECT_EQ(w, v);
            moved = w;
        }
        moved = 42;  // a number over a text
        EXPECT_EQ(moved.GetType(), _zarvVAR::VT_I4);
        EXPECT_EQ(static_cast<int>(moved), 42);
    }
}

TEST(ZarvVarText, SetTextFromItsOwnBytesAndComparesByBytes) {
    for (std::string expected : {"0123456789", "0123456789abcdefghijklmnopqrstuvwxyz"}) {
        _zarvVAR v(expected.c_str());
        // A tail of itself, then a piece that crosses the inline limit.
        v.SetText(v.GetText() + 2, v.GetTextLength() - 2);
        EXPECT_EQ(v.ToString(), expected.substr(2));
        v.SetText(v.GetText() + 1, 5);
        EXPECT_EQ(v.ToString(), expected.substr(3, 5));
    }
    _zarvVAR shortText("abc"), longText("abcdefghijklmnopq"), withNul;
    EXPECT_FALSE(shortText == longText);
    longText.SetText(longText.GetText(), 3);
    EXPECT_TRUE(shortText == longText);
    withNul.SetText("ab\0c", 4);
    EXPECT_FALSE(withNul == _zarvVAR("ab"));
    EXPECT_EQ(withNul.GetTextLength(), 4u);
}
