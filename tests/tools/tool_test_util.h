// Helpers for the tests that run the built zarvqen tool: running it with
// captured output and writing the files it reads (through the library, or
// byte by byte for damaged ones).
#ifndef TESTS_TOOLS_TOOL_TEST_UTIL_H_
#define TESTS_TOOLS_TOOL_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/make_var.h"
#include "support/raw_database.h"
#include "support/temp_dir.h"
#include "zarvqencore.h"

#ifndef ZARVQEN_TOOL
#error "ZARVQEN_TOOL must name the zarvqen executable"
#endif

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
    std::string command;  // as the shell ran it, for failure messages
};

inline std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// How the shell starts the tool: what comes before it (such as "ulimit -f
// 1;"), where its standard input comes from and where its standard output
// goes (empty: captured).
struct ToolShell {
    std::string before;
    std::string in = "/dev/null";
    std::string out;

    static ToolShell Before(std::string text) { return {std::move(text), "/dev/null", ""}; }
    static ToolShell In(std::string path) { return {"", std::move(path), ""}; }
    static ToolShell Out(std::string path) { return {"", "/dev/null", std::move(path)}; }
};

// Runs the tool with `args` inside `dir` (for its output files).
inline ToolRun RunTool(const TempDir& dir, const std::vector<std::string>& args,
                       const ToolShell& shell = {}) {
    std::string cmd = shell.before + " " + ShellQuote(ZARVQEN_TOOL);
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    std::string out = dir.File(".tool.out"), err = dir.File(".tool.err");
    cmd += " >" + ShellQuote(shell.out.empty() ? out : shell.out) + " 2>" + ShellQuote(err) + " <" +
           ShellQuote(shell.in);
    int raw = std::system(cmd.c_str());
    ToolRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(out), ReadAll(err), cmd};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

// Expects every one of `parts` in `text`, and none of `absent`.
inline void ExpectParts(const std::string& text, const std::vector<std::string>& parts,
                        const std::vector<std::string>& absent = {}) {
    for (const std::string& part : parts)
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
    for (const std::string& part : absent)
        EXPECT_EQ(text.find(part), std::string::npos) << "unwanted: " << part << "\n" << text;
}

// Expects `run` to have ended with `status` and `text` (its output or its
// messages) to hold each of `parts` and none of `absent`.
inline void ExpectRun(const ToolRun& run, int status, const std::string& text,
                      const std::vector<std::string>& parts,
                      const std::vector<std::string>& absent = {}) {
    EXPECT_EQ(run.status, status) << run.command << "\n" << run.out << run.err;
    ExpectParts(text, parts, absent);
}

// Expects a refusal: exit status 2, and on standard error a message that
// starts with "zarvqen: " and holds each of `parts`.
inline void ExpectRefused(const ToolRun& run, const std::vector<std::string>& parts) {
    EXPECT_EQ(run.status, 2) << run.command << "\n" << run.out << run.err;
    EXPECT_EQ(run.err.rfind("zarvqen: ", 0), 0u) << run.err;
    ExpectParts(run.err, parts);
}

// A test point: its GMPID and properties (number, value, valid type).
struct TestProp {
    unsigned short id;
    _zarvVAR value;
    int valid = 0;
};
struct TestPoint {
    unsigned long gmpid;
    std::vector<TestProp> props;
};

// Saves the points as the database of `rid` at `path` through the engine.
inline bool SaveDatabase(const std::string& path, unsigned char rid,
                         const std::vector<TestPoint>& points) {
    CZARVQENDbEngine engine("1.0.0");
    engine.CreateConfigDB(rid, 0);
    for (const TestPoint& p : points) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(p.gmpid));
        for (const TestProp& prop : p.props) info->InsertMPProp(prop.id, prop.value, prop.valid);
        if (!engine.InsertMPInfo(info.get())) return false;
    }
    return engine.SaveToTemplate(rid, path.c_str(), "1.0.0");
}

// Fixture: a folder for the files of one test.
class ToolTest : public ::testing::Test {
protected:
    ToolRun Run(const std::vector<std::string>& args, const ToolShell& shell = {}) {
        return RunTool(dir, args, shell);
    }
    std::string Xml(const std::string& name, const std::string& body) {
        std::string path = dir.File(name);
        WriteAll(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
        return path;
    }
    TempDir dir;
};

#endif  // TESTS_TOOLS_TOOL_TEST_UTIL_H_
