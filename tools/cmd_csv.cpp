// zarvqen export-csv DB.dat and zarvqen import-csv CSV: configuration
// databases in and out of spreadsheets, one row per point and one column
// per property (point_table.h describes headers and cells). An export
// imported again gives back the same file, byte for byte.
//
// An import writes nothing unless every row is good: it reports each bad
// row with its line and the reason, and with --into it merges by GMPID.
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/db_engine.h"
#include "engine/internal/db_file_format.h"
#include "host/zarvkernel/gmpid.h"
#include "meta/meta_prop_tbl.h"
#include "tools/commands.h"
#include "tools/content.h"
#include "tools/csv.h"
#include "tools/db_load.h"
#include "tools/file_kind.h"
#include "tools/findings.h"
#include "tools/gmpid_text.h"
#include "tools/message_flood.h"
#include "tools/output.h"
#include "tools/overwrite.h"
#include "tools/point_table.h"
#include "tools/progress.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// The version text databases are written with.
constexpr const char* kDbVersion = "1.0.0";
// Rows read before they are merged (see RunImportCsv).
constexpr size_t kMergeBatch = 4096;

// Loads a database as a load with the default type and no meta property
// table keeps it (property codes as stored); false with `why` when the
// library refuses it.
bool ReadDatabase(const std::string& path, DbLoad& load, std::string& why) {
    if (!LoadDbFile(path, nullptr, kDefaultDbType, load, why)) return false;
    if (!load.loaded) why = load.Refusal();
    return load.loaded;
}

// Tells on standard error each record and property the load of `path`
// passed over, with its byte offset, and what becomes of them: the tool
// works on what the load keeps.
void WarnPassedOver(const std::string& path, const DbLoad& load, const char* consequence) {
    if (load.findings.ProblemCount() == 0) return;
    for (const Finding& f : load.findings.Items())
        if (f.problem) std::fprintf(stderr, "zarvqen: %s\n", FormatFinding(path, f).c_str());
    std::fprintf(stderr, "zarvqen: %s: warning: %s; %s\n", path.c_str(), load.PassedOver().c_str(),
                 consequence);
}

}  // namespace

int RunExportCsv(const ExportCsvOptions& opt) {
    CZARVMetaPropTbl meta;
    std::string why;
    DbLoad load;
    if (!opt.out.empty() && !MayWrite({opt.out, -1, {opt.db, opt.meta}, opt.force}, why)) {
        ReportError(why);
        return kExitUsage;
    }
    if (!LoadMetaOption(opt.meta, meta)) return kExitUsage;
    if (!ReadDatabase(opt.db, load, why)) {
        ReportError(opt.db, why);
        return kExitUsage;
    }
    WarnPassedOver(opt.db, load, "what it keeps is exported");

    // Two passes over the stored points, the columns first: no copy of
    // the database is held beside the load.
    std::map<Column, size_t> columns;
    for (const CZARVMPInfo* rec : load.records)
        for (const PointProp& p : PointOfRecord(*rec).props)
            columns.emplace(Column{p.number, p.value.GetType(), p.valid}, 0);
    const size_t count = static_cast<size_t>(load.records.GetCount());
    ColumnNames names(opt.meta.empty() ? nullptr : &meta);
    TextOutput output;
    if (!output.Open(opt.out, why)) {
        ReportError(why);
        return kExitUsage;
    }
    std::string& out = output.Buffer();
    out += "gmpid";
    size_t index = 0;
    for (auto& [col, pos] : columns) {
        pos = index++;
        out += "," + CsvCell(names.Header(col));
    }
    out += "\n";

    Progress progress("exporting points", count);
    size_t done = 0;
    std::vector<std::string> cells(columns.size());
    for (const CZARVMPInfo* rec : load.records) {
        progress.Update(++done);
        const Point point = PointOfRecord(*rec);
        const uint32_t gmpid = point.gmpid;
        for (std::string& cell : cells) cell.clear();
        for (const PointProp& p : point.props)
            cells[columns.at(Column{p.number, p.value.GetType(), p.valid})] = CellOfValue(p.value);
        out += GmpidDotted(gmpid);
        for (const std::string& cell : cells) out += "," + cell;
        out += "\n";
        output.Spill();
    }
    progress.Done();
    if (!output.Close(why)) {
        ReportError(why);
        return kExitUsage;
    }
    if (!output.ToStdout())
        std::printf("wrote %s: %s, %s\n", opt.out.c_str(),
                    CountOf(count, "point", "points").c_str(),
                    CountOf(columns.size(), "column", "columns").c_str());
    return kExitClean;
}

