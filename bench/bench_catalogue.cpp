// Catalogue benchmarks: the meta property table file of 20 000 records.
#include <benchmark/benchmark.h>

#include "bench/bench_fixture.h"

namespace {

std::string WriteMetaTable(size_t n) {
    std::string path = bench::ScratchDir() + "/meta.xml";
    auto* table = new CZARVMetaPropTbl;
    for (size_t i = 1; i <= n; ++i) {
        _zarvVAR v;
        v = static_cast<double>(i) / 3;
        auto* prop = new CZARVMetaProp(static_cast<unsigned short>(i),
                                       ("property " + std::to_string(i)).c_str(), v,
                                       CZARVMetaProp::METAINPUTTYPE(1), "parameter", "description",
                                       CZARVMetaProp::METAVALIDTYPE(i % 4));
        table->InsertMetaProp(prop);
        prop->Release();
    }
    table->SaveToFile(path.c_str(), "1.0", "UTF-8");
    table->Release();
    return path;
}

void BM_MetaPropTblLoad(benchmark::State& state) {
    std::string path = WriteMetaTable(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        auto* table = new CZARVMetaPropTbl;
        benchmark::DoNotOptimize(table->LoadFromFile(path.c_str()));
        table->Release();
    }
}
BENCHMARK(BM_MetaPropTblLoad)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_MetaPropTblSave(benchmark::State& state) {
    std::string path = WriteMetaTable(static_cast<size_t>(state.range(0)));
    auto* table = new CZARVMetaPropTbl(path.c_str());
    std::string out = bench::ScratchDir() + "/meta-out.xml";
    for (auto _ : state) benchmark::DoNotOptimize(table->SaveToFile(out.c_str(), "1.0", "UTF-8"));
    table->Release();
}
BENCHMARK(BM_MetaPropTblSave)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
