#include "tools/content.h"

#include <set>

#include "drvlib/drv_lib.h"
#include "drvlib/internal/category_table.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvlib/zarv_dataset.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"
#include "tools/db_load.h"
#include "tools/findings.h"
#include "tools/gmpid_text.h"
#include "tools/input.h"
#include "tools/progress.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// Helpers that build fields of the common shapes.
Field Text(const std::string& name, const char* text) {
    Field f;
    f.name = name;
    f.value = text ? text : "";
    return f;
}

Field Number(const std::string& name, long long n) {
    Field f;
    f.name = name;
    f.value = n;
    return f;
}

Field Typed(const std::string& name, const _zarvVAR& value, int valid = -1) {
    Field f;
    f.name = name;
    f.value = value;
    f.typed = true;
    f.valid = valid;
    return f;
}

// Appends an entry; the reference is valid until the next entry is added.
Entry& AddEntry(Content& c, const std::string& section, const std::string& key) {
    c.entries.emplace_back();
    c.entries.back().section = section;
    c.entries.back().key = key;
    return c.entries.back();
}

void Summary(Content& c, const std::string& name, const _zarvVAR& value) {
    c.summary.push_back({name, value});
}
void Summary(Content& c, const std::string& name, long long n) {
    _zarvVAR v;
    v = n;
    Summary(c, name, v);
}

// The fields of a meta property that every catalogue holding one writes.
void AddDefinitionFields(Entry& e, const CZARVMetaProp& prop) {
    _zarvVAR init;
    prop.GetInitValue(init);
    e.fields.push_back(Text("name", prop.GetMetaName()));
    e.fields.push_back(Typed("value", init));
    e.fields.push_back(Number("input", prop.GetInputType()));
    e.fields.push_back(Text("par", prop.GetParameter()));
    e.fields.push_back(Text("desc", prop.GetDesc()));
}

// Loads a catalogue through its own loader and tells `c` how many of the
// file's elements the load passes over, skips or drops (check says which).
// False with the loader's reason, and where it lies, when it refuses the file.
template <class Catalogue>
bool LoadCatalogue(Catalogue& catalogue, const std::string& path, Content& c, std::string& why) {
    Findings drops;
    FindingsReporter reporter(drops);
    if (!catalogue.LoadFromFile(LoadPath(path).c_str(), &reporter)) {
        why = drops.FirstProblem();
        return false;
    }
    if (drops.ProblemCount() > 0)
        c.warnings.push_back(
            CountOf(static_cast<size_t>(drops.ProblemCount()), "element is", "elements are") +
            " passed over, dropped or read otherwise than written by a load "
            "(see check)");
    return true;
}

bool LoadMetaProps(const std::string& path, Content& c, std::string& why) {
    CZARVMetaPropTbl table;
    if (!LoadCatalogue(table, path, c, why)) return false;
    auto it = table.GetFirst();
    int lo = -1, hi = -1;
    while (CZARVMetaProp* prop = table.GetNext(it)) {
        Entry& e = AddEntry(c, "prop", std::to_string(prop->GetID()));
        AddDefinitionFields(e, *prop);
        e.fields.push_back(Number("valid", prop->GetValidType()));
        if (lo < 0) lo = prop->GetID();
        hi = prop->GetID();
    }
    Summary(c, "properties", table.GetSize());
    if (lo >= 0) Summary(c, "ids", (std::to_string(lo) + " to " + std::to_string(hi)).c_str());
    return true;
}

bool LoadMetaTables(const std::string& path, Content& c, std::string& why) {
    CZARVMetaTable tables;
    if (!LoadCatalogue(tables, path, c, why)) return false;
    std::vector<std::string> names;
    tables.GetNodeNameList(names);
    long long fields = 0;
    for (const std::string& name : names) {
        CZARVTableNode* node = tables.GetTableNode(name.c_str());
        AddEntry(c, "table", name).fields.push_back(Number("fields", node->GetFieldCount()));
        auto it = node->GetFirst();
        long long pos = 0;
        while (CZARVTableField* field = node->GetNext(it)) {
            Entry& e = AddEntry(c, "field", name + "/" + field->GetFieldName());
            _zarvVAR init;
            field->GetInitValue(init);
            e.fields.push_back(Number("position", pos++));
            e.fields.push_back(Typed("value", init));
            e.fields.push_back(Number("input", field->GetInputType()));
            e.fields.push_back(Text("par", field->GetParameter()));
            e.fields.push_back(Text("desc", field->GetDesc()));
            ++fields;
        }
    }
    Summary(c, "tables", static_cast<long long>(names.size()));
    Summary(c, "fields", fields);
    return true;
}