namespace {

// Problems with the input, each tied to a line of the CSV file.
class RowErrors {
public:
    explicit RowErrors(std::string file) : m_file(std::move(file)) {}
    // Line 0: a problem of the whole input.
    void Add(int line, const std::string& text) {
        m_lines.push_back(m_file + (line > 0 ? ":" + std::to_string(line) : "") + ": " + text);
    }
    bool Empty() const { return m_lines.empty(); }
    size_t Count() const { return m_lines.size(); }
    void Print() const {
        for (const std::string& l : m_lines) PrintLimited(stderr, "zarvqen: " + l);
        EndFlood();
    }

private:
    std::string m_file;
    std::vector<std::string> m_lines;
};

struct Header {
    int gmpid_col = -1;
    std::vector<Column> cols;  // by CSV column; unused for the GMPID column
};

bool ParseHeader(const CsvRecord& rec, const ColumnNames& names, Header& out, RowErrors& errors) {
    std::set<Column> seen;
    for (size_t i = 0; i < rec.fields.size(); ++i) {
        const std::string& text = rec.fields[i].text;
        Column col;
        out.cols.push_back(col);
        if (strcasecmp(text.c_str(), "gmpid") == 0) {
            if (out.gmpid_col >= 0) errors.Add(rec.line, "two gmpid columns");
            out.gmpid_col = static_cast<int>(i);
            continue;
        }
        std::string why;
        if (!names.Parse(text, col, why)) {
            errors.Add(rec.line, "field " + std::to_string(i + 1) + ": " + why);
            continue;
        }
        if (!seen.insert(col).second)
            errors.Add(rec.line, "field " + std::to_string(i + 1) + ": column " + Quoted(text) +
                                     " repeats an earlier column");
        out.cols.back() = col;
    }
    if (out.gmpid_col < 0) errors.Add(rec.line, "the header has no gmpid column");
    return errors.Empty();
}

// Reads one data row into `point`; reports every bad field.
bool ParseRow(const CsvRecord& rec, const Header& header, const std::vector<std::string>& titles,
              int rid, Point& point, RowErrors& errors) {
    size_t before = errors.Count();
    if (rec.fields.size() != header.cols.size()) {
        errors.Add(rec.line, "the row has " + CountOf(rec.fields.size(), "field", "fields") +
                                 ", the header " + std::to_string(header.cols.size()));
        return false;
    }
    std::string why;
    const std::string& id = rec.fields[header.gmpid_col].text;
    if (!ParseGmpid(id, rid, point.gmpid, why))
        errors.Add(rec.line, "gmpid: " + why);
    else if (zarvgmpid::RID(point.gmpid) != rid)
        errors.Add(rec.line,
                   "gmpid " + GmpidBoth(point.gmpid) + " is not of RID " + std::to_string(rid));
    std::map<unsigned short, PointProp> props;
    std::map<unsigned short, size_t> from;
    for (size_t i = 0; i < rec.fields.size(); ++i) {
        const CsvField& cell = rec.fields[i];
        if (static_cast<int>(i) == header.gmpid_col || (cell.text.empty() && !cell.quoted))
            continue;
        const Column& col = header.cols[i];
        PointProp prop{col.number, col.valid, _zarvVAR()};
        if (!ParseValue(col.kind, cell.text, prop.value, why)) {
            errors.Add(rec.line, "field " + std::to_string(i + 1) + " (" + titles[i] + "): " + why);
            continue;
        }
        auto [it, fresh] = from.emplace(col.number, i);
        if (!fresh) {
            errors.Add(rec.line, "fields " + std::to_string(it->second + 1) + " and " +
                                     std::to_string(i + 1) + " both give property " +
                                     std::to_string(col.number));
            continue;
        }
        props.emplace(col.number, std::move(prop));
    }
    for (auto& [number, prop] : props) point.props.push_back(std::move(prop));
    return errors.Count() == before;
}

// What a merge does with one row.
enum class Action { kAdd, kReplace, kSkip, kSame };

// The property numbers the header has columns for.
std::set<unsigned short> NamedNumbers(const Header& header) {
    std::set<unsigned short> named;
    for (size_t i = 0; i < header.cols.size(); ++i)
        if (static_cast<int>(i) != header.gmpid_col) named.insert(header.cols[i].number);
    return named;
}

// The stored point updated by a row: a property the header names takes the
// row's value, or goes when the row leaves its cells empty; every other
// stored property stays.
Point Updated(const Point& stored, const Point& row, const std::set<unsigned short>& named) {
    Point out{stored.gmpid, row.props};
    for (const PointProp& p : stored.props)
        if (!named.count(p.number)) out.props.push_back(p);
    std::sort(out.props.begin(), out.props.end(),
              [](const PointProp& a, const PointProp& b) { return a.number < b.number; });
    return out;
}

// A point as an entry of content, to tell two of them apart field by field.
Entry EntryOfPoint(const Point& point) {
    Entry e;
    for (const PointProp& p : point.props)
        e.fields.push_back(PropertyField(p.number, p.value, p.valid));
    return e;
}

// The last reason the engine gave for refusing a point.
class RefusalReason : public CZARVLoadReporter {
public:
    void Report(Severity, const Where&, const std::string& what) override { text = what; }
    std::string text;
};

// False with `why` when the file format cannot carry `per_group` points in
// each group.
bool FitsDatabaseFile(const std::map<unsigned, size_t>& per_group, std::string& why) {
    for (auto [group, n] : per_group) {
        if (n > static_cast<size_t>(zarvdbfile::kMaxRecordsPerGroup)) {
            why = "group " + std::to_string(group) + " would hold " + std::to_string(n) +
                  " points; a database file keeps at most " +
                  std::to_string(zarvdbfile::kMaxRecordsPerGroup) + " per group";
            return false;
        }
    }
    if (per_group.size() > static_cast<size_t>(zarvdbfile::kMaxGroups)) {
        why = "the points fill " + std::to_string(per_group.size()) +
              " groups; a database file keeps at most " + std::to_string(zarvdbfile::kMaxGroups);
        return false;
    }
    return true;
}

// Puts the points of an import into the engine that holds the target's
// load (or a fresh database) as each row is read, so that the merge keeps
// no copy of the database and no row once it is merged.
//
// A load of the written file stores its records in ascending GMPID order
// and, where the RID keeps an IO index, drops a point whose IO address a
// lower GMPID already holds. A point the engine refuses here waits until
// every row is in (a replaced point may still give up its address); then
// the waiting points are tried again in ascending order, and of those that
// stand in each other's way the lowest GMPID stays, as in that load.
class MergeStore {
public:
    MergeStore(CZARVQENDbEngine& engine, unsigned char rid) : m_engine(engine), m_rid(rid) {}

