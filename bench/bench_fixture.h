// Data shared by the benchmarks: installations of N points with ten
// properties each, IO-indexed in RID 200.
#ifndef BENCH_BENCH_FIXTURE_H_
#define BENCH_BENCH_FIXTURE_H_

#include <zarvqencore.h>

#include <string>
#include <vector>

namespace bench {

constexpr unsigned char kRid = 200;

// The GMPID of point `i` of RID 200: groups of 8192 points, 512 in each of
// their 16 blocks, from group 1 on (a million points fill 123 groups).
unsigned long PointGMPID(size_t i);
// A new record of point `i` with ten properties, the IO address
// "COM<i/256>$<i%256>" among them.
CZARVMPInfo* NewPoint(size_t i);
// An engine holding `n` points in RID 200 (type 1).
CZARVQENDbEngine* NewEngine(size_t n);
// Saves a meta property table of `n` records (IDs 1 to n, a number as
// initial value, both attributes) as `name` in ScratchDir(); its path.
std::string WriteMetaTable(size_t n, const char* name);
// A folder for the benchmark's files, made once per process and removed
// with its content when the process ends.
const std::string& ScratchDir();

}  // namespace bench

#endif  // BENCH_BENCH_FIXTURE_H_
