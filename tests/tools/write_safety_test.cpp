// What the tool writes: output errors are never hidden, files are replaced
// whole or not at all, and nothing is written over a file that is not the
// previous version of the output.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tools/tool_test_util.h"

namespace {

class ToolWriteSafetyTest : public ToolTest {
protected:
    // A database of RID `rid` with `n` points of a few properties: enough
    // text to pass a small file size limit or a pipe's buffer.
    std::string Database(const std::string& name, unsigned char rid, int n) {
        std::vector<TestPoint> points;
        for (int i = 0; i < n; ++i) {
            unsigned long gmpid = (static_cast<unsigned long>(rid) << 24) | (1ul << 16) | i;
            points.push_back({gmpid,
                              {{1, Var(("point number " + std::to_string(i)).c_str())},
                               {5, Var(static_cast<long>(i))}}});
        }
        std::string path = dir.File(name);
        EXPECT_TRUE(SaveDatabase(path, rid, points));
        return path;
    }
    // The names in the test folder other than the tool's captured output.
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("")))
            if (e.path().filename().string()[0] != '.') names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The database of an import goes out through a temporary file: a failed
// write is no "wrote", and the temporary file goes too (a small database
// fails only as standard output is flushed, a large one while it is copied).
TEST_F(ToolWriteSafetyTest, AFailedWriteOnStandardOutputIsAnErrorWithTheSystemsReason) {
    std::string db = Database("rs7.dat", 7, 20);
    std::string big = dir.File("big.csv"), small = dir.File("small.csv"), tmp = dir.File("tmp");
    std::string text = "gmpid,p1:text:0\n";
    for (int i = 0; i < 4000; ++i) text += "7.1.0." + std::to_string(i) + ",point text\n";
    WriteAll(big, text);
    WriteAll(small, "gmpid,p1:text:0\n7.1.0.1,A\n");
    std::filesystem::create_directory(tmp);
    const std::vector<std::vector<std::string>> commands = {
        {"export-csv", db},
        {"dump", db},
        {"dump", "--format", "json", db},
        {"info", db},
        {"check", db},
        {"diff", db, db},
        {"--version"},
        {"help"},
        {"import-csv", big, "--rid", "7", "-o", "-"},
        {"import-csv", small, "--rid", "7", "-o", "-"}};
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
        ToolRun run = Run(args, ToolShell{"TMPDIR=" + ShellQuote(tmp), "/dev/null", "/dev/full"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "zarvqen: cannot write standard output: No space left on device\n");
        EXPECT_TRUE(std::filesystem::is_empty(tmp));
    }
}

// A reader that stops early (head) is no failure to report.
TEST_F(ToolWriteSafetyTest, AClosedPipeEndsTheCommandQuietly) {
    std::string db = Database("rs7.dat", 7, 3000);
    std::string status = dir.File("status"), err = dir.File("err");
    std::string cmd = "{ " + ShellQuote(ZARVQEN_TOOL) + " dump " + ShellQuote(db) + " 2>" +
                      ShellQuote(err) + "; echo $? >" + ShellQuote(status) +
                      "; } | head -c 10 >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadAll(status), "2\n");
    EXPECT_EQ(ReadAll(err), "");
}

// Output goes out in chunks as it is made: every point arrives once, in
// order, across the chunk boundaries.
TEST_F(ToolWriteSafetyTest, OutputWrittenInChunksArrivesWholeAndInOrder) {
    const int n = 3000;  // several chunks of text, JSON and CSV
    std::string db = Database("rs7.dat", 7, n);
    auto count = [](const std::string& text, const std::string& what) {
        size_t found = 0;
        for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; ++at) ++found;
        return found;
    };
    ToolRun text = Run({"dump", db});
    ASSERT_EQ(text.status, 0);
    EXPECT_EQ(count(text.out, "\npoint 7.1."), static_cast<size_t>(n));
    EXPECT_LT(text.out.find("point 7.1.0.2998 "), text.out.find("point 7.1.0.2999 "));
    ToolRun json = Run({"dump", "--format", "json", db});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(count(json.out, "\"gmpid_hex\""), static_cast<size_t>(n));
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "]\n}\n");
    ToolRun csv = Run({"export-csv", db});
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(count(csv.out, "\n7.1."), static_cast<size_t>(n));
}