    // A row replaces the stored point of its GMPID: the old one goes.
    void Remove(uint32_t gmpid) { m_engine.DeleteMPInfo(gmpid); }
    void Add(const Point& p) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(p.gmpid));
        for (const PointProp& prop : p.props)
            info->InsertMPProp(prop.number, prop.value, prop.valid);
        if (!m_engine.InsertMPInfo(info.get())) m_waiting.emplace(p.gmpid, std::move(info));
    }
    // Tries the waiting points again; `refused(gmpid, reason)` hears each
    // point a load of the written file would drop, with the engine's reason.
    template <class OnRefused>
    void Finish(OnRefused refused) {
        for (auto& waiting : m_waiting) {
            // Named, not a structured binding: a lambda below captures it.
            const uint32_t gmpid = waiting.first;
            CZARVPtr<CZARVMPInfo>& info = waiting.second;
            RefusalReason reason;
            reason.text = "the engine refuses it";
            if (m_engine.InsertMPInfo(info.get(), &reason)) continue;
            std::vector<CZARVPtr<CZARVMPInfo>> holders = Holders(*info);
            const bool lowest =
                !holders.empty() && std::all_of(holders.begin(), holders.end(), [&](auto& h) {
                    return zarvgmpid::FromArg(h->GetGMPID()) > gmpid;
                });
            if (!lowest) {
                refused(gmpid, reason.text);
                continue;
            }
            // The load would store this point first and drop the holders.
            for (auto& h : holders) m_engine.DeleteMPInfo(h->GetGMPID());
            if (!m_engine.InsertMPInfo(info.get(), &reason)) refused(gmpid, reason.text);
            for (auto& h : holders) {
                reason.text = "the engine refuses it";
                if (!m_engine.InsertMPInfo(h.get(), &reason))
                    refused(zarvgmpid::FromArg(h->GetGMPID()), reason.text);
            }
        }
        m_waiting.clear();
    }

