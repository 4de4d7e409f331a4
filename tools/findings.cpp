#include "tools/findings.h"

#include <cstdio>

namespace zarvtool {

int Findings::ProblemCount() const {
    int n = 0;
    for (const Finding& f : m_items) n += f.problem ? 1 : 0;
    return n;
}

std::string Findings::FirstProblem() const {
    for (const Finding& f : m_items) {
        if (!f.problem) continue;
        if (f.line > 0)
            return "line " + std::to_string(f.line) +
                   (f.column > 0 ? ", column " + std::to_string(f.column) : "") + ": " + f.text;
        if (f.offset >= 0) return f.text + " (at byte " + std::to_string(f.offset) + ")";
        return f.text;
    }
    return "refused";
}

void FindingsReporter::Report(Severity severity, const Where& where, const std::string& what) {
    // An XML position is a line; a binary one is a byte offset.
    const bool at_line = where.line > 0 || where.offset < 0;
    m_out.Add({severity == kProblem, where.line, at_line ? where.column : 0,
               at_line ? -1 : where.offset, what});
}

std::string FormatFinding(const std::string& file, const Finding& finding) {
    std::string out = file;
    if (finding.line > 0) {
        out += ":" + std::to_string(finding.line);
        if (finding.column > 0) out += ":" + std::to_string(finding.column);
    } else if (finding.offset >= 0) {
        out += "@" + std::to_string(finding.offset);
    }
    out += ": ";
    if (!finding.problem) out += "note: ";
    return out + finding.text;
}

void ReportError(const std::string& text) { std::fprintf(stderr, "zarvqen: %s\n", text.c_str()); }

void ReportError(const std::string& file, const std::string& text) {
    ReportError(file + ": " + text);
}

}  // namespace zarvtool
