#include "bench/bench_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/zarvkernel/gmpid.h"

namespace bench {

unsigned long PointGMPID(size_t i) {
    // 8192 points per group keep a million points within the file format's
    // 127 groups of at most 32767 records.
    auto group = static_cast<unsigned char>(i / 8192 + 1);
    auto block = static_cast<unsigned>((i / 512) % 16);
    auto index = static_cast<unsigned>(i % 512);
    return zarvgmpid::Make(kRid, group, block, index);
}

CZARVMPInfo* NewPoint(size_t i) {
    auto* info = new CZARVMPInfo(PointGMPID(i));
    _zarvVAR v;
    v = ("point" + std::to_string(i)).c_str();
    info->InsertMPProp(1, v, 0);
    v = ("COM" + std::to_string(i / 256)).c_str();
    info->InsertMPProp(401, v, 1);
    v = std::to_string(i % 256).c_str();
    info->InsertMPProp(402, v, 1);
    for (unsigned short p = 10; p < 17; ++p) {
        v = static_cast<long>(i * p);
        info->InsertMPProp(p, v, p % 4);
    }
    return info;
}

CZARVQENDbEngine* NewEngine(size_t n) {
    auto* engine = new CZARVQENDbEngine("3.0");
    engine->CreateConfigDB(kRid, 1);
    for (size_t i = 0; i < n; ++i) {
        CZARVMPInfo* info = NewPoint(i);
        engine->InsertMPInfo(info);
        info->Release();
    }
    return engine;
}

namespace {

// The folder made by ScratchDir, removed with everything in it when the
// program ends.
struct Scratch {
    std::string dir;
    bool made = false;
    ~Scratch() {
        std::error_code ignored;
        if (made) std::filesystem::remove_all(dir, ignored);
    }
};

}  // namespace

std::string WriteMetaTable(size_t n, const char* name) {
    std::string path = ScratchDir() + "/" + name;
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

const std::string& ScratchDir() {
    static Scratch scratch = [] {
        char pattern[] = "/tmp/zarvbench.XXXXXX";
        const char* made = mkdtemp(pattern);
        return made ? Scratch{made, true} : Scratch{"/tmp", false};
    }();
    return scratch.dir;
}

}  // namespace bench