bool LoadTypedObjs(const std::string& path, Content& c, std::string& why) {
    CZARVTypedObjTbl table;
    if (!LoadCatalogue(table, path, c, why)) return false;
    long long metas = 0;
    auto it = table.GetFirst();
    while (CZARVTypedObj* obj = table.GetNext(it)) {
        Entry& e = AddEntry(c, "typeobj", std::to_string(obj->GetID()));
        e.fields.push_back(Text("desc", obj->GetDesc()));
        e.fields.push_back(Text("metas", obj->MetaListToString("|")));
        metas += static_cast<long long>(obj->GetMetaList().size());
    }
    Summary(c, "objects", table.GetSize());
    Summary(c, "meta numbers", metas);
    return true;
}

// The properties of every category of a driver or task node.
template <class Node>
long long AddCategoryEntries(Content& c, Node& node, const std::string& owner,
                             const std::string& section, bool task) {
    long long count = 0;
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel) {
        const zarvqen::CategoryInfo* info = zarvqen::FindCategory(sel);
        CZARVDataSet<CZARVMetaProp> props;
        node.QueryIOSet(static_cast<typename Node::CFGTYPE>(sel), props);
        for (CZARVMetaProp* prop : props) {
            AddDefinitionFields(AddEntry(c, section,
                                         owner + "/" + (task ? info->tsk_tag : info->drv_tag) +
                                             "/" + std::to_string(prop->GetID())),
                                *prop);
            ++count;
        }
    }
    return count;
}

bool LoadDrvLib(const std::string& path, Content& c, std::string& why) {
    CZARVDrvLib lib;
    if (!LoadCatalogue(lib, path, c, why)) return false;
    long long props = 0;
    std::vector<_zarv_str> keys;
    lib.GetNodeNameList(keys, CZARVDrvLib::NODE_DRV);
    for (const _zarv_str& key : keys) {
        CZARVDrvNode* n = lib.GetDrvNode(key);
        AddEntry(c, "driver", key.str()).fields = {Text("family", n->family),
                                                   Text("name", n->name),
                                                   Number("type", n->type),
                                                   Number("io", n->io),
                                                   Text("ver", n->ver),
                                                   Text("desc", n->desc),
                                                   Text("pseudodrv", n->pseudodrv),
                                                   Text("pseudoied", n->pseudoied)};
        props += AddCategoryEntries(c, *n, key.str(), "driver prop", false);
    }
    size_t drivers = keys.size();
    keys.clear();
    lib.GetNodeNameList(keys, CZARVDrvLib::NODE_SRV);
    for (const _zarv_str& key : keys) {
        CZARVSrvNode* n = lib.GetSrvNode(key);
        AddEntry(c, "service", key.str()).fields = {Text("name", n->name), Number("io", n->io),
                                                    Text("ver", n->ver), Text("desc", n->desc),
                                                    Text("pseudosrv", n->pseudosrv)};
        CZARVDataSet<CZARVMetaProp> pars;
        n->QueryParameters(pars);
        for (CZARVMetaProp* prop : pars) {
            AddDefinitionFields(
                AddEntry(c, "service par", key.str() + "/" + std::to_string(prop->GetID())), *prop);
            ++props;
        }
    }
    size_t services = keys.size();
    keys.clear();
    lib.GetNodeNameList(keys, CZARVDrvLib::NODE_TSK);
    for (const _zarv_str& key : keys) {
        CZARVTskNode* n = lib.GetTskNode(key);
        AddEntry(c, "task", key.str()).fields = {Text("name", n->name),
                                                 Number("type", n->type),
                                                 Number("io", n->io),
                                                 Text("ver", n->ver),
                                                 Text("desc", n->desc),
                                                 Text("pseudotask", n->pseudotask),
                                                 Text("pseudoied", n->pseudoied)};
        props += AddCategoryEntries(c, *n, key.str(), "task prop", true);
    }
    Summary(c, "drivers", static_cast<long long>(drivers));
    Summary(c, "services", static_cast<long long>(services));
    Summary(c, "tasks", static_cast<long long>(keys.size()));
    Summary(c, "properties", props);
    return true;
}

