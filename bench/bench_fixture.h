// Data shared by the benchmarks: installations of N points with ten
// properties each, IO-indexed in RID 200.
#ifndef BENCH_BENCH_FIXTURE_H_
#define BENCH_BENCH_FIXTURE_H_

#include <zarvqencore.h>

#include <string>
#include <vector>

namespace bench {

constexpr unsigned char kRid = 200;

// The GMPID of point `i` of RID 200: groups of 4096 points in 16 blocks.
unsigned long PointGMPID(size_t i);
// A new record of point `i` with ten properties, the IO address
// "COM<i/256>$<i%256>" among them.
CZARVMPInfo* NewPoint(size_t i);
// An engine holding `n` points in RID 200 (type 1).
CZARVQENDbEngine* NewEngine(size_t n);
// A folder for the benchmark's files, made once per process.
const std::string& ScratchDir();

}  // namespace bench

#endif  // BENCH_BENCH_FIXTURE_H_
