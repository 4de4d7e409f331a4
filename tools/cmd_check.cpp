// zarvqen check FILE...: verify each file and report, with its line (XML)
// or byte offset (database), every element a load would skip or drop and
// why. Exit status: 0 clean, 1 problems found, 2 a file could not be read
// or recognised.
#include <cstdio>
#include <filesystem>
#include <string>

#include "meta/meta_prop_tbl.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/db_load.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/message_flood.h"

namespace zarvtool {

namespace {

// The RID a file's name gives it as a regular save names it ("rs7.dat"
// for RID 7), or -1 for any other name.
int RidOfFileName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    int rid = -1;
    char text[16];
    if (std::sscanf(name.c_str(), "rs%d.dat", &rid) != 1 || rid < 0 || rid > 255) return -1;
    std::snprintf(text, sizeof text, "rs%d.dat", rid);
    return name == text ? rid : -1;
}

void Print(const std::string& path, const Findings& findings, bool quiet) {
    for (const Finding& f : findings.Items())
        if (f.problem || !quiet) PrintLimited(stdout, FormatFinding(path, f));
    EndFlood();
}

// Checks one file; returns its exit status.
int CheckOne(const std::string& path, const CheckOptions& opt, const CZARVMetaPropTbl* meta) {
    FileProbe probe;
    std::string why;
    Findings findings;
    if (!ResolveKind(path, opt.kind, probe, why)) {
        // A broken XML document is a finding of its own, not an unreadable file.
        if (!probe.readable || !probe.xml || probe.well_formed) {
            ReportError(path, why);
            return kExitUsage;
        }
    }
    std::string summary;
    if (probe.xml && !probe.well_formed) {
        findings.Problem(
            probe.xml_error_line,
            "not well-formed XML: " + probe.xml_error + "; the library refuses the file",
            probe.xml_error_column);
    } else if (probe.kind == FileKind::kDatabase) {
        DbLoad load;
        if (!LoadDbFile(path, meta, opt.type, load, why)) {
            ReportError(path, why);
            return kExitUsage;
        }
        findings = load.findings;
        // A load of RID N reads "rs<N>.dat" of its folder and refuses a
        // file that holds another RID.
        const int named = RidOfFileName(path);
        if (load.header && named >= 0 && named != load.rid)
            findings.Problem(0, "the file is named for RID " + std::to_string(named) +
                                    " but holds the database of RID " + std::to_string(load.rid) +
                                    ": a load of RID " + std::to_string(named) +
                                    " from its folder refuses it");
        int points = load.records.GetCount();
        summary = !load.header
                      ? std::string("no configuration database header, refused")
                      : "configuration database of RID " + std::to_string(load.rid) +
                            (!load.loaded ? ", refused"
                                          : ", " + std::to_string(points) +
                                                (points == 1 ? " point loads" : " points load"));
    } else {
        CheckCatalogue(path, probe.kind, findings);
        summary = KindTitle(probe.kind);
    }
    Print(path, findings, opt.quiet);
    int problems = findings.ProblemCount();
    if (problems == 0) {
        if (!opt.quiet) std::printf("%s: ok (%s)\n", path.c_str(), summary.c_str());
        return kExitClean;
    }
    if (!summary.empty()) summary = " (" + summary + ")";
    std::printf("%s: %d problem%s%s\n", path.c_str(), problems, problems == 1 ? "" : "s",
                summary.c_str());
    return kExitProblems;
}

}  // namespace

int RunCheck(const CheckOptions& opt) {
    CZARVMetaPropTbl meta;
    if (!LoadMetaOption(opt.meta, meta)) return kExitUsage;
    int status = kExitClean;
    for (const std::string& path : opt.files) {
        int s = CheckOne(path, opt, opt.meta.empty() ? nullptr : &meta);
        if (s > status) status = s;
    }
    return status;
}

}  // namespace zarvtool
