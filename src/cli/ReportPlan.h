#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/ReportOptions.h"
#include "scan/FileAccess.h"

namespace obitrak {

// Where a report beside its demo or in an --output folder goes: the folder `below` (names
// joined by "/") under `folder`, opened without following a link below `folder` and, with
// `create`, made where missing, and the report's `name` in it.
struct ReportPlace {
  std::string folder;
  std::string below;
  std::string name;  // empty: `output` is written as the user named it
  bool create = false;
};

// One demo and where its report goes.
struct ReportJob {
  std::string demo;
  std::string output;   // as messages show it; empty: standard output
  std::string problem;  // why the demo is not reported, or empty
  FoundFile found;      // how to open the demo as it was found
  ReportPlace place;
};

// Which demo goes to which report.
struct ReportPlan {
  std::vector<ReportJob> jobs;
  std::string messages;  // lines for standard error, about inputs that are not jobs
  bool failed = false;   // an input or a folder could not be searched
  bool toStandardOutput = false;
};

// The message for a file that is not a demo because it is no regular file.
inline constexpr std::string_view kNotARegularFile = "Not a regular file";

// Turns the inputs into jobs. Folders are searched for demos as searchFolder (DemoSearch.h)
// does. Each demo is reported once however often it is named, and a job gets a problem instead
// of a report that would be written onto a .dm2 file, onto a demo of the run or onto the report
// of another demo. An --output that names standard output (/dev/stdout, /dev/fd/1) is standard
// output.
ReportPlan planReports(const ReportOptions& options);

}  // namespace obitrak
