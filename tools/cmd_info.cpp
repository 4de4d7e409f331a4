// zarvqen info FILE...: what each file is and what it holds, in a few lines.
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/db_scan.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

void Line(const char* name, const std::string& value) {
    std::printf("  %-11s %s\n", name, value.c_str());
}

std::string RidText(unsigned char rid) {
    std::string out = std::to_string(rid);
    if (rid >= CZARVQENDbEngine::kIOIndexRidFirst && rid <= CZARVQENDbEngine::kIOIndexRidLast)
        out += " (IO addresses indexed when loaded with type 1, 2 or 3)";
    else if (rid >= 128)
        out += " (points of blocks 1 to 15 are read through their references)";
    return out;
}

void DescribeDatabase(const DbScan& scan) {
    Line("rid", RidText(scan.rid));
    std::map<unsigned char, int> groups;
    std::set<unsigned short> numbers;
    size_t props = 0;
    for (const ScannedRecord& rec : scan.records) {
        ++groups[zarvgmpid::Group(rec.gmpid)];
        for (const ScannedProp& p : rec.props) numbers.insert(p.Number());
        props += rec.props.size();
    }
    std::string list = std::to_string(groups.size());
    const char* sep = ": ";
    for (auto [group, n] : groups) {
        list += sep + std::to_string(group) + " (" + std::to_string(n) +
                (n == 1 ? " point)" : " points)");
        sep = ", ";
    }
    Line("groups", list);
    Line("points", std::to_string(scan.records.size()));
    std::string nums = std::to_string(props);
    if (!numbers.empty()) {
        nums += " (" + std::to_string(numbers.size()) + " numbers:";
        for (unsigned short n : numbers) nums += " " + std::to_string(n);
        nums += ")";
    }
    Line("properties", nums);
    Line("checksum", scan.crc_ok ? "ok" : "MISMATCH: the library refuses this file");
    if (!scan.complete)
        Line("structure",
             "damaged at byte " + std::to_string(scan.failure_offset) + ": " + scan.failure);
    Line("size", std::to_string(scan.size) + " bytes");
}

// Prints one file; returns its exit status.
int InfoOne(const std::string& path, const std::string& forced) {
    FileProbe probe;
    std::string why;
    if (!ResolveKind(path, forced, probe, why)) {
        ReportError(path, why);
        return kExitUsage;
    }
    std::printf("%s: %s\n", path.c_str(), KindTitle(probe.kind));
    if (probe.kind == FileKind::kDatabase) {
        DbScan scan;
        if (!ScanDbFile(path, scan, why)) {
            ReportError(path, why);
            return kExitUsage;
        }
        if (!scan.header_ok) {
            ReportError(path, scan.failure);
            return kExitUsage;
        }
        DescribeDatabase(scan);
        return kExitClean;
    }
    if (!probe.root.empty()) Line("root", "<" + probe.root + ">");
    Content content;
    if (!LoadContent(path, probe.kind, nullptr, content, why)) {
        ReportError(path, why);
        return kExitUsage;
    }
    for (const SummaryItem& item : content.summary) Line(item.name.c_str(), item.value.ToString());
    return kExitClean;
}

}  // namespace

int RunInfo(const InfoOptions& opt) {
    int status = kExitClean;
    for (const std::string& path : opt.files) {
        int s = InfoOne(path, opt.kind);
        if (s > status) status = s;
    }
    return status;
}

}  // namespace zarvtool
