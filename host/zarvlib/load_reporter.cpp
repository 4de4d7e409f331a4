#include "host/zarvlib/load_reporter.h"

CZARVLoadReporter::~CZARVLoadReporter() = default;