bool LoadPseudos(const std::string& path, Content& c, std::string& why) {
    CZARVPseudos pseudos;
    if (!LoadCatalogue(pseudos, path, c, why)) return false;
    long long values = 0;
    auto it = pseudos.GetFirst();
    std::vector<unsigned short> metas;
    while (CZARVPseudo* p = pseudos.GetNext(it)) {
        Entry& e = AddEntry(c, "pseudo", std::to_string(p->GetID()));
        metas.clear();
        p->GetPSDPropVector(metas);
        for (unsigned short m : metas)
            e.fields.push_back(Typed("m" + std::to_string(m), p->PSDProp(m)));
        values += static_cast<long long>(metas.size());
    }
    Summary(c, "definitions", pseudos.GetSize());
    Summary(c, "values", values);
    return true;
}

// A point as an entry: its properties in the order the record keeps them.
Entry DatabaseEntry(const CZARVMPInfo& rec, const CZARVMetaPropTbl* meta) {
    Entry e;
    const uint32_t gmpid = zarvgmpid::FromArg(rec.GetGMPID());
    e.section = "point";
    e.key = GmpidDotted(gmpid);
    e.has_gmpid = true;
    e.gmpid = gmpid;
    for (int i = 0; i < rec.GetMPPropCount(); ++i) {
        const unsigned short number = rec.GetMPPropIdAt(i);
        Field f = Typed("p" + std::to_string(number), rec.GetMPPropAt(i), rec.GetMPTypeAt(i));
        if (const CZARVMetaProp* def = meta ? meta->GetMetaProp(number) : nullptr)
            f.label = def->GetMetaName();
        e.fields.push_back(std::move(f));
    }
    return e;
}

bool LoadDatabase(const std::string& path, const CZARVMetaPropTbl* meta, Content& c,
                  std::string& why, bool streamed) {
    auto shared = std::make_shared<DbLoad>();
    DbLoad& load = *shared;
    if (!LoadDbFile(path, meta, kDefaultDbType, load, why)) return false;
    if (!load.loaded) {
        why = load.Refusal();
        return false;
    }
    if (load.findings.ProblemCount() > 0) c.warnings.push_back(load.PassedOver() + " (see check)");
    std::set<unsigned char> groups;
    long long props = 0;
    for (const CZARVMPInfo* rec : load.records) {
        if (!streamed) c.entries.push_back(DatabaseEntry(*rec, meta));
        props += rec->GetMPPropCount();
        groups.insert(zarvgmpid::Group(zarvgmpid::FromArg(rec->GetGMPID())));
    }
    if (streamed) {
        c.db = std::move(shared);
        c.db_meta = meta;
    }
    Summary(c, "rid", load.rid);
    Summary(c, "groups", static_cast<long long>(groups.size()));
    Summary(c, "points", static_cast<long long>(load.records.GetCount()));
    Summary(c, "properties", props);
    Summary(c, "checksum", "ok");
    return true;
}

// Runs the library's own loader of `kind` on the file: what it passes over,
// skips, drops or reads otherwise than written goes to `out`.
template <class Catalogue>
void LoadReporting(const std::string& path, Findings& out) {
    Catalogue catalogue;
    FindingsReporter reporter(out);
    catalogue.LoadFromFile(LoadPath(path).c_str(), &reporter);
}

}  // namespace

void CheckCatalogue(const std::string& path, FileKind kind, Findings& out) {
    switch (kind) {
        case FileKind::kMetaProps:
            return LoadReporting<CZARVMetaPropTbl>(path, out);
        case FileKind::kMetaTables:
            return LoadReporting<CZARVMetaTable>(path, out);
        case FileKind::kTypedObjs:
            return LoadReporting<CZARVTypedObjTbl>(path, out);
        case FileKind::kDrvLib:
            return LoadReporting<CZARVDrvLib>(path, out);
        case FileKind::kPseudos:
            return LoadReporting<CZARVPseudos>(path, out);
        default:
            return;
    }
}

bool LoadContent(const std::string& path, FileKind kind, const CZARVMetaPropTbl* meta, Content& out,
                 std::string& why, bool streamed) {
    out = Content();
    out.kind = kind;
    switch (kind) {
        case FileKind::kDatabase:
            return LoadDatabase(path, meta, out, why, streamed);
        case FileKind::kMetaProps:
            return LoadMetaProps(path, out, why);
        case FileKind::kMetaTables:
            return LoadMetaTables(path, out, why);
        case FileKind::kTypedObjs:
            return LoadTypedObjs(path, out, why);
        case FileKind::kDrvLib:
            return LoadDrvLib(path, out, why);
        case FileKind::kPseudos:
            return LoadPseudos(path, out, why);
        case FileKind::kEmptyCatalogue:
            return true;
        default:
            why = "unknown kind of file";
            return false;
    }
}

