#include "tools/db_load.h"

#include <sys/stat.h>

#include <fstream>

#include "engine/internal/db_file_format.h"
#include "host/zarvlib/load_reporter.h"
#include "meta/meta_prop_tbl.h"
#include "tools/file_kind.h"
#include "tools/input.h"
#include "tools/output.h"
#include "tools/progress.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

// The version text databases are loaded with; it has no effect on the file.
constexpr const char* kDbVersion = "1.0.0";

}  // namespace

std::string DbLoad::Refusal() const { return findings.FirstProblem(); }

std::string DbLoad::PassedOver() const {
    return CountOf(static_cast<size_t>(findings.ProblemCount()), "record or property",
                   "records or properties") +
           " passed over by the load";
}

bool LoadDbFile(const std::string& path, const CZARVMetaPropTbl* meta, int type, DbLoad& out,
                std::string& why) {
    // What is not a regular file is refused as every command refuses it,
    // before the library's own, less specific refusal.
    struct stat st;
    if (::stat(LoadPath(path).c_str(), &st) == 0) {
        if (const char* not_readable = NotReadable(st, false)) {
            why = std::string("cannot read: ") + not_readable;
            return false;
        }
    }
    // The header's third byte names the database the file belongs to; the
    // load checks it together with everything else.
    std::ifstream in(LoadPath(path), std::ios::binary);
    if (!in) {
        why = "cannot be opened: " + SystemReason(errno);
        return false;
    }
    char head[3] = {0, 0, 0};
    if (in.read(head, 3)) {
        out.rid = static_cast<unsigned char>(head[2]);
        out.header = head[0] == zarvdbfile::kMagic1 && head[1] == zarvdbfile::kMagic2;
    }
    in.close();
    size_t size = ::stat(LoadPath(path).c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    Progress progress("loading " + path, size, Progress::Unit::kBytes);
    Progress::Step(progress);

    out.engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine(kDbVersion));
    // The engine only reads the table (it decodes property codes with it).
    out.engine->SetMetaProps(const_cast<CZARVMetaPropTbl*>(meta));
    FindingsReporter reporter(out.findings);
    out.loaded =
        out.engine->LoadFromFile(out.rid, LoadPath(path).c_str(), kDbVersion, type, &reporter);
    // The library names what it refuses a file for; a load that ends
    // without a word ran out of memory (its failures are results), which
    // says nothing about the file.
    if (!out.loaded && out.findings.ProblemCount() == 0) {
        why = "out of memory while loading it";
        return false;
    }
    for (int group = 0; group < 256; ++group)
        out.engine->ListMPInfo(out.rid, static_cast<unsigned char>(group), out.records);
    return true;
}

}  // namespace zarvtool
