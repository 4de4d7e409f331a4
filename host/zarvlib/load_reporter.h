// CZARVLoadReporter: what a load passes over, told to a caller who wants to
// know. Every loader of the library (the configuration database file and
// each catalogue) takes an optional reporter; without one a load does
// exactly what it does with one, and builds no message at all.
//
// A loader reports as a problem each element, record or property that it
// skips, drops, refuses or reads as something other than its text says (a
// number "12abc" read as 12), and the reason it refuses a whole file; it
// reports as a note what is harmless to the load but worth knowing (an
// attribute it ignores, a valid type it keeps from the file). The load's own
// result is not changed by reporting.
#ifndef ZARVLIB_LOAD_REPORTER_H_
#define ZARVLIB_LOAD_REPORTER_H_

#include <string>

#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API CZARVLoadReporter {
public:
    enum Severity { kProblem, kNote };

    // Where in the file: a 1-based line and column of an XML file (0 when
    // unknown), or a byte offset of a binary file (-1 when none). A report
    // about the whole file has neither.
    struct Where {
        int line = 0;
        int column = 0;
        long long offset = -1;

        static Where Line(int line, int column = 0) { return Where{line, column, -1}; }
        static Where Offset(long long offset) { return Where{0, 0, offset}; }
    };

    virtual ~CZARVLoadReporter();

    // One finding. `what` says what was passed over and why, in words for a
    // person; it lives for the call only.
    virtual void Report(Severity severity, const Where& where, const std::string& what) = 0;
};

#endif  // ZARVLIB_LOAD_REPORTER_H_