void ForEachEntry(const Content& content, const std::function<void(const Entry&)>& visit) {
    for (const Entry& e : content.entries) visit(e);
    if (!content.db) return;
    Progress progress("points", static_cast<size_t>(content.db->records.GetCount()));
    size_t done = 0;
    for (const CZARVMPInfo* rec : content.db->records) {
        progress.Update(++done);
        visit(DatabaseEntry(*rec, content.db_meta));
    }
}

bool FindStreamedPoint(const Content& content, uint32_t gmpid, Entry& out) {
    if (!content.db) return false;
    // The stored records are in ascending GMPID order.
    const CZARVDataSet<CZARVMPInfo>& records = content.db->records;
    int lo = 0, hi = records.GetCount();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (zarvgmpid::FromArg(records.GetAt(mid)->GetGMPID()) < gmpid)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == records.GetCount() || zarvgmpid::FromArg(records.GetAt(lo)->GetGMPID()) != gmpid)
        return false;
    out = DatabaseEntry(*records.GetAt(lo), content.db_meta);
    return true;
}

std::string FieldText(const Field& field) {
    if (!field.typed) return DisplayValue(field.value);
    std::string out = DescribeValue(field.value);
    if (field.valid >= 0) out += " (valid " + std::to_string(field.valid) + ")";
    return out;
}

std::string FieldTitle(const Field& field) {
    return field.label.empty() ? field.name : field.name + " " + field.label;
}

Field PropertyField(unsigned short number, const _zarvVAR& value, int valid) {
    return Typed("p" + std::to_string(number), value, valid);
}

namespace {

bool SameField(const Field& a, const Field& b) {
    return a.valid == b.valid && SameValue(a.value, b.value);
}

const Field* FindField(const Entry& e, const std::string& name) {
    for (const Field& f : e.fields)
        if (f.name == name) return &f;
    return nullptr;
}

}  // namespace

std::string FieldChanges(const Entry& a, const Entry& b) {
    std::string out;
    for (const Field& fa : a.fields) {
        const Field* fb = FindField(b, fa.name);
        if (!fb)
            out += "    - " + FieldTitle(fa) + ": " + FieldText(fa) + "\n";
        else if (!SameField(fa, *fb))
            out += "    " + FieldTitle(*fb) + ": " + FieldText(fa) + " -> " + FieldText(*fb) + "\n";
    }
    for (const Field& fb : b.fields)
        if (!FindField(a, fb.name)) out += "    + " + FieldTitle(fb) + ": " + FieldText(fb) + "\n";
    return out;
}

std::string EntryTitle(const Entry& entry) {
    if (entry.has_gmpid) return entry.section + " " + GmpidBoth(entry.gmpid);
    return entry.section + " " + entry.key;
}

bool LoadMetaOption(const std::string& path, CZARVMetaPropTbl& table) {
    if (path.empty()) return true;
    // The table's loader takes any XML document, so a catalogue of another
    // kind would load as an empty table and silently name nothing.
    const FileProbe probe = ProbeFile(path);
    std::string why;
    if (!probe.readable) {
        why = "cannot read: " + probe.error;
    } else if (probe.kind == FileKind::kDatabase) {
        why = "is a configuration database, not a meta property table";
    } else if (!probe.xml) {
        why = "is not a meta property table (not an XML document)";
    } else if (probe.well_formed && probe.kind != FileKind::kMetaProps &&
               probe.kind != FileKind::kEmptyCatalogue && probe.kind != FileKind::kUnknown) {
        why = std::string("is a ") + KindTitle(probe.kind) + ", not a meta property table";
    } else {
        Findings refusal;
        FindingsReporter reporter(refusal);
        if (!table.LoadFromFile(LoadPath(path).c_str(), &reporter))
            why = refusal.FirstProblem();
        else if (probe.kind == FileKind::kUnknown && table.GetSize() == 0)
            why = "is not a meta property table: its root element <" + probe.root +
                  "> holds no <prop> elements";
    }
    if (why.empty()) return true;
    ReportError("--meta " + path, why);
    return false;
}

}  // namespace zarvtool
