// zarvqen dump FILE [--format text|json|csv]: the whole content of a file.
// GMPIDs appear as RID.group.block.index and in hexadecimal; values with
// their kinds and, for database properties, their valid types.
#include <cstdio>
#include <string>

#include "meta/meta_prop_tbl.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/csv.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/gmpid_text.h"
#include "tools/json_writer.h"
#include "tools/output.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// The renderers write entry by entry into `output`, which passes each
// chunk on: no dump is ever held whole.
void RenderText(const std::string& path, const Content& c, TextOutput& output) {
    std::string& out = output.Buffer();
    out += path + ": " + KindTitle(c.kind) + "\n";
    for (const SummaryItem& item : c.summary)
        out += "  " + item.name + ": " + item.value.ToString() + "\n";
    ForEachEntry(c, [&](const Entry& e) {
        out += EntryTitle(e) + "\n";
        for (const Field& f : e.fields) out += "  " + FieldTitle(f) + " = " + FieldText(f) + "\n";
        output.Spill();
    });
}

void RenderJson(const std::string& path, const Content& c, TextOutput& output) {
    JsonWriter w(output.Buffer());
    w.BeginObject();
    w.Member("file", path);
    w.Member("kind", KindTag(c.kind));
    w.Key("summary");
    w.BeginObject();
    for (const SummaryItem& item : c.summary) {
        w.Key(item.name);
        w.Value(item.value);
    }
    w.EndObject();
    w.Key("entries");
    w.BeginArray();
    ForEachEntry(c, [&](const Entry& e) {
        w.BeginObject();
        w.Member("section", e.section);
        w.Member("key", e.key);
        if (e.has_gmpid) {
            w.Member("gmpid", static_cast<int64_t>(e.gmpid));
            w.Member("gmpid_hex", GmpidHex(e.gmpid));
        }
        w.Key("fields");
        w.BeginArray();
        for (const Field& f : e.fields) {
            w.BeginObject();
            w.Member("name", f.name);
            if (!f.label.empty()) w.Member("label", f.label);
            if (f.typed) {
                w.Member("kind", f.value.GetType());
                w.Member("kind_name", KindName(f.value.GetType()));
            }
            if (f.valid >= 0) w.Member("valid", f.valid);
            w.Key("value");
            w.Value(f.value);
            w.EndObject();
        }
        w.EndArray();
        w.EndObject();
        output.Spill();
    });
    w.EndArray();
    w.EndObject();
}

// One row per field: spreadsheet-friendly and the same columns for every
// kind of file.
void RenderCsv(const Content& c, TextOutput& output) {
    std::string& out = output.Buffer();
    out += "section,key,gmpid,field,label,kind,valid,value\n";
    ForEachEntry(c, [&](const Entry& e) {
        std::string lead = CsvCell(e.section) + "," + CsvCell(e.key) + "," +
                           (e.has_gmpid ? GmpidHex(e.gmpid) : "") + ",";
        for (const Field& f : e.fields) {
            int kind = f.value.GetType();
            bool text = kind == _zarvVAR::VT_STR;
            out += lead + CsvCell(f.name) + "," + CsvCell(f.label) + "," +
                   (f.typed ? KindName(kind) : "") + "," +
                   (f.valid >= 0 ? std::to_string(f.valid) : "") + "," +
                   CsvCell(ValueText(f.value), text && ValueText(f.value).empty()) + "\n";
        }
        output.Spill();
    });
}

}  // namespace

int RunDump(const DumpOptions& opt) {
    CZARVMetaPropTbl meta;
    if (!LoadMetaOption(opt.meta, meta)) return kExitUsage;
    std::string why;
    FileProbe probe;
    Content content;
    if (!ResolveKind(opt.file, opt.kind, probe, why) ||
        !LoadContent(opt.file, probe.kind, opt.meta.empty() ? nullptr : &meta, content, why,
                     true)) {
        ReportError(opt.file, why);
        return kExitUsage;
    }
    for (const std::string& w : content.warnings) ReportError(opt.file, "warning: " + w);
    TextOutput output;
    output.Open("-", why);
    if (opt.format == "json")
        RenderJson(opt.file, content, output);
    else if (opt.format == "csv")
        RenderCsv(content, output);
    else
        RenderText(opt.file, content, output);
    output.Close(why);
    return kExitClean;
}

}  // namespace zarvtool
