// Engine benchmarks: inserts, file save and load, value access through the
// engine, IO lookups, identifier allocation and teardown.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/bench_fixture.h"

namespace {

using bench::NewEngine;
using bench::NewPoint;

void BM_InsertMPInfo(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<CZARVMPInfo*> points;
    for (auto _ : state) {
        state.PauseTiming();
        points.clear();
        for (size_t i = 0; i < n; ++i) points.push_back(NewPoint(i));
        auto* engine = new CZARVQENDbEngine("3.0");
        engine->CreateConfigDB(bench::kRid, 1);
        state.ResumeTiming();
        for (CZARVMPInfo* p : points) engine->InsertMPInfo(p);
        state.PauseTiming();
        for (CZARVMPInfo* p : points) p->Release();
        engine->Release();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_InsertMPInfo)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);

void BM_SaveDb(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    CZARVQENDbEngine* engine = NewEngine(n);
    std::string path = bench::ScratchDir() + "/save.dat";
    for (auto _ : state) {
        // A refused save would time nothing: say so instead of a figure.
        if (!engine->SaveToTemplate(bench::kRid, path.c_str(), "3.0")) {
            state.SkipWithError("save refused");
            break;
        }
    }
    engine->Release();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_SaveDb)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadDb(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::string path = bench::ScratchDir() + "/load.dat";
    {
        CZARVQENDbEngine* engine = NewEngine(n);
        bool saved = engine->SaveToTemplate(bench::kRid, path.c_str(), "3.0");
        engine->Release();
        if (!saved) {
            state.SkipWithError("save refused");
            return;
        }
    }
    for (auto _ : state) {
        auto* engine = new CZARVQENDbEngine("3.0");
        if (!engine->LoadFromFile(bench::kRid, path.c_str(), "3.0", 1))
            state.SkipWithError("load failed");
        state.PauseTiming();
        engine->Release();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_LoadDb)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TeardownEngine(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CZARVQENDbEngine* engine = NewEngine(n);
        state.ResumeTiming();
        engine->Release();
    }
}
BENCHMARK(BM_TeardownEngine)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

class LoadedEngine : public benchmark::Fixture {
public:
    static constexpr size_t kPoints = 1000000;
    void SetUp(const benchmark::State&) override {
        if (!engine) engine = NewEngine(kPoints);
    }
    static CZARVQENDbEngine* engine;
};
CZARVQENDbEngine* LoadedEngine::engine = nullptr;

BENCHMARK_F(LoadedEngine, ReadValueRandom)(benchmark::State& state) {
    std::mt19937 rng(1);
    std::uniform_int_distribution<size_t> pick(0, kPoints - 1);
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            engine->ReadValue(bench::PointGMPID(pick(rng)), value, quality, time));
}

BENCHMARK_F(LoadedEngine, WriteValueRandom)(benchmark::State& state) {
    std::mt19937 rng(2);
    std::uniform_int_distribution<size_t> pick(0, kPoints - 1);
    _zarvVAR value;
    value = 1.5;
    CMPQuality quality;
    CZARVTime time;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            engine->WriteValue(bench::PointGMPID(pick(rng)), value, quality, time));
}

BENCHMARK_F(LoadedEngine, ListMPInfoByIO)(benchmark::State& state) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<size_t> pick(0, kPoints / 256 - 1);
    for (auto _ : state) {
        CZARVDataSet<CZARVMPInfo> out;
        std::string key = "COM" + std::to_string(pick(rng));
        benchmark::DoNotOptimize(engine->ListMPInfoByIO(bench::kRid, key.c_str(), out));
    }
}

void BM_GetIndexNode(benchmark::State& state) {
    const size_t n = 1000000;
    CZARVIODB index;
    std::vector<int> data(n);
    for (size_t p = 0; p < n; ++p) {
        std::string key = "COM" + std::to_string(p / 256) + "$" + std::to_string(p % 256);
        index.CreateIndex(key.c_str(), &data[p]);
    }
    std::mt19937 rng(4);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::vector<std::string> keys;
    for (int i = 0; i < 4096; ++i) {
        size_t p = pick(rng);
        keys.push_back("COM" + std::to_string(p / 256) + "$" + std::to_string(p % 256));
    }
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(index.GetIndexNode(keys[i++ & 4095].c_str()));
}
BENCHMARK(BM_GetIndexNode);

BENCHMARK_F(LoadedEngine, GetFreeGMPIDFullBlock)(benchmark::State& state) {
    unsigned long out[4];
    // Block 0 of group 1 holds points 0 to 511 of its 4096 GMPIDs.
    for (auto _ : state) benchmark::DoNotOptimize(engine->GetFreeGMPID(bench::kRid, 1, 0, out, 4));
}

void BM_GetFreeGMPIDEmptyBlock(benchmark::State& state) {
    CZARVQENDbEngine engine("3.0");
    engine.CreateConfigDB(bench::kRid, 1);
    unsigned long out[4];
    for (auto _ : state) benchmark::DoNotOptimize(engine.GetFreeGMPID(bench::kRid, 1, 0, out, 4));
}
BENCHMARK(BM_GetFreeGMPIDEmptyBlock);

}  // namespace
