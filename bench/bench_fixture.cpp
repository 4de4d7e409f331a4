#include "bench/bench_fixture.h"

#include <cstdlib>

namespace bench {

unsigned long PointGMPID(size_t i) {
    unsigned long group = i / 4096 + 1;
    unsigned long block = (i / 256) % 16;
    unsigned long index = i % 256;
    return (static_cast<unsigned long>(kRid) << 24) | (group << 16) | (block << 12) | index;
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

const std::string& ScratchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/zarvbench.XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    return dir;
}

}  // namespace bench
