// Prints one table of ratios, measured in one run on the same data: the
// library's operations against the least work the same job can take (the
// floor) and against SQLite, the resident memory per point, and how many
// targets are met.
//   compare [POINTS...]   (default 200000 and 1000000; the database rows and
//                          ReadValue at each count, memory always at
//                          1 000 000 and 100 000 points)
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Time that a measured function spent on preparation it must not be
// charged for; it adds to this and Time() subtracts it.
Clock::duration g_untimed{};

// The best of `runs` timings of `fn`, in seconds.
double Time(const std::function<void()>& fn, int runs = 3) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        g_untimed = {};
        auto start = Clock::now();
        fn();
        auto spent = Clock::now() - start - g_untimed;
        best = std::min(best, std::chrono::duration<double>(spent).count());
    }
    return best;
}

struct Row {
    std::string what;
    double ours;
    double other;
    const char* against;
    const char* target;
};

std::vector<Row> g_rows;

void Report(const std::string& what, double ours, double other, const char* against,
            const char* target) {
    g_rows.push_back({what, ours, other, against, target});
    std::fprintf(stderr, "  measured %s\n", what.c_str());
}

// The whole file in one read: the least a loader can do to get the bytes.
std::string ReadFile(const std::string& path) {
    std::string out;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return out;
    struct stat st;
    if (fstat(fd, &st) == 0) {
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            ssize_t r = read(fd, &out[got], out.size() - got);
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
        out.resize(got);
    }
    close(fd);
    return out;
}

// --- the floor of a database file: flat vectors, no objects ---

struct FlatProp {
    uint32_t gmpid;
    uint16_t code;
    int32_t kind;
    uint64_t bits;     // numbers
    std::string text;  // texts
};

// Decodes the file into flat vectors with only the bounds checks a careful
// decoder needs. False on any inconsistency.
bool FloorDecode(const std::string& file, std::vector<FlatProp>& out) {
    if (file.size() < 8) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data());
    size_t n = file.size() - 4;
    uint32_t stored;
    std::memcpy(&stored, p + n, 4);
    if (crc32(0, p, static_cast<uInt>(n)) != stored) return false;
    size_t at = 4;
    auto need = [&](size_t k) { return at + k <= n; };
    auto u16 = [&] {
        uint16_t v;
        std::memcpy(&v, p + at, 2);
        at += 2;
        return v;
    };
    uint32_t rid = p[2];
    int groups = static_cast<signed char>(p[3]);
    out.clear();
    for (int g = 0; g < groups; ++g) {
        if (!need(3)) return false;
        uint32_t group = p[at++];
        int records = static_cast<int16_t>(u16());
        for (int r = 0; r < records; ++r) {
            if (!need(2)) return false;
            uint32_t gmpid = rid << 24 | group << 16 | u16();
            for (;;) {
                if (!need(2)) return false;
                uint16_t code = u16();
                if (code == 0xFFFF) break;
                if (!need(4)) return false;
                FlatProp prop{gmpid, code, 0, 0, {}};
                std::memcpy(&prop.kind, p + at, 4);
                at += 4;
                size_t width = 0;
                switch (prop.kind) {
                    case 0:
                        width = 1;
                        break;
                    case 1:
                    case 2:
                        width = 2;
                        break;
                    case 3:
                    case 4:
                    case 5:
                        width = 4;
                        break;
                    case 6:
                    case 20:
                    case 21:
                        width = 8;
                        break;
                    case 7: {
                        if (!need(4)) return false;
                        uint32_t len;
                        std::memcpy(&len, p + at, 4);
                        at += 4;
                        if (!need(len)) return false;
                        prop.text.assign(reinterpret_cast<const char*>(p + at), len);
                        at += len;
                        break;
                    }
                    case -1:
                        break;
                    default:
                        return false;
                }
                if (!need(width)) return false;
                std::memcpy(&prop.bits, p + at, width);
                at += width;
                out.push_back(std::move(prop));
            }
        }
    }
    return true;
}

