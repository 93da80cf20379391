#pragma once

#include <string>
#include <string_view>

#include "export/ByteSink.h"

namespace obitrak {

// A report file that exists under its name only when whole. The bytes go to a new
// temporary file in the report's folder, which replaces the final name when complete: a
// link found at that name is replaced, never followed, and no other file is touched. A
// report that is not committed leaves nothing behind. Every failure throws FileError.
class ReportFile : public ByteSink {
 public:
  // `direct`: write into `path` as it is, for a device or pipe the user named.
  explicit ReportFile(const std::string& path, bool direct = false);
  ~ReportFile() override;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  void write(std::string_view bytes) override;
  // Writes what is buffered, closes the file and gives it its final name.
  void commit();

 private:
  void flush();
  [[noreturn]] void fail(int err);
  void discard();

  std::string m_path;
  std::string m_temporary;  // empty when writing directly
  int m_fd = -1;
  int m_slot = -1;  // where the temporary name is known to the signal handlers
  std::string m_buffer;
};

// While it lives, SIGINT and SIGTERM remove the temporary files of the reports being
// written and then end the process as the signal would have. The handlers in place
// before are restored when it ends.
class TemporaryFileCleanup {
 public:
  TemporaryFileCleanup();
  ~TemporaryFileCleanup();
  TemporaryFileCleanup(const TemporaryFileCleanup&) = delete;
  TemporaryFileCleanup& operator=(const TemporaryFileCleanup&) = delete;
};

}  // namespace obitrak
