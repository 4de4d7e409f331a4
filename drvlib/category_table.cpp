#include "drvlib/internal/category_table.h"

namespace zarvqen {

namespace {

// Indexed by selector. The io bit order (di, do, ai, ao, count, eve) is not
// the selector order (ai, di, count, ao, do, eve).
constexpr CategoryInfo kCategories[] = {
    {nullptr, nullptr, 0, 0, 0},            // 0: bit 0 only
    {"ai", "ai", 900, 929, 3},              // 1
    {"di", "di", 900, 929, 1},              // 2
    {"count", "count", 900, 929, 5},        // 3
    {"ao", "ao", 900, 929, 4},              // 4
    {"do", "do", 900, 929, 2},              // 5
    {"eve", "eve", 900, 929, 6},            // 6
    {"sg", "sg", 900, 929, 12},             // 7
    {"cal", "cal", 900, 929, 13},           // 8
    {"msg", "msg", 900, 929, 14},           // 9
    {"protocol", "taskpar", 930, 959, -1},  // 10
    {"ied", "item", 960, 989, -1},          // 11
    {nullptr, nullptr, 0, 0, 15},           // 12: bit 15 only
};

constexpr int kRows = sizeof(kCategories) / sizeof(kCategories[0]);

bool TestBit(uint16_t io, int selector) {
    if (selector < 0 || selector >= kRows) return false;
    int bit = kCategories[selector].io_bit;
    return bit >= 0 && (io >> bit) & 1;
}

}  // namespace

const CategoryInfo* FindCategory(int selector) {
    if (selector < kFirstCategory || selector >= kFirstCategory + kCategoryCount) return nullptr;
    return &kCategories[selector];
}

bool NodeContains(uint16_t io, int selector) {
    if (selector == kSelAll) return (io & 0xFFFE) != 0;
    return TestBit(io, selector);
}

bool ServiceContains(uint16_t io, int selector) {
    if (selector == kSrvSelAll) return (io & 0xFFFE) != 0;
    if (selector < 0 || selector > 9) return false;
    return TestBit(io, selector);
}

}  // namespace zarvqen
