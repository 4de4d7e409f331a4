#include "tools/db_check.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "engine/db_engine.h"
#include "engine/db_file_reader.h"
#include "engine/io_index.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/zarv_file.h"
#include "meta/meta_prop.h"
#include "meta/meta_prop_tbl.h"
#include "tools/gmpid_text.h"
#include "tools/progress.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

constexpr size_t kCrcBytes = CZARVFile::kCrcBytes;

// Builds the record a load builds: codes decoded through the meta property
// table when it knows the number, properties the record refuses reported.
CZARVPtr<CZARVMPInfo> BuildRecord(const ScannedRecord& rec, const CZARVMetaPropTbl* meta,
                                  Findings& f, std::set<unsigned short>& unknown) {
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(rec.gmpid));
    std::string point = "point " + GmpidBoth(rec.gmpid);
    for (const ScannedProp& prop : rec.props) {
        unsigned short number = 0;
        int valid = 0;
        CZARVDbFileReader::DecodeCode(meta, prop.code, number, valid);
        const CZARVMetaProp* def = meta ? meta->GetMetaProp(prop.Number()) : nullptr;
        if (meta && !def) unknown.insert(number);
        if (def && !CZARVMPInfo::IsValidType(def->GetValidType()))
            f.NoteAt(static_cast<long long>(prop.offset),
                     point + ": property " + std::to_string(number) + ": valid type " +
                         std::to_string(def->GetValidType()) +
                         " from the meta property table does not fit a record (0 to 3); the "
                         "load keeps the stored valid type " +
                         std::to_string(prop.ValidType()));
        if (info->InsertMPProp(number, prop.value, valid)) continue;
        f.ProblemAt(static_cast<long long>(prop.offset),
                    point + ": property " + std::to_string(number) +
                        " given twice; the load keeps the first and drops " +
                        DescribeValue(prop.value));
    }
    return info;
}

// The index key a load builds from properties 401 and 402; empty when the
// point has no IO address.
std::string IOKey(const CZARVMPInfo& info) {
    _zarv_str a = info.MPProp(CZARVQENDbEngine::kIOAddrProp1);
    _zarv_str b = info.MPProp(CZARVQENDbEngine::kIOAddrProp2);
    if (a.empty() || b.empty()) return std::string();
    return a.str() + "$" + b.str();
}

// The record already indexed under `key` or under one of its prefixes.
const ScannedRecord* IndexHolder(CZARVIODB& index, const std::string& key) {
    std::string part = key;
    for (;;) {
        CIndexNode* node = index.GetIndexNode(part.c_str());
        if (node && node->GetNodeType() == CIndexNode::NT_LEAF)
            return static_cast<const ScannedRecord*>(node->GetData());
        size_t cut = part.rfind('$');
        if (cut == std::string::npos) return nullptr;
        part.erase(cut);
    }
}

}  // namespace

bool IsIOIndexed(unsigned char rid, int type) {
    return CZARVQENDbEngine::KeepsIOIndex(rid, type);
}

int CheckDatabase(const DbScan& scan, const DbLoadSettings& settings, Findings& f) {
    bool refused = false;
    if (!scan.crc_ok) {
        refused = true;
        f.ProblemAt(static_cast<long long>(scan.size >= kCrcBytes ? scan.size - kCrcBytes : 0),
                    "checksum mismatch: the library refuses the whole file");
    }
    if (!scan.complete) {
        refused = true;
        f.ProblemAt(static_cast<long long>(scan.failure_offset),
                    scan.failure + ": the library refuses the whole file");
    }
    if (!scan.header_ok) return 0;

    bool indexed = IsIOIndexed(scan.rid, settings.type);
    CZARVIODB index;
    std::map<uint32_t, const ScannedRecord*> stored;
    std::set<unsigned short> unknown;
    Progress progress("checking points", scan.records.size());
    size_t done = 0;
    for (const ScannedRecord& rec : scan.records) {
        progress.Update(++done);
        CZARVPtr<CZARVMPInfo> info = BuildRecord(rec, settings.meta, f, unknown);
        std::string point = "point " + GmpidBoth(rec.gmpid);
        // The load's order: IO index, then the record itself.
        std::string key = indexed ? IOKey(*info) : std::string();
        if (!key.empty() && !index.CreateIndex(key.c_str(), const_cast<ScannedRecord*>(&rec))) {
            const ScannedRecord* holder = IndexHolder(index, key);
            std::string why =
                point + " dropped: its IO address " + Quoted(key) + " is already used";
            if (holder)
                why += " by point " + GmpidBoth(holder->gmpid) + " at offset " +
                       std::to_string(holder->offset);
            f.ProblemAt(static_cast<long long>(rec.offset), why);
            continue;
        }
        auto [it, fresh] = stored.emplace(rec.gmpid, &rec);
        if (!fresh) {
            if (!key.empty()) index.Remove(key.c_str());  // the engine withdraws it again
            f.ProblemAt(static_cast<long long>(rec.offset),
                        point + " dropped: the GMPID is already used by the point at offset " +
                            std::to_string(it->second->offset));
        }
    }
    if (!unknown.empty()) {
        std::string list;
        for (unsigned short n : unknown) list += (list.empty() ? "" : ", ") + std::to_string(n);
        f.NoteAt(-1, "property numbers not in the meta property table (kept as stored): " + list);
    }
    return refused ? 0 : static_cast<int>(stored.size());
}

}  // namespace zarvtool
