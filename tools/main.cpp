// zarvqen: look into an installation's configuration files without writing
// a program. This file only turns the command line into the options of one
// command (commands.h) and maps parse errors to the usage exit status.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "tools/commands.h"
#include "zarvqen_version.h"

using namespace zarvtool;

namespace {

constexpr const char* kKindHelp =
    "treat the files as this kind instead of recognising them: database, meta, metatbl, "
    "typeobj, driverlib or pseudos";
const std::vector<std::string> kKinds = {"database", "meta",      "metatbl",
                                         "typeobj",  "driverlib", "pseudos"};

void AddKindOption(CLI::App* cmd, std::string& kind) {
    cmd->add_option("--kind", kind, kKindHelp)->check(CLI::IsMember(kKinds));
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "zarvqen: inspect, check, compare and convert the configuration files of an "
        "installation (configuration databases rs<RID>.dat and the XML catalogues)"};
    // The version of the library the tool runs with: what a bug report needs.
    app.set_version_flag("--version", std::string("zarvqen ") + ZarvqenVersion());
    app.require_subcommand(1);
    app.fallthrough(false);

    DemoOptions demo;
    CLI::App* demo_cmd = app.add_subcommand(
        "demo", "build a sample installation, save it into DIR, load it back and serve values");
    demo_cmd->add_option("dir", demo.dir, "folder for the files (default: a new temporary folder)");

    InfoOptions info;
    CLI::App* info_cmd = app.add_subcommand("info", "recognise each file and summarise it");
    info_cmd->add_option("files", info.files, "files to describe")->required();
    AddKindOption(info_cmd, info.kind);

    CheckOptions check;
    CLI::App* check_cmd = app.add_subcommand(
        "check",
        "verify each file and report every element a load would skip or drop; exit status 0 "
        "clean, 1 problems found, 2 unreadable");
    check_cmd->add_option("files", check.files, "files to check")->required();
    AddKindOption(check_cmd, check.kind);
    check_cmd->add_option("--meta", check.meta,
                          "meta property table that loads of the databases would use");
    check_cmd
        ->add_option("--type", check.type,
                     "database type a load would use (IO addresses are indexed for RIDs "
                     "192 to 254 with types 1, 2 and 3)")
        ->capture_default_str();
    check_cmd->add_flag("-q,--quiet", check.quiet, "print only problems");

    DumpOptions dump;
    CLI::App* dump_cmd = app.add_subcommand("dump", "print the whole content of a file");
    dump_cmd->add_option("file", dump.file, "file to print")->required();
    dump_cmd->add_option("--format", dump.format, "text, json or csv")
        ->check(CLI::IsMember({"text", "json", "csv"}))
        ->capture_default_str();
    AddKindOption(dump_cmd, dump.kind);
    dump_cmd->add_option("--meta", dump.meta, "meta property table naming database properties");

    DiffOptions diff;
    CLI::App* diff_cmd = app.add_subcommand(
        "diff",
        "entries added, removed and changed between two files of one kind; exit status 1 "
        "when they differ");
    diff_cmd->add_option("a", diff.a, "old file")->required();
    diff_cmd->add_option("b", diff.b, "new file")->required();
    AddKindOption(diff_cmd, diff.kind);
    diff_cmd->add_option("--meta", diff.meta, "meta property table naming database properties");

    ExportCsvOptions exp;
    CLI::App* exp_cmd = app.add_subcommand(
        "export-csv",
        "write a configuration database as CSV: one row per point, one column per "
        "property, kind and valid type");
    exp_cmd->add_option("db", exp.db, "configuration database file")->required();
    exp_cmd->add_option("--meta", exp.meta, "name the columns by the meta names of this table");
    exp_cmd->add_option("-o,--out", exp.out, "CSV file to write (default: standard output)");

    ImportCsvOptions imp;
    CLI::App* imp_cmd =
        app.add_subcommand("import-csv",
                           "build a configuration database from CSV (as export-csv writes it); "
                           "writes nothing unless every row is good");
    imp_cmd->add_option("csv", imp.csv, "CSV file to read")->required();
    imp_cmd->add_option("--rid", imp.rid, "RID of the database (0 to 255)")
        ->check(CLI::Range(0, 255));
    imp_cmd->add_option("-o,--out", imp.out,
                        "database file to write (default with --into: the file merged into)");
    imp_cmd->add_option("--meta", imp.meta, "meta property table for columns named by meta name");
    imp_cmd->add_option("--into", imp.into, "merge the rows into this database file by GMPID");
    imp_cmd
        ->add_option("--on-conflict", imp.on_conflict,
                     "a row whose GMPID holds another point: abort, update (the row's columns "
                     "replace the stored properties they name), overwrite or skip")
        ->check(CLI::IsMember({"abort", "update", "overwrite", "skip"}))
        ->capture_default_str();
    imp_cmd->add_flag("-n,--dry-run", imp.dry_run, "print what would change; write nothing");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? kExitClean : kExitUsage;
    }

    if (*demo_cmd) return RunDemo(demo);
    if (*info_cmd) return RunInfo(info);
    if (*check_cmd) return RunCheck(check);
    if (*dump_cmd) return RunDump(dump);
    if (*diff_cmd) return RunDiff(diff);
    if (*exp_cmd) return RunExportCsv(exp);
    if (*imp_cmd) return RunImportCsv(imp);
    return kExitUsage;
}
