// zarvqen diff A B: entries added, removed and changed between two files of
// one kind, field by field. Exit status 1 when they differ, 0 when not.
//
// Entries are matched by section and key (a point by its GMPID, a property
// by its ID, a node by its module...). A database that stores a GMPID twice
// is compared as a load sees it: the first record of a GMPID counts.
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "meta/meta_prop_tbl.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/output.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

using EntryMap = std::map<std::pair<std::string, std::string>, const Entry*>;

EntryMap Index(const Content& c) {
    EntryMap map;
    for (const Entry& e : c.entries) map.emplace(std::make_pair(e.section, e.key), &e);
    return map;
}

// With `streamed`, a database's points stay in its load (content.h): the
// new side is read that way, so that a diff holds one load and one model.
bool LoadSide(const std::string& path, const std::string& forced, const CZARVMetaPropTbl* meta,
              FileProbe& probe, Content& content, bool streamed) {
    std::string why;
    if (!ResolveKind(path, forced, probe, why) ||
        !LoadContent(path, probe.kind, meta, content, why, streamed)) {
        ReportError(path, why);
        return false;
    }
    for (const std::string& w : content.warnings) ReportError(path, "warning: " + w);
    return true;
}

const SummaryItem* FindSummary(const Content& c, const char* name) {
    for (const SummaryItem& item : c.summary)
        if (item.name == name) return &item;
    return nullptr;
}

}  // namespace

int RunDiff(const DiffOptions& opt) {
    CZARVMetaPropTbl table;
    if (!LoadMetaOption(opt.meta, table)) return kExitUsage;
    const CZARVMetaPropTbl* meta = opt.meta.empty() ? nullptr : &table;
    FileProbe pa, pb;
    Content a, b;
    if (!LoadSide(opt.a, opt.kind, meta, pa, a, false) ||
        !LoadSide(opt.b, opt.kind, meta, pb, b, true))
        return kExitUsage;
    // An empty catalogue file (declaration only) compares with any catalogue.
    bool empty_a = a.kind == FileKind::kEmptyCatalogue,
         empty_b = b.kind == FileKind::kEmptyCatalogue;
    if (a.kind != b.kind && !(empty_a && b.kind != FileKind::kDatabase) &&
        !(empty_b && a.kind != FileKind::kDatabase)) {
        std::fprintf(stderr, "zarvqen: %s is a %s and %s a %s: only files of one kind compare\n",
                     opt.a.c_str(), KindTitle(a.kind), opt.b.c_str(), KindTitle(b.kind));
        return kExitUsage;
    }

    int added = 0, removed = 0, changed = 0;
    // The report goes out in chunks as it is made.
    TextOutput output;
    std::string why;
    output.Open("-", why);
    std::string& out = output.Buffer();
    if (a.kind == FileKind::kDatabase && b.kind == FileKind::kDatabase) {
        const SummaryItem* ra = FindSummary(a, "rid");
        const SummaryItem* rb = FindSummary(b, "rid");
        if (ra && rb && !SameValue(ra->value, rb->value)) {
            out += "~ rid: " + ra->value.ToString() + " -> " + rb->value.ToString() + "\n";
            ++changed;
        }
    }
    // Walk each side in its own order (ascending IDs, GMPIDs, modules), so
    // the report reads like the files.
    EntryMap ia = Index(a), ib = Index(b);
    Entry stored;  // a point of the streamed side
    for (const Entry& ea : a.entries) {
        auto key = std::make_pair(ea.section, ea.key);
        if (ia.at(key) != &ea) continue;  // a later duplicate: not what a load sees
        auto it = ib.find(key);
        const Entry* found = it != ib.end() ? it->second : nullptr;
        if (!found && ea.has_gmpid && FindStreamedPoint(b, ea.gmpid, stored)) found = &stored;
        if (!found) {
            out += "- " + EntryTitle(ea) + "\n";
            ++removed;
            continue;
        }
        std::string lines = FieldChanges(ea, *found);
        if (!lines.empty()) {
            out += "~ " + EntryTitle(ea) + "\n" + lines;
            ++changed;
        }
        output.Spill();
    }
    ForEachEntry(b, [&](const Entry& eb) {
        auto key = std::make_pair(eb.section, eb.key);
        auto own = ib.find(key);  // none for a streamed point, which is never a duplicate
        if ((own != ib.end() && own->second != &eb) || ia.count(key)) return;
        out += "+ " + EntryTitle(eb) + "\n";
        for (const Field& f : eb.fields) out += "    " + FieldTitle(f) + ": " + FieldText(f) + "\n";
        ++added;
        output.Spill();
    });
    output.Close(why);
    if (added + removed + changed == 0) {
        std::printf("%s and %s hold the same content\n", opt.a.c_str(), opt.b.c_str());
        return kExitClean;
    }
    std::printf("%d added, %d removed, %d changed\n", added, removed, changed);
    return kExitProblems;
}

}  // namespace zarvtool
