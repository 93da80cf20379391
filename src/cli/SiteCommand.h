#pragma once

#include <cstdio>

#include "cli/ReportOptions.h"
#include "export/HtmlColors.h"

namespace obitrak {

// obitrak-report --site DIR: finds the demos of the inputs as the summary does, analyses
// each (or takes its result from --library) and brings the web site in DIR up to date. An
// archive whose demos, options and program are those of the site's last run is left as it
// is. With --watch it goes on, bringing the site up to date after every change in the
// folders, until a signal ends it. Messages go to `err`. Returns the exit status.
int runSiteCommand(const ReportOptions& options, const HtmlColorSet& colors, std::FILE* err);

}  // namespace obitrak
