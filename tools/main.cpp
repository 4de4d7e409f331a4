// zarvqen: look into an installation's configuration files without writing
// a program. This file only turns the command line into the options of one
// command (commands.h), maps parse errors to the usage exit status, makes
// the inputs readable (input.h) and checks, once the command is done, that
// everything it printed reached standard output.
#include <CLI/CLI.hpp>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <sstream>
#include <string>

#include "tools/commands.h"
#include "tools/findings.h"
#include "tools/input.h"
#include "tools/message_flood.h"
#include "tools/output.h"
#include "zarvqen_version.h"

using namespace zarvtool;

namespace {

// The files the command works on, for a message that ends it from outside
// the command (out of memory).
std::string& Subject() {
    static std::string subject;
    return subject;
}

constexpr const char* kKindHelp =
    "treat the files as this kind instead of recognising them: database, meta, metatbl, "
    "typeobj, driverlib or pseudos";
const std::vector<std::string> kKinds = {"database", "meta",      "metatbl",
                                         "typeobj",  "driverlib", "pseudos"};
constexpr const char* kForceHelp =
    "replace an existing file that is not the previous version of the output, or an input";

// A whole number from `low` to `high`. CLI11's own range check would call a
// word or a fraction "not in range"; a user who typed one needs to hear that
// a number is expected.
CLI::Validator WholeNumberIn(int low, int high) {
    const std::string range = std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            long value = 0;
            const char* end = text.data() + text.size();
            auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error == std::errc::invalid_argument || stop != end)
                return "'" + text + "' is not a whole number (" + range + ")";
            if (error == std::errc::result_out_of_range || value < low || value > high)
                return "Value " + text + " not in range " + range;
            return std::string();
        },
        "INT in [" + std::to_string(low) + " - " + std::to_string(high) + "]");
}

void AddKindOption(CLI::App* cmd, std::string& kind) {
    cmd->add_option("--kind", kind, kKindHelp)->check(CLI::IsMember(kKinds));
}

std::string CommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* cmd : app.get_subcommands({}))
        names += (names.empty() ? "" : ", ") + cmd->get_name();
    return names;
}

// The parser's message for `e`, as every message of the tool starts, and
// with the command it concerns: a missing argument is named as the
// command's help names it.
std::string ParseFailure(const CLI::App& app, const CLI::Error& e) {
    std::vector<CLI::App*> chosen = app.get_subcommands();
    if (chosen.empty()) {
        if (dynamic_cast<const CLI::RequiredError*>(&e) ||
            dynamic_cast<const CLI::ExtrasError*>(&e)) {
            std::vector<std::string> rest = app.remaining();
            std::string head = rest.empty() || rest[0].empty() ? std::string("a command is needed")
                               : rest[0][0] == '-'             ? "unknown option '" + rest[0] + "'"
                                                   : "unknown command '" + rest[0] + "'";
            return "zarvqen: " + head + "; the commands are " + CommandNames(app) +
                   " (zarvqen help shows what they do)\n";
        }
        return "zarvqen: " + std::string(e.what()) + "\n";
    }
    const CLI::App* cmd = chosen.back();
    std::string name = cmd->get_name();
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
        for (const CLI::Option* opt : cmd->get_options()) {
            if (opt->get_required() && opt->count() == 0) {
                return "zarvqen: " + name + ": missing " + opt->get_name() + " (" +
                       opt->get_description() + "); see zarvqen " + name + " --help\n";
            }
        }
    }
    return "zarvqen: " + name + ": " + e.what() + "; see zarvqen " + name + " --help\n";
}

// Copies the streams among `paths` (standard input, pipes, FIFOs) so that
// the loads can read them. Files that cannot be read at all are left to
// the command, which says so for each.
bool StageInputs(const std::vector<const std::string*>& paths) {
    for (const std::string* path : paths) {
        if (path->empty()) continue;
        std::string why;
        if (!StageInput(*path, why)) {
            ReportError(why);
            return false;
        }
    }
    return true;
}

}  // namespace

