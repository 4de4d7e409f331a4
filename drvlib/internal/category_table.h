// The categories of driver and task nodes as data: for each selector the
// element tag of a driver and of a task, the meta numbers it accepts and the
// io-mask bit that Contains() tests. Every operation that takes a selector
// reads this table; nothing else knows the numbers.
#ifndef DRVLIB_CATEGORY_TABLE_H_
#define DRVLIB_CATEGORY_TABLE_H_

#include <cstdint>

namespace zarvqen {

struct CategoryInfo {
    const char* drv_tag;  // null: the selector has no property set
    const char* tsk_tag;
    uint16_t low;  // meta numbers accepted, both ends included
    uint16_t high;
    int io_bit;  // -1: no bit
};

// Selectors with a property set: 1 to 11.
constexpr int kFirstCategory = 1;
constexpr int kCategoryCount = 11;
// Selectors of driver and task nodes.
constexpr int kSelBit0 = 0;
constexpr int kSelBit15 = 12;
constexpr int kSelAll = 13;
// The service node's "all" selector; its 0 to 9 mean what they mean above.
constexpr int kSrvSelAll = 10;
// Meta numbers of service parameters.
constexpr uint16_t kParLow = 930;
constexpr uint16_t kParHigh = 959;

// The row of `selector`, or null when it has no property set.
const CategoryInfo* FindCategory(int selector);

// Contains() of driver and task nodes: the io bit of the selector; for
// "all" any bit but bit 0.
bool NodeContains(uint16_t io, int selector);
// Contains() of service nodes (selectors 0 to 9 and "all" = 10).
bool ServiceContains(uint16_t io, int selector);

}  // namespace zarvqen

#endif  // DRVLIB_CATEGORY_TABLE_H_