// On a terminal the load of a large database shows progress, and the line
// is cleared before the last message, which starts a clean line.
TEST_F(ToolWriteSafetyTest, ProgressOnATerminalIsClearedBeforeTheLastMessage) {
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
    std::vector<TestPoint> points;
    const std::string text(100, 'x');  // over Progress::kMinBytes in all
    for (unsigned long i = 0; i < 50000; ++i)
        points.push_back({(7ul << 24) | ((i / 20000 + 1) << 16) | (i % 20000),
                          {{1, Var(text.c_str())}, {5, Var(static_cast<long>(i))}}});
    std::string db = dir.File("rs7.dat");
    ASSERT_TRUE(SaveDatabase(db, 7, points));
    // script(1) runs the tool on a terminal of its own and copies what it shows.
    auto on_a_terminal = [&](const std::string& args) {
        const std::string shown = dir.File("shown");
        std::string cmd = "script -qfec " + ShellQuote(ShellQuote(ZARVQEN_TOOL) + " " + args) +
                          " /dev/null >" + ShellQuote(shown) + " 2>&1 </dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << args;
        return ReadAll(shown);
    };
    const std::string csv = dir.File("out.csv");
    ExpectParts(on_a_terminal("export-csv " + ShellQuote(db) + " -o " + ShellQuote(csv)),
                {"loading " + db + " ...", "\r\033[Kwrote " + csv}, {"...wrote", "%)wrote"});
    // Reading the CSV file (6 MB) is counted in megabytes of the file.
    const std::string back = dir.File("back.dat");
    ExpectParts(on_a_terminal("import-csv " + ShellQuote(csv) + " --rid 7 -o " + ShellQuote(back)),
                {"\rreading " + csv + ": ", " MB (", "\r\033[Kwrote " + back}, {"%)wrote"});
}

// A file size limit stands in for a full disk: the write fails part way.
TEST_F(ToolWriteSafetyTest, AWriteThatFailsPartWayLeavesTheOldFileWholeAndSaysWhy) {
    std::string db = Database("rs7.dat", 7, 200);
    WriteAll(dir.File("old.csv"), "gmpid\n7.1.0.0\n");
    std::string old_db = Database("rs7-old.dat", 7, 1), before_db = ReadAll(old_db);
    const ToolShell limited = ToolShell::Before("ulimit -f 1;");

    ToolRun run = Run({"export-csv", db, "-o", dir.File("old.csv"), "--force"}, limited);
    ExpectRun(run, 2, run.err, {"cannot write " + dir.File("old.csv") + ": File too large"});
    EXPECT_EQ(ReadAll(dir.File("old.csv")), "gmpid\n7.1.0.0\n");

    ASSERT_EQ(Run({"export-csv", db, "-o", dir.File("all.csv")}).status, 0);
    run = Run({"import-csv", dir.File("all.csv"), "--rid", "7", "-o", old_db}, limited);
    EXPECT_EQ(run.status, 2);
    // Both commands say it alike.
    ExpectParts(run.err, {"zarvqen: cannot write " + old_db + ": File too large"});
    EXPECT_EQ(ReadAll(old_db), before_db);
    // No temporary file stays behind.
    EXPECT_EQ(Names(), (std::vector<std::string>{"all.csv", "old.csv", "rs7-old.dat", "rs7.dat"}));
}

TEST_F(ToolWriteSafetyTest, OnlyTheDatabaseOfTheSameRidIsReplacedWithoutForce) {
    std::string db = Database("rs7.dat", 7, 3);
    ASSERT_EQ(Run({"export-csv", db, "-o", dir.File("points.csv")}).status, 0);
    std::string csv = ReadAll(dir.File("points.csv"));
    std::string other = Database("rs8.dat", 8, 1), other_bytes = ReadAll(other);
    std::string catalogue = Xml("meta.xml", "<meta/>\n"), catalogue_bytes = ReadAll(catalogue);

    struct Refused {
        std::vector<std::string> args;
        std::string target, why;
    };
    const std::vector<Refused> refused = {
        {{"import-csv", dir.File("points.csv"), "--rid", "7", "-o", other},
         other,
         "is a configuration database of RID 8, not 7"},
        {{"import-csv", dir.File("points.csv"), "--rid", "7", "-o", catalogue},
         catalogue,
         "is not a configuration database of RID 7"},
        {{"import-csv", dir.File("points.csv"), "--rid", "7", "-o", dir.File("points.csv")},
         dir.File("points.csv"),
         "is the input"},
        {{"export-csv", db, "-o", catalogue}, catalogue, "exists"},
        {{"export-csv", db, "-o", db}, db, "is the input"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.args[0] + " -o " + r.target);
        std::string bytes = ReadAll(r.target);
        ToolRun run = Run(r.args);
        ExpectRun(run, 2, run.err, {r.target + ": ", r.why, "--force"});
        EXPECT_EQ(ReadAll(r.target), bytes);
    }
    // The input reached through a hard or a symbolic link is still the input.
    ASSERT_EQ(::link(db.c_str(), dir.File("hard.dat").c_str()), 0);
    ASSERT_EQ(::symlink(db.c_str(), dir.File("soft.dat").c_str()), 0);
    for (const char* alias : {"hard.dat", "soft.dat"}) {
        ToolRun run = Run({"export-csv", db, "-o", dir.File(alias)});
        ExpectRun(run, 2, run.err, {"is the input"});
    }

    // The previous version of the output is replaced; --force replaces any file.
    EXPECT_EQ(Run({"import-csv", dir.File("points.csv"), "--rid", "7", "-o", db}).status, 0);
    EXPECT_EQ(Run({"export-csv", db, "-o", catalogue, "--force"}).status, 0);
    EXPECT_EQ(ReadAll(catalogue), csv);
    // A folder is never replaced.
    ::mkdir(dir.File("folder").c_str(), 0755);
    ToolRun run = Run({"export-csv", db, "-o", dir.File("folder"), "--force"});
    ExpectRun(run, 2, run.err, {"is a directory"});
}

}  // namespace
