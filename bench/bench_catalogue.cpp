// Catalogue benchmarks: the meta property table file of 20 000 records.
#include <benchmark/benchmark.h>

#include "bench/bench_fixture.h"

namespace {

void BM_MetaPropTblLoad(benchmark::State& state) {
    std::string path = bench::WriteMetaTable(static_cast<size_t>(state.range(0)), "meta.xml");
    for (auto _ : state) {
        auto* table = new CZARVMetaPropTbl;
        benchmark::DoNotOptimize(table->LoadFromFile(path.c_str()));
        table->Release();
    }
}
BENCHMARK(BM_MetaPropTblLoad)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_MetaPropTblSave(benchmark::State& state) {
    std::string path = bench::WriteMetaTable(static_cast<size_t>(state.range(0)), "meta.xml");
    auto* table = new CZARVMetaPropTbl(path.c_str());
    std::string out = bench::ScratchDir() + "/meta-out.xml";
    for (auto _ : state) benchmark::DoNotOptimize(table->SaveToFile(out.c_str(), "1.0", "UTF-8"));
    table->Release();
}
BENCHMARK(BM_MetaPropTblSave)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
