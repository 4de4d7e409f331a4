// A driver for counting instructions with callgrind, which counts the same
// on a busy machine as on an idle one. It loads a saved database of N
// points, reads values through the driver and looks IO addresses up, each
// in a function of its own:
//   valgrind --tool=callgrind --callgrind-out-file=cg.out instructions N
//   callgrind_annotate --inclusive=yes cg.out | grep -E 'LoadOnce|ReadValues|LookUpAddresses'
// and divide the inclusive counts by N (load) or by the 262 144 reads or
// lookups.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_fixture.h"

namespace {

constexpr size_t kProbes = 1 << 18;

[[gnu::noinline]] CZARVQENDbEngine* LoadOnce(const std::string& file) {
    auto* engine = new CZARVQENDbEngine("3.0");
    if (!engine->LoadFromFile(bench::kRid, file.c_str(), "3.0", 1)) {
        engine->Release();
        return nullptr;
    }
    return engine;
}

[[gnu::noinline]] size_t ReadValues(CZARVQENDriver& driver, const std::vector<unsigned long>& ids) {
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    size_t hits = 0;
    for (unsigned long gmpid : ids) hits += driver.ReadValue(gmpid, value, quality, time);
    return hits;
}

[[gnu::noinline]] size_t LookUpAddresses(const CZARVIODB& index,
                                         const std::vector<const char*>& keys) {
    size_t found = 0;
    for (const char* key : keys) found += index.GetIndexNode(key) != nullptr;
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const std::string file = bench::ScratchDir() + "/instructions.dat";
    CZARVQENDbEngine* made = bench::NewEngine(n);
    if (!made->SaveToTemplate(bench::kRid, file.c_str(), "3.0")) return 1;
    made->Release();

    CZARVQENDbEngine* engine = LoadOnce(file);
    if (!engine) return 1;
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::vector<unsigned long> ids(kProbes);
    for (unsigned long& id : ids) id = bench::PointGMPID(pick(rng));
    auto* driver = new CZARVQENDriver(engine);
    size_t hits = ReadValues(*driver, ids);

    CZARVIODB index;
    std::vector<std::string> keys(n);
    std::vector<int> data(n);
    for (size_t p = 0; p < n; ++p) {
        keys[p] = "COM" + std::to_string(p / 256) + "$" + std::to_string(p % 256);
        index.CreateIndex(keys[p].c_str(), &data[p]);
    }
    std::vector<const char*> probes(kProbes);
    for (const char*& key : probes) key = keys[pick(rng)].c_str();
    size_t found = LookUpAddresses(index, probes);

    std::printf("%zu points loaded, %zu of %zu reads and %zu of %zu lookups answered\n", n, hits,
                kProbes, found, kProbes);
    driver->Release();
    engine->Release();
    return 0;
}
