#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/ReportOptions.h"

namespace obitrak {

// One demo and where its report goes.
struct ReportJob {
  std::string demo;
  std::string output;   // empty: standard output
  bool direct = false;  // write into `output` as it is: a device or pipe the user named
  std::string problem;  // why the demo is not reported, or empty
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

// Turns the inputs into jobs. Folders are searched for demos (.dm2 and .dm2.gz, any case) in all
// their subfolders without following links to folders; only regular files are demos. Each demo is
// reported once however often it is named, and a job gets a problem instead of a report that would
// be written onto a .dm2 file, onto a demo of the run or onto the report of another demo.
ReportPlan planReports(const ReportOptions& options);

// The command's report name for a demo: a name ending in ".dm2", ".dm2.gz", ".mvd2" or
// ".mvd2.gz" (any case) has that extension replaced by `extension`, any other name gets it
// appended.
std::string reportNameFor(const std::string& demo, std::string_view extension);

// Whether the name ends in ".dm2", ".dm2.gz", ".mvd2" or ".mvd2.gz", any case.
bool hasDemoExtension(std::string_view name);

}  // namespace obitrak