// Encodes flat vectors (already in file order) and writes them the way a
// careful program would: temporary file, sync, rename.
bool FloorSave(const std::vector<FlatProp>& props, const std::string& path) {
    std::string buf = "RS";
    buf += static_cast<char>(bench::kRid);
    buf += '\0';  // group count, patched below
    auto put = [&](const void* v, size_t k) { buf.append(static_cast<const char*>(v), k); };
    int groups = 0;
    uint32_t last_gmpid = 0xFFFFFFFF;
    size_t count_at = 0;
    uint16_t records = 0;
    uint32_t group = 0x100;
    for (const FlatProp& prop : props) {
        if (prop.gmpid != last_gmpid) {
            if (last_gmpid != 0xFFFFFFFF) put("\xFF\xFF", 2);
            if ((prop.gmpid >> 16 & 0xFF) != group) {
                if (count_at) std::memcpy(&buf[count_at], &records, 2);
                group = prop.gmpid >> 16 & 0xFF;
                buf += static_cast<char>(group);
                count_at = buf.size();
                put("\0\0", 2);
                records = 0;
                ++groups;
            }
            ++records;
            uint16_t low = static_cast<uint16_t>(prop.gmpid);
            put(&low, 2);
            last_gmpid = prop.gmpid;
        }
        put(&prop.code, 2);
        put(&prop.kind, 4);
        if (prop.kind == 7) {
            uint32_t len = static_cast<uint32_t>(prop.text.size());
            put(&len, 4);
            put(prop.text.data(), len);
        } else {
            put(&prop.bits, prop.kind == 6 ? 8 : 4);
        }
    }
    if (last_gmpid != 0xFFFFFFFF) put("\xFF\xFF", 2);
    if (count_at) std::memcpy(&buf[count_at], &records, 2);
    buf[3] = static_cast<char>(groups);
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(buf.data()), static_cast<uInt>(buf.size())));
    put(&crc, 4);
    std::string tmp = path + ".floor";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, buf.data(), buf.size()) == static_cast<ssize_t>(buf.size());
    ok = fsync(fd) == 0 && ok;
    close(fd);
    return ok && rename(tmp.c_str(), path.c_str()) == 0;
}

// --- SQLite ---

