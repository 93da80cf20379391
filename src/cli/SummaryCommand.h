#pragma once

#include <cstdio>

#include "cli/ReportOptions.h"
#include "export/HtmlColors.h"

namespace obitrak {

// obitrak-report --summary: finds the demos of the inputs as the reports do, analyses each
// (or takes its result from --library while its size and time are unchanged) and writes
// one summary of them all to --output or `out`. Demos that cannot be read are named on
// `err` and left out of the totals. Returns the exit status.
int runSummaryCommand(const ReportOptions& options, const HtmlColorSet& colors, std::FILE* out,
                      std::FILE* err);

}  // namespace obitrak
