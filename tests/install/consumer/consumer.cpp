// A program outside the tree: it sees only the installed headers and
// libraries. It loads a meta property table and a configuration database
// and prints the version it runs with and the number of points.
//
//   zarvqen_consumer META.xml DB.dat RID
//
// Both spellings of the include work with the installed include path; the
// test builds one with each.
#ifdef CONSUMER_SHORT_INCLUDE
#include <zarvqencore.h>
#else
#include <zarvqencore/zarvqencore.h>
#endif

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s META.xml DB.dat RID\n", argv[0]);
        return 2;
    }
    const auto rid = static_cast<unsigned char>(std::atoi(argv[3]));

    std::printf("zarvqencore %s, compiled against %s\n", ZarvqenVersion(), ZARVQEN_VERSION_TEXT);
    if (ZarvqenVersionMajor() != ZARVQEN_VERSION_MAJOR) {
        std::fprintf(stderr, "loaded library has another major version\n");
        return 1;
    }

    // The table must outlive the loads that decode through it.
    CZARVMetaPropTbl meta(argv[1]);
    CZARVQENDbEngine engine("1.0.0");
    engine.SetMetaProps(&meta);
    if (!engine.LoadFromFile(rid, argv[2], "1.0.0", 1)) {
        std::fprintf(stderr, "cannot load %s\n", argv[2]);
        return 1;
    }
    int points = 0;
    for (int group = 0; group < 256; ++group) {
        CZARVDataSet<CZARVMPInfo> set;
        const int n = engine.ListMPInfo(rid, static_cast<unsigned char>(group), set);
        if (n > 0) points += n;
    }
    std::printf("RID %d: %d points\n", rid, points);
    return 0;
}
