// zarvqen demo [DIR]: builds a small but realistic installation with the
// library, saves every file into DIR, loads everything back into a fresh
// engine, serves live values through a driver derived from the engine
// driver, lists points by IO address and checks the files it wrote.
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/qen_driver.h"
#include "drvlib/drv_lib.h"
#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/ref_names.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/db_load.h"
#include "tools/demo_install.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/gmpid_text.h"
#include "tools/output.h"

using namespace zarvdemo;

namespace zarvtool {

namespace {

constexpr const char* kVersion = "1.0.0";
constexpr const char* kEncoding = "UTF-8";
// 2026-01-01 10:00:00 UTC: the demo's readings carry a fixed time stamp so
// that every run prints the same.
constexpr int64_t kStampMs = 1767261600000;

// The demo's acquisition driver: when the kernel runs it, it "reads" its
// field devices and stores their values through the engine driver's value
// operations, which hand them to the engine.
class DemoDriver : public CZARVQENDriver {
public:
    DemoDriver(CZARVQENDbEngine* engine, std::vector<Reading> readings)
        : CZARVQENDriver(engine), m_readings(std::move(readings)) {}
    int Stored() const { return m_stored; }

protected:
    int OnRun() override {
        m_stored = 0;
        for (const Reading& r : m_readings)
            if (WriteValue(r.gmpid, r.value, CMPQuality(), CZARVTime(kStampMs)) != 0) ++m_stored;
        return m_stored;
    }

private:
    std::vector<Reading> m_readings;
    int m_stored = 0;
};

std::string PathIn(const std::string& dir, const char* name) { return dir + "/" + name; }

// Every file the demo writes, in the order it checks them.
const std::vector<std::string> kFiles = {"meta.xml",    "driverlib.xml", "typeobj.xml",
                                         "metatbl.xml", "pseudos.xml",   "rs5.dat",
                                         "rs200.dat",   "rs130.dat"};

// The demo's files that `dir` already holds (anything by their names: a
// file, a link, a folder); what an earlier installation there would lose.
std::vector<std::string> Existing(const std::string& dir) {
    std::vector<std::string> found;
    for (const std::string& name : kFiles) {
        struct stat st;
        if (::lstat(PathIn(dir, name.c_str()).c_str(), &st) == 0) found.push_back(name);
    }
    return found;
}

bool MakeFolder(std::string& dir) {
    if (dir.empty()) {
        char templ[] = "/tmp/zarvqen-demo-XXXXXX";
        if (!::mkdtemp(templ)) return false;
        dir = templ;
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

long FileSize(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// One catalogue file: saved, then summarised from what loads back.
bool SaveCatalogue(const std::string& dir, const char* name, bool saved) {
    std::string path = PathIn(dir, name);
    if (!saved) {
        std::fprintf(stderr, "zarvqen: cannot write %s: %s\n", path.c_str(),
                     SystemReason(errno).c_str());
        return false;
    }
    FileProbe probe = ProbeFile(path);
    Content content;
    std::string why;
    if (!saved || !LoadContent(path, probe.kind, nullptr, content, why)) {
        std::printf("   %-14s could not be written\n", name);
        return false;
    }
    std::string counts;
    for (const SummaryItem& item : content.summary) {
        if (item.value.GetType() == _zarvVAR::VT_STR) continue;
        std::string noun = item.name;
        if (static_cast<long>(item.value) == 1) {
            if (noun.size() > 3 && noun.compare(noun.size() - 3, 3, "ies") == 0)
                noun.replace(noun.size() - 3, 3, "y");
            else if (!noun.empty() && noun.back() == 's')
                noun.pop_back();
        }
        counts += (counts.empty() ? "" : ", ") + item.value.ToString() + " " + noun;
    }
    std::printf("   %-14s %-22s %s\n", name, KindTitle(probe.kind), counts.c_str());
    return true;
}

int CountPoints(const CZARVQENDbEngine& engine, unsigned char rid) {
    CZARVDataSet<CZARVMPInfo> all;
    for (int group = 0; group < 256; ++group)
        engine.ListMPInfo(rid, static_cast<unsigned char>(group), all);
    return all.GetCount();
}

std::string Prop(const CZARVQENDbEngine& engine, uint32_t gmpid, unsigned short id) {
    return engine.GetProperty(gmpid, id).ToString();
}

// Checks every file the demo wrote, as `zarvqen check` does.
int CheckFiles(const std::string& dir, const std::vector<std::string>& files) {
    int problems = 0;
    for (const std::string& name : files) {
        std::string path = PathIn(dir, name.c_str());
        FileProbe probe = ProbeFile(path);
        Findings findings;
        if (probe.kind == FileKind::kDatabase) {
            DbLoad load;
            std::string why;
            if (LoadDbFile(path, nullptr, name == "rs200.dat" ? kIoType : 0, load, why))
                findings = load.findings;
            else
                findings.Problem(0, why);
        } else {
            CheckCatalogue(path, probe.kind, findings);
        }
        for (const Finding& f : findings.Items())
            std::printf("   %s\n", FormatFinding(name, f).c_str());
        problems += findings.ProblemCount();
    }
    return problems;
}

}  // namespace

int RunDemo(const DemoOptions& opt) {
    std::string dir = opt.dir;
    errno = 0;
    if (!MakeFolder(dir)) {
        std::fprintf(stderr, "zarvqen: cannot create the folder %s: %s\n", opt.dir.c_str(),
                     SystemReason(errno != 0 ? errno : ENOTDIR).c_str());
        return kExitUsage;
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    std::vector<std::string> existing = Existing(dir);
    if (!existing.empty() && !opt.force) {
        std::string names;
        for (const std::string& name : existing) names += (names.empty() ? "" : ", ") + name;
        std::fprintf(stderr,
                     "zarvqen: %s already holds %s; the demo replaces nothing (give --force to "
                     "write over them)\n",
                     dir.c_str(), names.c_str());
        return kExitUsage;
    }
    std::printf("zarvqen demo: a sample substation configuration in %s\n\n", dir.c_str());

    // 1. Catalogues: built in memory, saved, summarised from the saved files.
    std::printf("1. Catalogues\n");
    bool ok = true;
    CZARVPtr<CZARVMetaPropTbl> meta = BuildMetaProps();
    errno = 0;
    ok &= SaveCatalogue(dir, "meta.xml",
                        meta->SaveToFile(PathIn(dir, "meta.xml").c_str(), "1.0", kEncoding));
    ok &= SaveCatalogue(
        dir, "driverlib.xml",
        BuildDriverLib()->SaveToFile(PathIn(dir, "driverlib.xml").c_str(), "1.0", kEncoding));
    ok &= SaveCatalogue(
        dir, "typeobj.xml",
        BuildTypedObjs()->SaveToFile(PathIn(dir, "typeobj.xml").c_str(), "1.0", kEncoding));
    ok &= SaveCatalogue(
        dir, "metatbl.xml",
        BuildMetaTables()->SaveToFile(PathIn(dir, "metatbl.xml").c_str(), "1.0", kEncoding));
    ok &= SaveCatalogue(
        dir, "pseudos.xml",
        BuildPseudos()->SaveToFile(PathIn(dir, "pseudos.xml").c_str(), "1.0", kEncoding));
    if (!ok) return kExitUsage;

    // 2. The configuration databases, filled through the engine's insert path.
    std::printf("\n2. Configuration databases\n");
    const unsigned char rids[] = {kCalcRid, kIoRid, kRefRid};
    {
        CZARVPtr<CZARVQENDbEngine> engine =
            CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine(kVersion));
        int inserted = FillDatabases(*engine);
        for (unsigned char rid : rids) {
            std::string name = "rs" + std::to_string(rid) + ".dat";
            errno = 0;
            if (!engine->SaveToFile(rid, dir.c_str(), kVersion)) {
                std::fprintf(stderr, "zarvqen: cannot write %s: %s\n",
                             PathIn(dir, name.c_str()).c_str(), SystemReason(errno).c_str());
                return kExitUsage;
            }
            const char* what = rid == kIoRid    ? "type 1: IO addresses indexed"
                               : rid == kRefRid ? "reference points"
                                                : "calculated values";
            std::printf("   %-14s RID %-3d %2d points  %-30s %ld bytes\n", name.c_str(), rid,
                        CountPoints(*engine, rid), what, FileSize(PathIn(dir, name.c_str())));
        }
        std::printf("   %d points inserted in all\n", inserted);
    }

    // 3. A fresh engine loads everything back: the meta property table first,
    // then the databases, the referenced ones before the referencing one.
    std::printf("\n3. Loaded back into a fresh engine\n");
    CZARVMetaPropTbl loaded_meta(PathIn(dir, "meta.xml").c_str());
    auto engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine(kVersion));
    engine->SetMetaProps(&loaded_meta);
    for (unsigned char rid : rids) {
        std::string path = PathIn(dir, ("rs" + std::to_string(rid) + ".dat").c_str());
        if (!engine->LoadFromFile(rid, path.c_str(), kVersion, rid == kIoRid ? kIoType : 0)) {
            std::fprintf(stderr, "zarvqen: the engine refused %s\n", path.c_str());
            return kExitProblems;
        }
    }
    std::printf("   meta property table: %u properties\n", loaded_meta.GetSize());
    for (unsigned char rid : rids)
        std::printf("   RID %-3d %2d points\n", rid, CountPoints(*engine, rid));
    for (uint32_t ref : ReferencePoints()) {
        std::string target = Prop(*engine, ref, CZARVQENDbEngine::kRefProp);
        unsigned long resolved = GetGMPIDByRefName(target.c_str());
        std::printf("   %s refers to %-8s = %s, associated: %s\n", GmpidDotted(ref).c_str(),
                    target.c_str(), GmpidDotted(static_cast<uint32_t>(resolved)).c_str(),
                    engine->GetAssGMPID(resolved, nullptr, 0) > 0 ? "yes" : "no");
    }

    // 4. Live values through the demo driver.
    auto driver = CZARVPtr<DemoDriver>::Adopt(new DemoDriver(engine.get(), FieldReadings()));
    CZARVMPInfo record(zarvgmpid::Make(kCalcRid, 0xFF, 0, 0));
    record.InsertMPProp(1, _zarvVAR("demo_acq"), 0);
    record.InsertMPProp(3, _zarvVAR("simulated field devices"), 0);
    if (!driver->Create(record)) {
        std::fprintf(stderr, "zarvqen: the demo driver refused its record\n");
        return kExitProblems;
    }
    driver->Run();
    std::printf("\n4. Live values served by driver \"%s\" (%s): %d values stored\n",
                driver->GetName(), driver->GetDesc(), driver->Stored());
    std::printf("   %-24s %-10s %-10s %-8s %s\n", "point", "name", "value", "quality",
                "time (UTC)");
    // `unit_of` is the point whose unit (property 4) the value carries.
    auto show = [&](uint32_t gmpid, const std::string& name, uint32_t unit_of) {
        _zarvVAR value;
        CMPQuality quality;
        CZARVTime time;
        if (!driver->ReadValue(gmpid, value, quality, time)) {
            std::printf("   %-24s %-10s (no value)\n", GmpidBoth(gmpid).c_str(), name.c_str());
            return;
        }
        _zarv_str stamp;
        std::string shown = value.ToString() + " " + Prop(*engine, unit_of, 4);
        std::printf("   %-24s %-10s %-10s %-8s %s\n", GmpidBoth(gmpid).c_str(), name.c_str(),
                    shown.c_str(), quality.IsGood() ? "good" : "invalid", time.Format(stamp));
    };
    for (const Reading& r : FieldReadings())
        if (zarvgmpid::RID(r.gmpid) == kIoRid && zarvgmpid::Group(r.gmpid) == 1)
            show(r.gmpid, Prop(*engine, r.gmpid, 1), r.gmpid);
    // Reading a reference point reads the point it names.
    for (uint32_t ref : ReferencePoints()) {
        std::string target = Prop(*engine, ref, CZARVQENDbEngine::kRefProp);
        show(ref, "-> " + target, static_cast<uint32_t>(GetGMPIDByRefName(target.c_str())));
    }

    // 5. Points by IO address.
    std::printf("\n5. Points of RID %d by IO address\n", kIoRid);
    for (const char* device : IoDevices()) {
        CZARVDataSet<CZARVMPInfo> points;
        int n = engine->ListMPInfoByIO(kIoRid, device, points);
        std::string list;
        for (CZARVMPInfo* p : points)
            list += " " + p->MPProp(1).ToString() + "@" +
                    p->MPProp(CZARVQENDbEngine::kIOAddrProp2).ToString();
        std::printf("   %-15s %d points:%s\n", device, n, list.c_str());
    }
    CZARVDataSet<CZARVMPValue> values;
    std::string key = std::string(IoDevices()[0]) + "$30001";
    if (engine->ListValueByIO(kIoRid, key.c_str(), values) > 0 && values.GetAt(0))
        std::printf("   %s: %s = %s\n", key.c_str(), values.GetAt(0)->GetRefName(),
                    values.GetAt(0)->GetValue().ToString().c_str());

    // 6. The files, as `zarvqen check` sees them.
    std::printf("\n6. Check of the files\n");
    driver->Exit();
    int problems = CheckFiles(dir, kFiles);
    if (problems == 0) std::printf("   all %zu files are clean\n", kFiles.size());
    std::printf(
        "\nTry: zarvqen info %s/rs200.dat\n     zarvqen dump --meta %s/meta.xml %s/rs200.dat\n"
        "     zarvqen export-csv --meta %s/meta.xml %s/rs200.dat\n",
        dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str());
    return problems == 0 ? kExitClean : kExitProblems;
}

}  // namespace zarvtool