void Exec(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

void SqliteSaveRows(const std::vector<FlatProp>& props, const std::string& path) {
    std::remove(path.c_str());
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db,
         "CREATE TABLE prop(gmpid INTEGER, code INTEGER, kind INTEGER, num INTEGER, text TEXT)");
    Exec(db, "BEGIN");
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "INSERT INTO prop VALUES(?,?,?,?,?)", -1, &st, nullptr);
    for (const FlatProp& p : props) {
        sqlite3_bind_int64(st, 1, p.gmpid);
        sqlite3_bind_int(st, 2, p.code);
        sqlite3_bind_int(st, 3, p.kind);
        sqlite3_bind_int64(st, 4, static_cast<sqlite3_int64>(p.bits));
        sqlite3_bind_text(st, 5, p.text.c_str(), static_cast<int>(p.text.size()), SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

void SqliteLoadRows(const std::string& path, std::vector<FlatProp>& out) {
    out.clear();
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "SELECT gmpid, code, kind, num, text FROM prop", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        FlatProp p{static_cast<uint32_t>(sqlite3_column_int64(st, 0)),
                   static_cast<uint16_t>(sqlite3_column_int(st, 1)),
                   sqlite3_column_int(st, 2),
                   static_cast<uint64_t>(sqlite3_column_int64(st, 3)),
                   {}};
        if (const unsigned char* t = sqlite3_column_text(st, 4))
            p.text = reinterpret_cast<const char*>(t);
        out.push_back(std::move(p));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// One row per point, its properties encoded as a blob of the floor format.
void SqliteSaveBlobs(const std::vector<FlatProp>& props, const std::string& path) {
    std::remove(path.c_str());
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "CREATE TABLE point(gmpid INTEGER PRIMARY KEY, props BLOB)");
    Exec(db, "BEGIN");
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "INSERT INTO point VALUES(?,?)", -1, &st, nullptr);
    std::string blob;
    for (size_t i = 0; i < props.size();) {
        uint32_t gmpid = props[i].gmpid;
        blob.clear();
        for (; i < props.size() && props[i].gmpid == gmpid; ++i) {
            blob.append(reinterpret_cast<const char*>(&props[i].code), 2);
            blob.append(reinterpret_cast<const char*>(&props[i].kind), 4);
            blob.append(reinterpret_cast<const char*>(&props[i].bits), 8);
            uint32_t len = static_cast<uint32_t>(props[i].text.size());
            blob.append(reinterpret_cast<const char*>(&len), 4);
            blob += props[i].text;
        }
        sqlite3_bind_int64(st, 1, gmpid);
        sqlite3_bind_blob(st, 2, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

size_t SqliteLoadBlobs(const std::string& path) {
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "SELECT gmpid, props FROM point", -1, &st, nullptr);
    size_t bytes = 0;
    std::vector<std::string> blobs;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const void* b = sqlite3_column_blob(st, 1);
        int n = sqlite3_column_bytes(st, 1);
        blobs.emplace_back(static_cast<const char*>(b), static_cast<size_t>(n));
        bytes += static_cast<size_t>(n);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return bytes;
}

long RssKb() {
    std::ifstream in("/proc/self/statm");
    long pages_total = 0, pages_rss = 0;
    in >> pages_total >> pages_rss;
    return pages_rss * (sysconf(_SC_PAGESIZE) / 1024);
}

// --- the measurements ---

void CompareDatabase(size_t n) {
    std::string dir = bench::ScratchDir();
    std::string file = dir + "/cmp.dat";
    CZARVQENDbEngine* engine = bench::NewEngine(n);
    bool saved = true;
    double save =
        Time([&] { saved = engine->SaveToTemplate(bench::kRid, file.c_str(), "3.0") && saved; });
    engine->Release();
    if (!saved) {
        // The format holds at most 127 groups of 8192 points here.
        std::fprintf(stderr, "the database of %zu points cannot be saved\n", n);
        std::exit(1);
    }

    std::vector<FlatProp> flat;
    double floor_load = Time([&] { FloorDecode(ReadFile(file), flat); });
    // Loads are timed without the teardown (the floor frees nothing
    // either); the last engine loaded is kept for the teardown row.
    CZARVQENDbEngine* loaded = nullptr;
    double load = Time([&] {
        if (loaded) {
            auto pause = Clock::now();
            loaded->Release();
            g_untimed += Clock::now() - pause;
        }
        loaded = new CZARVQENDbEngine("3.0");
        loaded->LoadFromFile(bench::kRid, file.c_str(), "3.0", 1);
    });
    double teardown = Time([&] { loaded->Release(); }, 1);
    double floor_save = Time([&] { FloorSave(flat, dir + "/floor.dat"); });

    std::string rows_db = dir + "/rows.sqlite";
    std::string blob_db = dir + "/blobs.sqlite";
    double sql_save_rows = Time([&] { SqliteSaveRows(flat, rows_db); }, 1);
    double sql_save_blobs = Time([&] { SqliteSaveBlobs(flat, blob_db); }, 1);
    std::vector<FlatProp> from_sql;
    double sql_load_rows = Time([&] { SqliteLoadRows(rows_db, from_sql); });
    double sql_load_blobs = Time([&] { SqliteLoadBlobs(blob_db); });

    std::string pts = std::to_string(n) + " points";
    Report("database load, " + pts, load, floor_load, "floor", "<= 2x");
    Report("database save (synced), " + pts, save, floor_save, "floor", "<= 1.5x");
    Report("database load, " + pts, load, sql_load_rows, "SQLite row per property", "<= 0.1x");
    Report("database load, " + pts, load, sql_load_blobs, "SQLite blob per point", "<= 0.5x");
    Report("database save, " + pts, save, sql_save_rows, "SQLite row per property", "<= 0.1x");
    Report("database save, " + pts, save, sql_save_blobs, "SQLite blob per point", "-");
    Report("engine teardown, " + pts, teardown, load, "its load", "<= 1x");
}

void CompareReadValue(size_t n) {
    CZARVQENDbEngine* engine = bench::NewEngine(n);
    CZARVQENDriver* driver = new CZARVQENDriver(engine);
    // The floor holds the same three things a read hands out (value,
    // quality, time stamp) in the caller's types, one slot per point.
    struct Slot {
        _zarvVAR value;
        CMPQuality quality;
        CZARVTime time;
    };
    std::vector<Slot> dense(n);
    for (Slot& s : dense) s.value = 1.5;
    {
        _zarvVAR v;
        v = 1.5;
        for (size_t i = 0; i < n; ++i)
            engine->WriteValue(bench::PointGMPID(i), v, CMPQuality(), CZARVTime());
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::vector<size_t> order(1 << 20);
    for (size_t& i : order) i = pick(rng);
    std::vector<unsigned long> gmpids(order.size());
    for (size_t i = 0; i < order.size(); ++i) gmpids[i] = bench::PointGMPID(order[i]);
    _zarvVAR value;
    CMPQuality quality;
    CZARVTime time;
    size_t hits = 0;
    double ours = Time([&] {
        for (unsigned long g : gmpids) hits += driver->ReadValue(g, value, quality, time);
    });
    double sum = 0;
    double floor = Time([&] {
        for (size_t i : order) {
            const Slot& s = dense[i];
            value = s.value;
            quality = s.quality;
            time = s.time;
            sum += value.GetDouble();
        }
    });
    std::fprintf(stderr, "  (%zu reads, checksum %g)\n", hits, sum);
    Report("ReadValue, driver, random, " + std::to_string(n) + " points", ours, floor,
           "dense array", "<= 3x");
    driver->Release();
    engine->Release();
}

void CompareIOLookup() {
    const size_t n = 1000000;
    CZARVIODB index;
    std::vector<int> data(n);
    std::vector<std::string> keys(n);
    std::vector<std::pair<uint32_t, uint32_t>> hashes(n);
    for (size_t p = 0; p < n; ++p) {
        std::string a = "COM" + std::to_string(p / 256), b = std::to_string(p % 256);
        keys[p] = a + "$" + b;
        hashes[p] = {DJBHash(a.c_str()), DJBHash(b.c_str())};
        index.CreateIndex(keys[p].c_str(), &data[p]);
    }
    std::mt19937 rng(9);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::vector<size_t> order(1 << 20);
    for (size_t& i : order) i = pick(rng);
    size_t found = 0;
    double ours = Time([&] {
        for (size_t i : order) found += index.GetIndexNode(keys[i].c_str()) != nullptr;
    });
    // The floor: hash the two texts and compare with the stored hashes.
    double floor = Time([&] {
        for (size_t i : order) {
            const std::string& k = keys[i];
            size_t dollar = k.find('$');
            uint32_t a = DJBHash(std::string_view(k).substr(0, dollar));
            uint32_t b = DJBHash(std::string_view(k).substr(dollar + 1));
            found += hashes[i].first == a && hashes[i].second == b;
        }
    });
    std::fprintf(stderr, "  (%zu found)\n", found);
    Report("IO address lookup, 1M addresses", ours, floor, "hash two texts", "<= 1.5x");
}

void CompareMetaTable() {
    std::string path = bench::WriteMetaTable(20000, "cmp-meta.xml");
    auto* table = new CZARVMetaPropTbl(path.c_str());
    double save = Time([&] { table->SaveToFile(path.c_str(), "1.0", "UTF-8"); });
    table->Release();
    double load = Time([&] {
        auto* t = new CZARVMetaPropTbl(path.c_str());
        t->Release();
    });
    size_t seen = 0;
    double pugi_load = Time([&] {
        pugi::xml_document doc;
        doc.load_file(path.c_str());
        for (pugi::xml_node prop : doc.document_element().children("prop"))
            seen += std::strlen(prop.child_value()) + std::strlen(prop.attribute("desc").value());
    });
    pugi::xml_document doc;
    doc.load_file(path.c_str());
    std::string out = path + ".pugi";
    double pugi_save = Time([&] {
        doc.save_file(out.c_str(), "  ");
        int fd = open(out.c_str(), O_RDONLY);
        fsync(fd);
        close(fd);
    });
    Report("meta property table load, 20000", load, pugi_load, "pugixml parse and walk", "<= 2x");
    Report("meta property table save, 20000", save, pugi_save, "pugixml save", "<= 1.5x");
}

// Resident bytes per point that an engine of `n` points adds, measured in
// a fresh process (this program run with --resident N): in this one the
// allocator keeps memory freed by the earlier measurements and would hand
// it out again without a page fault. Negative when the child failed.
double BytesPerPoint(size_t n) {
    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0) return -1;
    self[len] = '\0';
    std::string command = "'";
    command += self;
    command += "' --resident ";
    command += std::to_string(n);
    std::fflush(nullptr);
    FILE* child = popen(command.c_str(), "r");
    if (!child) return -1;
    double per_point = -1;
    if (std::fscanf(child, "%lf", &per_point) != 1) per_point = -1;
    return pclose(child) == 0 ? per_point : -1;
}

// The child's side of BytesPerPoint.
int PrintResident(size_t n) {
    long before = RssKb();
    CZARVQENDbEngine* engine = bench::NewEngine(n);
    long after = RssKb();
    std::printf("%.1f\n", static_cast<double>(after - before) * 1024.0 / static_cast<double>(n));
    engine->Release();
    return 0;
}

// The number in a target such as "<= 1.5x", or a negative number for "-".
double TargetBound(const char* target) {
    const char* digits = std::strpbrk(target, "0123456789");
    return digits ? std::strtod(digits, nullptr) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--resident") == 0)
        return PrintResident(std::strtoul(argv[2], nullptr, 10));
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {200000, 1000000};
    for (size_t n : sizes) {
        std::fprintf(stderr, "comparing on %zu points...\n", n);
        CompareDatabase(n);
        CompareReadValue(n);
    }
    CompareIOLookup();
    CompareMetaTable();

    int targets = 0, met = 0;
    auto count = [&](double value, const char* target) {
        double bound = TargetBound(target);
        if (bound < 0) return;
        ++targets;
        if (value >= 0 && value <= bound) ++met;
    };
    std::printf("%-44s %-26s %10s %10s %8s %8s\n", "operation", "against", "ours (ms)",
                "other (ms)", "ratio", "target");
    for (const Row& r : g_rows) {
        std::printf("%-44s %-26s %10.2f %10.2f %8.2f %8s\n", r.what.c_str(), r.against,
                    r.ours * 1e3, r.other * 1e3, r.ours / r.other, r.target);
        count(r.ours / r.other, r.target);
    }
    // Memory: bytes per point of ten properties, where the other rows put
    // their ratio.
    for (size_t n : {size_t{1000000}, size_t{100000}}) {
        std::fprintf(stderr, "  measuring memory of %zu points\n", n);
        double per_point = BytesPerPoint(n);
        const char* target = "<= 300";
        std::printf("%-44s %-26s %10s %10s %8.0f %8s\n",
                    ("resident memory, " + std::to_string(n) + " points").c_str(),
                    "bytes per point", "", "", per_point, target);
        count(per_point, target);
    }
    std::printf("\ntargets met: %d of %d\n", met, targets);
    return 0;
}
