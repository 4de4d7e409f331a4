// Times CZARVIdMap against Boost's unordered_flat_map on the keys the
// library uses: the GMPIDs of the benchmark's points (32 bits) and the
// two-part IO path keys (64 bits). Each side runs the same operations on
// the same keys in the same order; each figure is the best of five runs.
//   id_map_compare [POINTS...]   (default 200000 and 1000000)
#include <algorithm>
#include <boost/unordered/unordered_flat_map.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_fixture.h"
#include "host/zarvlib/zarv_id_map.h"
#include "host/zarvlib/zarv_str.h"

namespace {

using Clock = std::chrono::steady_clock;
struct Item {};

template <class Fn>
double Best(Fn&& fn) {
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        auto start = Clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// The same four operations on both tables.
template <class Key>
struct Ours {
    CZARVIdMap<Item, Key> map;
    void Insert(Key k, Item* v) { map.Insert(k, v); }
    Item* Find(Key k) const { return map.Find(k); }
    void Erase(Key k) { map.Erase(k); }
    void Clear() { map.Clear(); }
};
template <class Key>
struct Boost {
    boost::unordered_flat_map<Key, Item*> map;
    void Insert(Key k, Item* v) { map.emplace(k, v); }
    Item* Find(Key k) const {
        auto it = map.find(k);
        return it == map.end() ? nullptr : it->second;
    }
    void Erase(Key k) { map.erase(k); }
    void Clear() { boost::unordered_flat_map<Key, Item*>().swap(map); }
};

struct Times {
    double insert, hit, miss, erase;
};

template <class Map, class Key>
Times Measure(const std::vector<Key>& keys, const std::vector<Key>& hits,
              const std::vector<Key>& misses, const std::vector<Key>& erase_order, size_t& sum) {
    static Item item;
    Map map;
    Times t{};
    // Grown from empty, as the stores grow while points are inserted.
    t.insert = Best([&] {
        map.Clear();
        for (Key k : keys) map.Insert(k, &item);
    });
    t.hit = Best([&] {
        for (Key k : hits) sum += map.Find(k) != nullptr;
    });
    t.miss = Best([&] {
        for (Key k : misses) sum += map.Find(k) != nullptr;
    });
    double erase = 1e30;
    for (int run = 0; run < 5; ++run) {
        map.Clear();
        for (Key k : keys) map.Insert(k, &item);
        auto start = Clock::now();
        for (Key k : erase_order) map.Erase(k);
        erase = std::min(erase, std::chrono::duration<double>(Clock::now() - start).count());
    }
    t.erase = erase;
    return t;
}

template <class Key>
void Compare(const char* what, const std::vector<Key>& keys, const std::vector<Key>& absent) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<size_t> pick(0, keys.size() - 1);
    std::vector<Key> hits(1 << 20), misses(1 << 20);
    for (Key& k : hits) k = keys[pick(rng)];
    std::uniform_int_distribution<size_t> pick_absent(0, absent.size() - 1);
    for (Key& k : misses) k = absent[pick_absent(rng)];
    std::vector<Key> erase_order = keys;
    std::shuffle(erase_order.begin(), erase_order.end(), rng);
    size_t sum = 0;
    Times ours = Measure<Ours<Key>>(keys, hits, misses, erase_order, sum);
    Times boost = Measure<Boost<Key>>(keys, hits, misses, erase_order, sum);
    auto row = [&](const char* op, double a, double b) {
        std::printf("%-36s %-26s %10.2f %10.2f %8.2f\n", what, op, a * 1e3, b * 1e3, a / b);
    };
    row("insert all, grown from empty", ours.insert, boost.insert);
    row("find, 1M random present keys", ours.hit, boost.hit);
    row("find, 1M random absent keys", ours.miss, boost.miss);
    row("erase all, random order", ours.erase, boost.erase);
    if (sum == 42) std::printf("\n");  // keeps the finds from being optimised away
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {200000, 1000000};
    std::printf("%-36s %-26s %10s %10s %8s\n", "keys", "operation", "ours (ms)", "Boost (ms)",
                "ratio");
    for (size_t n : sizes) {
        // GMPIDs of RID 200 present; the same points of RID 201 absent.
        std::vector<uint32_t> gmpids(n), other(n);
        for (size_t i = 0; i < n; ++i) {
            gmpids[i] = static_cast<uint32_t>(bench::PointGMPID(i));
            other[i] = gmpids[i] + (1u << 24);
        }
        std::string what = std::to_string(n) + " GMPIDs";
        Compare(what.c_str(), gmpids, other);
        // IO path keys "COM<i/256>$<i%256>" present, "COM<i/256>$<i%256+256>" absent.
        std::vector<uint64_t> paths(n), absent(n);
        for (size_t i = 0; i < n; ++i) {
            uint64_t first = DJBHash(("COM" + std::to_string(i / 256)).c_str());
            paths[i] = first << 32 | DJBHash(std::to_string(i % 256).c_str());
            absent[i] = first << 32 | DJBHash(std::to_string(i % 256 + 256).c_str());
        }
        what = std::to_string(n) + " IO path keys";
        Compare(what.c_str(), paths, absent);
    }
    return 0;
}
