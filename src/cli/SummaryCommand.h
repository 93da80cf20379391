#pragma once

#include <cstdio>

#include <string>
#include <vector>

#include "cli/ReportOptions.h"
#include "export/HtmlColors.h"
#include "library/LibraryIndexer.h"
#include "scan/DemoSearch.h"

namespace obitrak {

// The demos of a search, each file once: a demo named twice, or named and found in a
// folder, counts once.
std::vector<IndexDemo> distinctDemos(const DemoSearch& search);

// The inputs that are folders: the library forgets the demos gone from them.
std::vector<std::string> folderInputs(const std::vector<std::string>& inputs);

// obitrak-report --summary: finds the demos of the inputs as the reports do, analyses each
// (or takes its result from --library while its size and time are unchanged) and writes
// one summary of them all to --output or `out`. Demos that cannot be read are named on
// `err` and left out of the totals. Returns the exit status.
int runSummaryCommand(const ReportOptions& options, const HtmlColorSet& colors, std::FILE* out,
                      std::FILE* err);

}  // namespace obitrak
