// CZARVGRPData: the value of a group point, an ordered list of variants.
//
// A group value travels through the live-value database as one text
// (ToStream) and is read back from it (FromStream). The text is
//
//     "G" <count> "|" { <kind> ":" <payload> ";" } * count
//
// with <count> and <kind> in decimal and <payload> by kind (see _zarvVAR):
//     -1 empty     nothing
//      0 bool      "1" or "0"
//      1..4, 20, 21 integers   decimal
//      5 float     the shortest decimal text that reads back to the same
//                  float ("0.1", "1e+30", "inf", "-inf", "nan")
//      6 double    likewise for the double
//      7 text      <byte length> ":" <the bytes unchanged>
// for example "G3|3:12;7:5:a;b|c;-1:;". Texts are length-prefixed, so any
// byte but NUL (which the variant's text cannot hold) survives the round trip.
//
// FromStream is strict: a wrong prefix, a count that does not match the
// items, an unknown kind, a number out of its kind's range, a length running
// past the end or anything after the last item makes it return false and
// leave the data exactly as it was.
#ifndef ZARVKERNEL_GRP_DATA_H_
#define ZARVKERNEL_GRP_DATA_H_

#include <cstddef>
#include <vector>

#include "host/zarvkernel/zarvkernel_export.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

class ZARVKERNEL_API CZARVGRPData {
public:
    // The most values a group may hold; FromStream refuses larger counts and
    // SetAt refuses indexes at or beyond it.
    static constexpr int kMaxValues = 65536;

    CZARVGRPData() = default;

    int GetCount() const { return static_cast<int>(m_values.size()); }
    bool empty() const { return m_values.empty(); }
    void Clear() { m_values.clear(); }

    // Appends a value; false when the group is full.
    bool Add(const _zarvVAR& value);
    // Copies value `index` into `out`; false (out untouched) when the index
    // is out of range.
    bool GetAt(int index, _zarvVAR& out) const;
    // Stores `value` at `index`, growing the group with empty values when
    // the index lies beyond its end. False for a negative index or one at or
    // beyond kMaxValues.
    bool SetAt(int index, const _zarvVAR& value);
    // Borrowed; null when out of range.
    const _zarvVAR* At(int index) const;

    // Renders the group as text into `out` (replacing its content) and
    // returns out's text.
    const char* ToStream(_zarv_str& out) const;
    // Parses a text written by ToStream. False, with the data unchanged, for
    // a null or malformed text.
    bool FromStream(const char* text);

    friend bool operator==(const CZARVGRPData& a, const CZARVGRPData& b) {
        return a.m_values == b.m_values;
    }

private:
    std::vector<_zarvVAR> m_values;
};

#endif  // ZARVKERNEL_GRP_DATA_H_
