#pragma once

#include "export/WholeFile.h"

namespace obitrak {

// The temporary files of the reports being written, known to the signal handlers that
// TemporaryFileCleanup installs.
TemporaryFiles& reportTemporaries();

// While it lives, SIGINT, SIGTERM, SIGHUP and SIGPIPE, whichever thread they reach, remove
// every temporary file of reportTemporaries() and then end the process as the signal would
// have. The handlers in place before are restored when it ends.
class TemporaryFileCleanup {
 public:
  TemporaryFileCleanup();
  ~TemporaryFileCleanup();
  TemporaryFileCleanup(const TemporaryFileCleanup&) = delete;
  TemporaryFileCleanup& operator=(const TemporaryFileCleanup&) = delete;
};

}  // namespace obitrak
