#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace obitrak {

// Exit statuses of obitrak-report.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // at least one demo could not be reported
inline constexpr int kExitUsage = 2;

// Runs obitrak-report with `args` (without the program name), writing reports that go to
// standard output to `out` and messages to `err`. `programFolder` is where the desktop
// application's colour settings are looked for; empty means the folder of this program.
// Returns the exit status.
int runReportCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                     const std::string& programFolder = {});

}  // namespace obitrak
