// The commands of zarvqen: their options, as main.cpp fills them from the
// command line, and their entry points. Each command lives in its own
// cmd_*.cpp file and returns the process exit status.
#ifndef TOOLS_COMMANDS_H_
#define TOOLS_COMMANDS_H_

#include <string>
#include <vector>

namespace zarvtool {

// Exit statuses shared by every command.
inline constexpr int kExitClean = 0;     // done, nothing to report
inline constexpr int kExitProblems = 1;  // problems found, files differ, bad input rows
inline constexpr int kExitUsage = 2;     // usage error, unreadable or unrecognised file

struct DemoOptions {
    std::string dir;     // empty: a new temporary folder
    bool force = false;  // write over the files of an earlier installation
};

struct InfoOptions {
    std::vector<std::string> files;
    std::string kind;  // empty: recognise each file
};

struct CheckOptions {
    std::vector<std::string> files;
    std::string kind;
    std::string meta;  // meta property table that loads of databases would use
    int type = 1;      // the database type databases would be loaded with
    bool quiet = false;
};

struct DumpOptions {
    std::string file;
    std::string format = "text";  // text, json or csv
    std::string kind;
    std::string meta;
};

struct DiffOptions {
    std::string a;
    std::string b;
    std::string kind;
    std::string meta;
};

struct ExportCsvOptions {
    std::string db;
    std::string meta;
    std::string out;     // empty: standard output
    bool force = false;  // replace any existing file
};

struct ImportCsvOptions {
    std::string csv;
    int rid = -1;  // -1: not given
    std::string out;
    std::string meta;
    std::string into;
    std::string on_conflict = "abort";
    bool dry_run = false;
    bool force = false;  // replace a file that is not a database of the RID
};

int RunDemo(const DemoOptions& opt);
int RunInfo(const InfoOptions& opt);
int RunCheck(const CheckOptions& opt);
int RunDump(const DumpOptions& opt);
int RunDiff(const DiffOptions& opt);
int RunExportCsv(const ExportCsvOptions& opt);
int RunImportCsv(const ImportCsvOptions& opt);

}  // namespace zarvtool

#endif  // TOOLS_COMMANDS_H_
