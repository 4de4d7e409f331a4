// A driver for counting instructions with callgrind, which counts the same
// on a busy machine as on an idle one. It loads a saved database of N
// points, reads values through the driver, looks IO addresses up, and
// loads a meta property table of M records (20 000 unless given) as well as
// parsing and walking that file with pugixml, and saves that table as well
// as pugixml's parsed document, each in a function of its own:
//   valgrind --tool=callgrind --callgrind-out-file=cg.out instructions N [M]
//   callgrind_annotate --inclusive=yes cg.out | grep -E 'LoadOnce|ReadValues|
//     LookUpAddresses|LoadMetaTable|ParseAndWalk|SaveMetaTable|SaveParsed' (one line)
// and divide the inclusive counts by N (load), by the 262 144 reads or
// lookups, or by M (the table and its pugixml floors).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>
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

[[gnu::noinline]] size_t LoadMetaTable(const std::string& path) {
    auto* table = new CZARVMetaPropTbl(path.c_str());
    size_t loaded = table->GetMetaProp(1) != nullptr;
    table->Release();
    return loaded;
}

// What compare's floor does: parse, and read every "prop" element's text
// and description.
[[gnu::noinline]] size_t ParseAndWalk(const std::string& path) {
    pugi::xml_document doc;
    doc.load_file(path.c_str());
    size_t seen = 0;
    for (pugi::xml_node prop : doc.document_element().children("prop"))
        seen += std::strlen(prop.child_value()) + std::strlen(prop.attribute("desc").value());
    return seen;
}

[[gnu::noinline]] bool SaveMetaTable(CZARVMetaPropTbl& table, const std::string& path) {
    return table.SaveToFile(path.c_str(), "1.0", "UTF-8");
}

// What compare's save floor does, but for its fsync: pugixml saves the
// document it parsed.
[[gnu::noinline]] bool SaveParsed(const pugi::xml_document& doc, const std::string& path) {
    return doc.save_file(path.c_str(), "  ");
}

}  // namespace

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const size_t meta = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20000;
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

    const std::string meta_file = bench::WriteMetaTable(meta, "instructions-meta.xml");
    const size_t table_loaded = LoadMetaTable(meta_file);
    const size_t walked = ParseAndWalk(meta_file);
    auto* table = new CZARVMetaPropTbl(meta_file.c_str());
    const bool table_saved = SaveMetaTable(*table, meta_file + ".saved");
    table->Release();
    pugi::xml_document parsed;
    parsed.load_file(meta_file.c_str());
    const bool parsed_saved = SaveParsed(parsed, meta_file + ".pugi");

    std::printf("meta property table of %zu records %s and %s, %zu bytes walked by pugixml%s\n",
                meta, table_loaded ? "loaded" : "NOT loaded", table_saved ? "saved" : "NOT saved",
                walked, parsed_saved ? "" : ", its save failed");
    std::printf("%zu points loaded, %zu of %zu reads and %zu of %zu lookups answered\n", n, hits,
                kProbes, found, kProbes);
    driver->Release();
    engine->Release();
    return 0;
}