private:
    // The stored points whose IO address keeps `info` out of the index: the
    // same address, one it is the beginning of, or one that begins it (the
    // index splits addresses at each "$").
    std::vector<CZARVPtr<CZARVMPInfo>> Holders(const CZARVMPInfo& info) const {
        std::vector<CZARVPtr<CZARVMPInfo>> out;
        const std::string key = CZARVQENDbEngine::IOAddressKey(info);
        // Every key holds a "$": a shorter one in the way ends at a later "$".
        for (std::string part = key; part.find('$') != std::string::npos;
             part.erase(part.rfind('$'))) {
            CZARVDataSet<CZARVMPInfo> found;
            m_engine.ListMPInfoByIO(m_rid, part.c_str(), found);
            for (CZARVMPInfo* rec : found) {
                const std::string other = CZARVQENDbEngine::IOAddressKey(*rec);
                const bool in_way = other == key || other.rfind(key + "$", 0) == 0 ||
                                    key.rfind(other + "$", 0) == 0;
                const bool listed =
                    std::any_of(out.begin(), out.end(), [&](auto& h) { return h.get() == rec; });
                if (in_way && !listed) out.emplace_back(rec);
            }
        }
        return out;
    }

    CZARVQENDbEngine& m_engine;
    unsigned char m_rid;
    std::map<uint32_t, CZARVPtr<CZARVMPInfo>> m_waiting;
};

// The database of `rid` in `engine` on standard output: saved to a private
// temporary file (the engine saves to files only), then copied.
bool SaveToStdout(CZARVQENDbEngine& engine, unsigned char rid, std::string& why) {
    errno = 0;
    const std::string tmp = TempFileName();
    // Removed also when a failed write on standard output ends the command.
    struct Remover {
        const std::string& path;
        ~Remover() {
            if (!path.empty()) ::unlink(path.c_str());
        }
    } remover{tmp};
    if (tmp.empty() || !engine.SaveToTemplate(rid, tmp.c_str(), kDbVersion)) {
        why = "cannot write the temporary file " + (tmp.empty() ? "" : tmp + " ") +
              "for standard output: " + SystemReason(errno);
        return false;
    }
    return CopyToStdout(tmp, why);
}

// Writes the database of `rid` in `engine` to `path` ("-": standard output);
// `why` says as export-csv does what failed ("cannot write PATH: reason").
bool SaveDatabase(CZARVQENDbEngine& engine, unsigned char rid, const std::string& path,
                  std::string& why) {
    if (IsStdPath(path)) return SaveToStdout(engine, rid, why);
    errno = 0;
    if (!engine.SaveToTemplate(rid, path.c_str(), kDbVersion)) {
        why = "cannot write " + path + ": " + SystemReason(errno) + LeftAsItWas(path);
        return false;
    }
    return true;
}

}  // namespace

