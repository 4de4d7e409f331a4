// A driver for counting instructions with callgrind, which counts the same
// on a busy machine as on an idle one. It loads a saved database of N
// points, reads values through the driver and looks IO addresses up; run
// it with one of
//   valgrind --tool=callgrind --toggle-collect='CZARVQENDbEngine::LoadFromFile*' instructions N
//   valgrind --tool=callgrind --toggle-collect='CZARVQENDriver::ReadValue*' instructions N
//   valgrind --tool=callgrind --toggle-collect='CZARVIODB::GetIndexNode*' instructions N
// and divide the collected total by N (load) or by the 262 144 reads or
// lookups it prints.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_fixture.h"

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const size_t probes = 1 << 18;
    const std::string file = bench::ScratchDir() + "/instructions.dat";
    CZARVQENDbEngine* made = bench::NewEngine(n);
    if (!made->SaveToTemplate(bench::kRid, file.c_str(), "3.0")) return 1;
    made->Release();

    auto* engine = new CZARVQENDbEngine("3.0");
    if (!engine->LoadFromFile(bench::kRid, file.c_str(), "3.0", 1)) return 1;

    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    auto* driver = new CZARVQENDriver(engine);
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    size_t hits = 0;
    for (size_t i = 0; i < probes; ++i)
        hits += driver->ReadValue(bench::PointGMPID(pick(rng)), value, quality, time);

    CZARVIODB index;
    std::vector<std::string> keys(n);
    std::vector<int> data(n);
    for (size_t p = 0; p < n; ++p) {
        keys[p] = "COM" + std::to_string(p / 256) + "$" + std::to_string(p % 256);
        index.CreateIndex(keys[p].c_str(), &data[p]);
    }
    size_t found = 0;
    for (size_t i = 0; i < probes; ++i)
        found += index.GetIndexNode(keys[pick(rng)].c_str()) != nullptr;

    std::printf("%zu points loaded, %zu of %zu reads and %zu of %zu lookups answered\n", n, hits,
                probes, found, probes);
    driver->Release();
    engine->Release();
    return 0;
}
