// zarvqen info FILE...: what each file is and what it holds, in a few lines.
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/db_load.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/input.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// Names are padded to the longest one any file shows ("meta numbers"), so
// that the values of every file line up.
void Line(const char* name, const std::string& value) {
    std::printf("  %-12s %s\n", name, value.c_str());
}

std::string RidText(unsigned char rid) {
    std::string out = std::to_string(rid);
    if (rid >= CZARVQENDbEngine::kIOIndexRidFirst && rid <= CZARVQENDbEngine::kIOIndexRidLast)
        out += " (IO addresses indexed when loaded with type 1, 2 or 3)";
    else if (rid >= 128)
        out += " (points of blocks 1 to 15 are read through their references)";
    return out;
}

void DescribeRecords(const DbLoad& load);

// What the library's load of the file holds, and what it said.
void DescribeDatabase(const std::string& path, const DbLoad& load) {
    Line("rid", RidText(load.rid));
    if (load.loaded)
        DescribeRecords(load);
    else
        Line("load", "REFUSED: " + load.Refusal());
    std::error_code error;
    auto size = std::filesystem::file_size(LoadPath(path), error);
    if (!error) Line("size", std::to_string(size) + " bytes");
}

// The groups, points and properties the load stored.
void DescribeRecords(const DbLoad& load) {
    std::map<unsigned char, int> groups;
    std::set<unsigned short> numbers;
    size_t props = 0;
    for (const CZARVMPInfo* rec : load.records) {
        ++groups[zarvgmpid::Group(zarvgmpid::FromArg(rec->GetGMPID()))];
        for (int i = 0; i < rec->GetMPPropCount(); ++i) numbers.insert(rec->GetMPPropIdAt(i));
        props += static_cast<size_t>(rec->GetMPPropCount());
    }
    std::string list = std::to_string(groups.size());
    const char* sep = ": ";
    for (auto [group, n] : groups) {
        list += sep + std::to_string(group) + " (" + std::to_string(n) +
                (n == 1 ? " point)" : " points)");
        sep = ", ";
    }
    Line("groups", list);
    Line("points", std::to_string(load.records.GetCount()));
    std::string nums = std::to_string(props);
    if (!numbers.empty()) {
        nums += " (" + CountOf(numbers.size(), "number", "numbers") + ":";
        for (unsigned short n : numbers) nums += " " + std::to_string(n);
        nums += ")";
    }
    Line("properties", nums);
    Line("checksum", "ok");
    if (load.findings.ProblemCount() > 0) Line("dropped", load.PassedOver() + " (see check)");
}

// Prints one file; returns its exit status.
int InfoOne(const std::string& path, const std::string& forced) {
    FileProbe probe;
    std::string why;
    if (!ResolveKind(path, forced, probe, why)) {
        ReportError(path, why);
        return kExitUsage;
    }
    // The kind is printed only for a file that is then described.
    if (probe.kind == FileKind::kDatabase) {
        DbLoad load;
        if (!LoadDbFile(path, nullptr, kDefaultDbType, load, why)) {
            ReportError(path, why);
            return kExitUsage;
        }
        // Without the header there is no database to describe.
        if (!load.header) {
            ReportError(path, load.Refusal());
            return kExitUsage;
        }
        std::printf("%s: %s\n", path.c_str(), KindTitle(probe.kind));
        DescribeDatabase(path, load);
        return load.loaded ? kExitClean : kExitProblems;
    }
    Content content;
    if (!LoadContent(path, probe.kind, nullptr, content, why)) {
        ReportError(path, why);
        return kExitUsage;
    }
    std::printf("%s: %s\n", path.c_str(), KindTitle(probe.kind));
    if (!probe.root.empty()) Line("root", "<" + probe.root + ">");
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