int RunImportCsv(const ImportCsvOptions& opt) {
    auto usage = [](const std::string& text) {
        ReportError(text);
        return kExitUsage;
    };
    CZARVMetaPropTbl meta;
    std::string why;
    if (!LoadMetaOption(opt.meta, meta)) return kExitUsage;
    // The file is read as it is merged, a chunk at a time.
    std::ifstream in;
    size_t size = 0;
    if (!OpenInput(opt.csv, in, size, why)) return usage(opt.csv + ": cannot read: " + why);
    std::string start(4, '\0');  // enough to tell UTF-16 and a byte-order mark
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) return usage(opt.csv + ": cannot read: read error");
    if (const char* utf16 = Utf16Encoding(start))
        return usage(opt.csv + ": " + Utf16Refusal(utf16));
    start.erase(0, Utf8BomLength(start));  // spreadsheets often start UTF-8 with one
    if (opt.into.empty() && opt.rid < 0) return usage("import-csv needs --rid (or --into)");
    if (opt.into.empty() && opt.out.empty() && !opt.dry_run)
        return usage("import-csv needs --out (or --into)");

    int rid = opt.rid;
    // With --into the merge works on the target's load itself.
    DbLoad load;
    std::map<unsigned, size_t> per_group;  // points per group of the written database
    size_t stored = 0;
    if (!opt.into.empty()) {
        if (!ReadDatabase(opt.into, load, why)) return usage(opt.into + ": " + why);
        if (rid >= 0 && rid != load.rid)
            return usage("--rid " + std::to_string(rid) + " differs from the RID " +
                         std::to_string(load.rid) + " of " + opt.into);
        rid = load.rid;
        for (const CZARVMPInfo* rec : load.records)
            ++per_group[zarvgmpid::Group(zarvgmpid::FromArg(rec->GetGMPID()))];
        stored = static_cast<size_t>(load.records.GetCount());
        // A second reference on each record would keep a replaced one alive.
        load.records.Clear();
        WarnPassedOver(opt.into, load,
                       opt.dry_run ? "the merge keeps what the load keeps"
                                   : "the merged file keeps what the load keeps");
    } else {
        load.engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine(kDbVersion));
        load.engine->CreateConfigDB(static_cast<unsigned char>(rid), kDefaultDbType);
    }
    CZARVQENDbEngine& engine = *load.engine;
    MergeStore store(engine, static_cast<unsigned char>(rid));

    // Every row is merged as it is read; nothing is written unless every
    // row is good.
    RowErrors errors(opt.csv);
    ColumnNames names(opt.meta.empty() ? nullptr : &meta);
    CsvReader reader(in, std::move(start));
    CsvRecord rec;
    Header header;
    std::vector<std::string> titles;
    bool have_header = false;
    std::map<uint32_t, int> lines;  // GMPID -> line of its row
    const bool update = opt.on_conflict == "update";
    std::set<unsigned short> named;
    int counts[4] = {0, 0, 0, 0};
    struct Step {
        Action action;
        uint32_t gmpid;
        std::string changes;  // the property lines of a replaced point
    };
    std::vector<Step> plan;  // for a dry run, every row that changes something
    // Merge by GMPID, in batches: rows read and merged in turns would leave
    // the engine's memory full of the gaps they leave behind.
    std::vector<std::pair<int, Point>> batch;  // line, point
    auto merge = [&](int line, Point& p) {
        const CZARVMPInfo* held = engine.GetMPInfo(p.gmpid);
        Action action = Action::kAdd;
        std::string changes;
        if (held) {
            const Point old = PointOfRecord(*held);
            if (update) p = Updated(old, p, named);
            if (SamePoint(old, p)) {
                action = Action::kSame;
            } else if (update || opt.on_conflict == "overwrite") {
                action = Action::kReplace;
                if (opt.dry_run) changes = FieldChanges(EntryOfPoint(old), EntryOfPoint(p));
            } else if (opt.on_conflict == "skip") {
                action = Action::kSkip;
            } else {
                errors.Add(line, "gmpid " + GmpidBoth(p.gmpid) + " holds another point in " +
                                     opt.into + " (use --on-conflict update, overwrite or skip)");
                return;
            }
        }
        ++counts[static_cast<int>(action)];
        if (opt.dry_run && action != Action::kSame)
            plan.push_back({action, p.gmpid, std::move(changes)});
        if (action == Action::kAdd) ++per_group[zarvgmpid::Group(p.gmpid)];
        if (action == Action::kReplace) store.Remove(p.gmpid);
        if (action == Action::kAdd || action == Action::kReplace) store.Add(p);
    };
    auto merge_batch = [&] {
        for (auto& [line, p] : batch) merge(line, p);
        batch.clear();
    };
    Progress reading("reading " + opt.csv, size, Progress::Unit::kBytes);
    while (reader.Next(rec)) {
        reading.Update(reader.Offset());
        bool blank = rec.fields.size() == 1 && rec.fields[0].text.empty() && !rec.fields[0].quoted;
        if (blank) continue;
        // Every reader of a cell would stop at a NUL byte and read a part.
        bool nul = false;
        for (size_t i = 0; i < rec.fields.size(); ++i) {
            if (rec.fields[i].text.find('\0') == std::string::npos) continue;
            errors.Add(rec.line, "field " + std::to_string(i + 1) + " holds a NUL byte");
            nul = true;
        }
        if (nul && !have_header) break;
        if (nul) continue;
        if (!have_header) {
            have_header = true;
            if (!ParseHeader(rec, names, header, errors)) break;
            for (const CsvField& f : rec.fields) titles.push_back(f.text);
            named = NamedNumbers(header);
            continue;
        }
        Point p;
        if (!ParseRow(rec, header, titles, rid, p, errors)) continue;
        auto [it, fresh] = lines.emplace(p.gmpid, rec.line);
        if (!fresh) {
            errors.Add(rec.line, "gmpid " + GmpidBoth(p.gmpid) + " is already given on line " +
                                     std::to_string(it->second));
            continue;
        }

        batch.emplace_back(rec.line, std::move(p));
        if (batch.size() == kMergeBatch) merge_batch();
    }
    merge_batch();
    reading.Done();
    if (!reader.Error().empty()) errors.Add(reader.ErrorLine(), reader.Error());
    if (!have_header && errors.Empty()) errors.Add(1, "the file has no header row");
    const size_t total = stored + static_cast<size_t>(counts[static_cast<int>(Action::kAdd)]);

    // What a load of the written file would drop is an error of its row.
    if (errors.Empty()) {
        if (!FitsDatabaseFile(per_group, why)) errors.Add(0, why);
        store.Finish([&](uint32_t gmpid, const std::string& reason) {
            auto line = lines.find(gmpid);
            errors.Add(line == lines.end() ? 0 : line->second,
                       (line == lines.end() ? "stored " : "") + reason +
                           "; a load of the written file would drop it");
        });
    }
    if (!errors.Empty()) {
        errors.Print();
        std::fprintf(stderr, "zarvqen: %s: %zu problem%s, nothing written\n", opt.csv.c_str(),
                     errors.Count(), errors.Count() == 1 ? "" : "s");
        return kExitProblems;
    }

    std::string target = opt.out.empty() ? opt.into : opt.out;
    // The merged database's own file is its previous version: no --force.
    if (!opt.dry_run && !MayWrite({target, rid, {opt.csv, opt.meta}, opt.force}, why))
        return usage(why);
    std::string counts_text = std::to_string(counts[0]) + " added, " + std::to_string(counts[1]) +
                              (update ? " updated, " : " replaced, ") + std::to_string(counts[2]) +
                              " skipped, " + std::to_string(counts[3]) + " unchanged";
    if (opt.dry_run) {
        static const char* const kSigns[4] = {"+", "~", "=", " "};
        const char* const words[4] = {"add", update ? "update" : "replace", "keep (skipped)",
                                      "unchanged"};
        for (const Step& step : plan) {
            std::printf("%s %s: %s\n%s", kSigns[static_cast<int>(step.action)],
                        GmpidBoth(step.gmpid).c_str(), words[static_cast<int>(step.action)],
                        step.changes.c_str());
        }
        std::printf("dry run: %s would hold %s of RID %d (%s); nothing written\n",
                    target.empty() ? "the database" : target.c_str(),
                    CountOf(total, "point", "points").c_str(), rid, counts_text.c_str());
        return kExitClean;
    }
    if (!SaveDatabase(engine, static_cast<unsigned char>(rid), target, why)) return usage(why);
    // The database itself may be what goes to standard output.
    std::fprintf(IsStdPath(target) ? stderr : stdout, "%swrote %s: %s of RID %d (%s)\n",
                 IsStdPath(target) ? "zarvqen: " : "", target.c_str(),
                 CountOf(total, "point", "points").c_str(), rid, counts_text.c_str());
    return kExitClean;
}

}  // namespace zarvtool
