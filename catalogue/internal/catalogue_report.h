// CZARVCatalogueReport: how a catalogue loader tells its optional reporter
// (host/zarvlib/load_reporter.h) what it passes over. Every message is
// given as a function that builds it, called only when a reporter is there,
// so a load without one builds no text.
//
// CZARVFirstLines remembers the line of each key a load took, for the
// "the first one wins" report of a later element with the same key; it
// records nothing without a reporter.
#ifndef CATALOGUE_CATALOGUE_REPORT_H_
#define CATALOGUE_CATALOGUE_REPORT_H_

#include <map>
#include <string>

#include "host/zarvlib/load_reporter.h"
#include "host/zarvlib/markup.h"

namespace zarvqen {

class CZARVCatalogueReport {
public:
    explicit CZARVCatalogueReport(CZARVLoadReporter* reporter) : m_reporter(reporter) {}

    bool On() const { return m_reporter != nullptr; }
    // The line of the main element / current child of `doc`, looked up only
    // for a reporter (0 without one).
    int Line(const CMarkup& doc) const { return m_reporter ? doc.GetLine() : 0; }
    int ChildLine(const CMarkup& doc) const { return m_reporter ? doc.GetChildLine() : 0; }
    CZARVLoadReporter* Reporter() const { return m_reporter; }

    template <class Build>
    void Problem(int line, Build build) const {
        if (m_reporter) Tell(CZARVLoadReporter::kProblem, line, build());
    }
    template <class Build>
    void Note(int line, Build build) const {
        if (m_reporter) Tell(CZARVLoadReporter::kNote, line, build());
    }
    // A problem whose text may come out empty (nothing to say).
    template <class Build>
    void ProblemIfAny(int line, Build build) const {
        if (!m_reporter) return;
        std::string text = build();
        if (!text.empty()) Tell(CZARVLoadReporter::kProblem, line, text);
    }
    // "element <tag> passed over: <why>".
    template <class Build>
    void PassedOver(int line, const std::string& tag, Build why) const {
        Problem(line, [&] { return "element <" + tag + "> passed over: " + why(); });
    }

private:
    void Tell(CZARVLoadReporter::Severity severity, int line, const std::string& text) const {
        m_reporter->Report(severity, CZARVLoadReporter::Where::Line(line), text);
    }

    CZARVLoadReporter* m_reporter;
};

// "its text has N comma-separated field(s)", as a skipped element's
// reason begins.
inline std::string PieceCountText(size_t n) {
    return "its text has " + std::to_string(n) +
           (n == 1 ? " comma-separated field" : " comma-separated fields");
}

template <class Key>
class CZARVFirstLines {
public:
    explicit CZARVFirstLines(const CZARVCatalogueReport& report) : m_report(report) {}

    // After a load took (`taken`) or refused the element of `key` on `line`:
    // remembers the line of a taken one, reports a refused one as
    // "<what> dropped<with>: its <key_word> is already used on line N (the
    // first one wins)".
    template <class What>
    void Taken(bool taken, const Key& key, int line, What what, const char* key_word,
               const char* with = "") {
        if (!m_report.On()) return;
        if (taken) {
            m_lines.emplace(key, line);
            return;
        }
        auto it = m_lines.find(key);
        int first = it == m_lines.end() ? 0 : it->second;
        m_report.Problem(line, [&] {
            return what() + " dropped" + with + ": its " + key_word + " is already used on line " +
                   std::to_string(first) + " (the first one wins)";
        });
    }

private:
    const CZARVCatalogueReport& m_report;
    std::map<Key, int> m_lines;
};

}  // namespace zarvqen

#endif  // CATALOGUE_CATALOGUE_REPORT_H_
