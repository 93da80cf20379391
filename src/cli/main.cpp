#include <string>
#include <vector>

#include "cli/ReportCommand.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return obitrak::runReportCommand(args, stdout, stderr);
}
