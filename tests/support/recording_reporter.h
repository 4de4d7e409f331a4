// A load reporter that keeps everything it is told, for the tests of what
// the loads report.
#ifndef TESTS_SUPPORT_RECORDING_REPORTER_H_
#define TESTS_SUPPORT_RECORDING_REPORTER_H_

#include <string>
#include <vector>

#include "host/zarvlib/load_reporter.h"

struct Told {
    CZARVLoadReporter::Severity severity;
    CZARVLoadReporter::Where where;
    std::string what;

    bool Says(const std::string& part) const { return what.find(part) != std::string::npos; }
};

class RecordingReporter : public CZARVLoadReporter {
public:
    void Report(Severity severity, const Where& where, const std::string& what) override {
        told.push_back({severity, where, what});
    }
    std::vector<Told> told;
};

#endif  // TESTS_SUPPORT_RECORDING_REPORTER_H_
