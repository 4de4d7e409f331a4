// What `check` tells a person: problems (elements a load would skip, drop or
// read differently, damage that makes the library refuse a file) and notes
// (worth knowing, harmless to a load), each tied to a line of an XML file or
// a byte offset of a database file.
#ifndef TOOLS_FINDINGS_H_
#define TOOLS_FINDINGS_H_

#include <string>
#include <vector>

#include "host/zarvlib/load_reporter.h"

namespace zarvtool {

struct Finding {
    bool problem = true;    // false: a note, which does not fail the check
    int line = 0;           // 1-based line in an XML file; 0 when none
    int column = 0;         // 1-based column on that line; 0 when none
    long long offset = -1;  // byte offset in a database file; -1 when none
    std::string text;
};

class Findings {
public:
    void Add(Finding finding) { m_items.push_back(std::move(finding)); }
    void Problem(int line, std::string text, int column = 0) {
        m_items.push_back({true, line, column, -1, std::move(text)});
    }
    void Note(int line, std::string text) {
        m_items.push_back({false, line, 0, -1, std::move(text)});
    }
    const std::vector<Finding>& Items() const { return m_items; }
    int ProblemCount() const;
    // The first problem with where it is: "line L, column C: text",
    // "text (at byte N)" or the text alone; "refused" when there is none.
    std::string FirstProblem() const;

private:
    std::vector<Finding> m_items;
};

// A library load's reporter that keeps what it is told as findings.
class FindingsReporter : public CZARVLoadReporter {
public:
    explicit FindingsReporter(Findings& out) : m_out(out) {}
    void Report(Severity severity, const Where& where, const std::string& what) override;

private:
    Findings& m_out;
};

// "FILE:LINE: text" (with a column "FILE:LINE:COLUMN: text"),
// "FILE@OFFSET: text" or "FILE: text"; notes carry "note: " before the text.
std::string FormatFinding(const std::string& file, const Finding& finding);

// Errors that stop a command, on standard error: "zarvqen: text" and
// "zarvqen: FILE: text".
void ReportError(const std::string& text);
void ReportError(const std::string& file, const std::string& text);

}  // namespace zarvtool

#endif  // TOOLS_FINDINGS_H_