int Main(int argc, char** argv) {
    CLI::App app{
        "zarvqen: inspect, check, compare and convert the configuration files of an "
        "installation (configuration databases rs<RID>.dat and the XML catalogues); "
        "FILE \"-\" reads standard input"};
    // The version of the library the tool runs with: what a bug report needs.
    // Usage lines name the tool, not the path it was started by.
    app.name("zarvqen");
    app.set_version_flag("-V,--version", std::string("zarvqen ") + ZarvqenVersion());
    app.require_subcommand(1);
    app.fallthrough(false);
    app.allow_extras(false);

    DemoOptions demo;
    CLI::App* demo_cmd = app.add_subcommand(
        "demo", "build a sample installation, save it into DIR, load it back and serve values");
    demo_cmd->add_option("DIR", demo.dir, "folder for the files (default: a new temporary folder)");
    demo_cmd->add_flag("--force", demo.force, "write over the files of an earlier installation");

    InfoOptions info;
    CLI::App* info_cmd = app.add_subcommand("info", "recognise each file and summarise it");
    info_cmd->add_option("FILE", info.files, "files to describe")->required();
    AddKindOption(info_cmd, info.kind);

    CheckOptions check;
    CLI::App* check_cmd = app.add_subcommand(
        "check",
        "verify each file and report every element a load would skip or drop; exit status 0 "
        "clean, 1 problems found, 2 unreadable");
    check_cmd->add_option("FILE", check.files, "files to check")->required();
    AddKindOption(check_cmd, check.kind);
    check_cmd
        ->add_option("--meta", check.meta,
                     "meta property table that loads of the databases would use")
        ->type_name("META.xml");
    check_cmd
        ->add_option("--type", check.type,
                     "database type a load would use, 0 to 3 (IO addresses are indexed for "
                     "RIDs 192 to 254 with types 1, 2 and 3)")
        ->check(WholeNumberIn(0, 3))
        ->type_name("N")
        ->capture_default_str();
    check_cmd->add_flag("-q,--quiet", check.quiet, "print only problems");

    DumpOptions dump;
    CLI::App* dump_cmd = app.add_subcommand("dump", "print the whole content of a file");
    dump_cmd->add_option("FILE", dump.file, "file to print")->required();
    dump_cmd->add_option("--format", dump.format, "text, json or csv")
        ->check(CLI::IsMember({"text", "json", "csv"}))
        ->capture_default_str();
    AddKindOption(dump_cmd, dump.kind);
    dump_cmd->add_option("--meta", dump.meta, "meta property table naming database properties")
        ->type_name("META.xml");

    DiffOptions diff;
    CLI::App* diff_cmd = app.add_subcommand(
        "diff",
        "entries added, removed and changed between two files of one kind; exit status 1 "
        "when they differ");
    diff_cmd->add_option("A", diff.a, "old file")->required();
    diff_cmd->add_option("B", diff.b, "new file")->required();
    AddKindOption(diff_cmd, diff.kind);
    diff_cmd->add_option("--meta", diff.meta, "meta property table naming database properties")
        ->type_name("META.xml");

    ExportCsvOptions exp;
    CLI::App* exp_cmd = app.add_subcommand(
        "export-csv",
        "write a configuration database as CSV: one row per point, one column per "
        "property, kind and valid type");
    exp_cmd->add_option("DB", exp.db, "configuration database file")->required();
    exp_cmd->add_option("--meta", exp.meta, "name the columns by the meta names of this table")
        ->type_name("META.xml");
    exp_cmd
        ->add_option("-o,--out", exp.out, "CSV file to write (default and \"-\": standard output)")
        ->type_name("FILE");
    exp_cmd->add_flag("--force", exp.force, kForceHelp);

    ImportCsvOptions imp;
    CLI::App* imp_cmd =
        app.add_subcommand("import-csv",
                           "build a configuration database from CSV (as export-csv writes it); "
                           "writes nothing unless every row is good");
    imp_cmd->add_option("CSV", imp.csv, "CSV file to read")->required();
    imp_cmd->add_option("--rid", imp.rid, "RID of the database (0 to 255)")
        ->check(WholeNumberIn(0, 255))
        ->type_name("N");
    imp_cmd
        ->add_option("-o,--out", imp.out,
                     "database file to write, \"-\": standard output (default with --into: "
                     "the file merged into)")
        ->type_name("DB.dat");
    imp_cmd->add_option("--meta", imp.meta, "meta property table for columns named by meta name")
        ->type_name("META.xml");
    CLI::Option* into =
        imp_cmd->add_option("--into", imp.into, "merge the rows into this database file by GMPID")
            ->type_name("DB.dat");
    imp_cmd
        ->add_option("--on-conflict", imp.on_conflict,
                     "a row whose GMPID holds another point: abort, update (the row's columns "
                     "replace the stored properties they name), overwrite or skip")
        ->check(CLI::IsMember({"abort", "update", "overwrite", "skip"}))
        ->capture_default_str()
        ->needs(into);
    imp_cmd->add_flag("-n,--dry-run", imp.dry_run, "print what would change; write nothing");
    imp_cmd->add_flag("--force", imp.force, kForceHelp);

    std::string help_of;
    CLI::App* help_cmd = app.add_subcommand("help", "list the commands, or explain one");
    help_cmd->add_option("COMMAND", help_of, "the command to explain");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            // Help and version go through the checked writes, as all output.
            std::ostringstream out;
            int code = app.exit(e, out);
            WriteStdout(out.str());
            return code == 0 ? kExitClean : kExitUsage;
        }
        std::fputs(ParseFailure(app, e).c_str(), stderr);
        return kExitUsage;
    }

    if (*help_cmd) {
        if (help_of.empty()) {
            // app.help() would explain the chosen command, "help" itself.
            WriteStdout(
                app.get_formatter()->make_help(&app, "zarvqen", CLI::AppFormatMode::Normal));
            return kExitClean;
        }
        for (const CLI::App* cmd : app.get_subcommands({})) {
            if (cmd->get_name() == help_of) {
                WriteStdout(cmd->help("zarvqen"));
                return kExitClean;
            }
        }
        ReportError("unknown command '" + help_of + "'; the commands are " + CommandNames(app));
        return kExitUsage;
    }
    if (*imp_cmd && IsStdPath(imp.into) && imp.out.empty() && !imp.dry_run) {
        ReportError("import-csv: --into - needs -o: standard input cannot be rewritten");
        return kExitUsage;
    }

    std::vector<const std::string*> inputs;
    for (const std::string* meta : {&check.meta, &dump.meta, &diff.meta, &exp.meta, &imp.meta})
        inputs.push_back(meta);
    if (*info_cmd)
        for (const std::string& f : info.files) inputs.push_back(&f);
    if (*check_cmd)
        for (const std::string& f : check.files) inputs.push_back(&f);
    for (const std::string* path : {&dump.file, &diff.a, &diff.b, &exp.db, &imp.csv, &imp.into})
        inputs.push_back(path);
    for (const std::string* path : inputs)
        if (!path->empty()) Subject() += (Subject().empty() ? "" : ", ") + *path;
    if (!StageInputs(inputs)) return kExitUsage;

    if (*demo_cmd) return RunDemo(demo);
    if (*info_cmd) return RunInfo(info);
    if (*check_cmd) return RunCheck(check);
    if (*dump_cmd) return RunDump(dump);
    if (*diff_cmd) return RunDiff(diff);
    if (*exp_cmd) return RunExportCsv(exp);
    if (*imp_cmd) return RunImportCsv(imp);
    return kExitUsage;
}

int main(int argc, char** argv) {
    // A closed pipe and a file size limit are write errors like any other,
    // told where they happen instead of ending the process unseen.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        int status = Main(argc, argv);
        EndFlood();
        FlushStdout();
        return status;
    } catch (const StdoutFailure& failure) {
        // The reader of a pipe that stopped reading wants no more: end
        // quietly, as Unix tools do; any other loss is an error.
        if (failure.err != EPIPE)
            ReportError("cannot write standard output: " + SystemReason(failure.err));
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        ReportError(Subject().empty() ? "out of memory" : Subject() + ": out of memory");
        return kExitUsage;
    } catch (const std::exception& e) {
        // Whatever else a library call throws ends the command with a
        // message, not an abort.
        ReportError(e.what());
        return kExitUsage;
    }
}
