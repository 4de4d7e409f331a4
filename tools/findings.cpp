#include "tools/findings.h"

#include <cstdio>

namespace zarvtool {

int Findings::ProblemCount() const {
    int n = 0;
    for (const Finding& f : m_items) n += f.problem ? 1 : 0;
    return n;
}

void FindingsReporter::Report(Severity severity, const Where& where, const std::string& what) {
    bool problem = severity == kProblem;
    if (where.line > 0 || where.offset < 0) {
        if (problem)
            m_out.Problem(where.line, what);
        else
            m_out.Note(where.line, what);
    } else if (problem) {
        m_out.ProblemAt(where.offset, what);
    } else {
        m_out.NoteAt(where.offset, what);
    }
}

std::string FormatFinding(const std::string& file, const Finding& finding) {
    std::string out = file;
    if (finding.line > 0)
        out += ":" + std::to_string(finding.line);
    else if (finding.offset >= 0)
        out += "@" + std::to_string(finding.offset);
    out += ": ";
    if (!finding.problem) out += "note: ";
    return out + finding.text;
}

void ReportError(const std::string& text) { std::fprintf(stderr, "zarvqen: %s\n", text.c_str()); }

void ReportError(const std::string& file, const std::string& text) {
    ReportError(file + ": " + text);
}

}  // namespace zarvtool
