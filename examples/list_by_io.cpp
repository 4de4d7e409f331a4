// Loads a meta property table and a configuration database and lists the
// points behind each IO address of the database.
//
//   example_list_by_io META.xml DB.dat RID
//
// Without arguments it first writes a small meta property table and a
// database of RID 200 into a temporary folder, then reads them back, so it
// runs on its own.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include "zarvqencore.h"

namespace {

// Writes meta.xml and rs200.dat into `dir`: three points on two devices.
bool WriteSample(const std::string& dir) {
    CZARVMetaPropTbl meta;
    struct Def {
        unsigned short id;
        const char* name;
        int valid;
    };
    for (Def d : {Def{1, "Name", 0}, Def{401, "IOAddress", 1}, Def{402, "IOPoint", 1}}) {
        auto* prop = new CZARVMetaProp(d.id, d.name, _zarvVAR(""), CZARVMetaProp::METAINPUTTYPE{},
                                       "", "", static_cast<CZARVMetaProp::METAVALIDTYPE>(d.valid));
        meta.InsertMetaProp(prop);
        prop->Release();  // the table keeps its own reference
    }
    if (!meta.SaveToFile((dir + "/meta.xml").c_str(), "1.0", "UTF-8")) return false;

    CZARVQENDbEngine engine("1.0.0");
    engine.CreateConfigDB(200, 1);  // type 1: IO addresses are indexed
    struct Point {
        unsigned long gmpid;
        const char* name;
        const char* device;
        const char* reg;
    };
    for (Point p : {Point{0xC8010000, "FEEDER_U", "10.0.0.21:502", "30001"},
                    Point{0xC8010001, "FEEDER_I", "10.0.0.21:502", "30002"},
                    Point{0xC8020000, "TRAFO_TEMP", "/dev/ttyS1", "7:100"}}) {
        auto* info = new CZARVMPInfo(p.gmpid);
        info->InsertMPProp(1, _zarvVAR(p.name), 0);
        info->InsertMPProp(401, _zarvVAR(p.device), 1);
        info->InsertMPProp(402, _zarvVAR(p.reg), 1);
        engine.InsertMPInfo(info);
        info->Release();  // the engine keeps its own reference
    }
    return engine.SaveToFile(200, dir.c_str(), "1.0.0");
}

}  // namespace

int main(int argc, char** argv) {
    std::string metaPath, dbPath, sampleDir;
    int rid = 200;
    if (argc == 4) {
        metaPath = argv[1];
        dbPath = argv[2];
        rid = std::atoi(argv[3]);
    } else if (argc == 1) {
        char dir[] = "/tmp/zarvqen-example-XXXXXX";
        if (!mkdtemp(dir) || !WriteSample(dir)) {
            std::fprintf(stderr, "cannot write the sample files\n");
            return 1;
        }
        sampleDir = dir;
        metaPath = sampleDir + "/meta.xml";
        dbPath = sampleDir + "/rs200.dat";
    } else {
        std::fprintf(stderr, "usage: %s [META.xml DB.dat RID]\n", argv[0]);
        return 2;
    }

    // The engine decodes stored property codes through the meta property
    // table; the table must outlive the loads.
    CZARVMetaPropTbl meta(metaPath.c_str());
    CZARVQENDbEngine engine("1.0.0");
    engine.SetMetaProps(&meta);
    if (!engine.LoadFromFile(static_cast<unsigned char>(rid), dbPath.c_str(), "1.0.0", 1)) {
        std::fprintf(stderr, "cannot load %s as the database of RID %d\n", dbPath.c_str(), rid);
        return 1;
    }

    // The IO addresses in use: the texts of property 401 of every point.
    std::set<std::string> devices;
    for (int group = 0; group < 256; ++group) {
        CZARVDataSet<CZARVMPInfo> points;
        engine.ListMPInfo(static_cast<unsigned char>(rid), static_cast<unsigned char>(group),
                          points);
        for (CZARVMPInfo* p : points) {
            _zarv_str device = p->MPProp(CZARVQENDbEngine::kIOAddrProp1);
            if (!device.empty()) devices.insert(device.str());
        }
    }

    // The points behind each address, straight from the IO index.
    int listed = 0;
    for (const std::string& device : devices) {
        CZARVDataSet<CZARVMPInfo> points;
        int n = engine.ListMPInfoByIO(static_cast<unsigned char>(rid), device.c_str(), points);
        std::printf("%s: %d point%s\n", device.c_str(), n, n == 1 ? "" : "s");
        for (CZARVMPInfo* p : points) {
            std::printf("  %08lX  %-12s %s\n", p->GetGMPID(), p->MPProp(1).ToString().c_str(),
                        p->MPProp(CZARVQENDbEngine::kIOAddrProp2).ToString().c_str());
            ++listed;
        }
    }
    if (!sampleDir.empty()) {
        std::remove(metaPath.c_str());
        std::remove(dbPath.c_str());
        rmdir(sampleDir.c_str());
    }
    return listed > 0 ? 0 : 1;
}
