#pragma once

#include <stdexcept>
#include <string>

namespace obitrak {

// Error codes of failed file operations as the user sees them. The system's errno values
// are mapped onto this small set so that messages read the same on every platform.
enum FileErrorCode : int {
  kFileNotFound = 2,
  kInvalidFilename = 3,
  kTooManyOpenFiles = 4,
  kFileAccessDenied = 5,
  kReadBeyondEnd = 100,
  kDiskFull = 101,
  kInvalidNumericInput = 106,
};

// The one exception type for failed file input and output. what() is the user-facing
// message ("File not found", "Disk full", "I/O error 71", ...).
class FileError : public std::runtime_error {
 public:
  explicit FileError(int code);
  FileError(int code, const std::string& message);
  int code() const { return m_code; }

 private:
  int m_code;
};

// The message shown for an error code: the fixed texts above, else "I/O error <code>".
std::string fileErrorMessage(int code);

// The error for a system errno met while working on `path`. `path` lets a missing file be
// told apart from a missing folder on the way to it ("Invalid filename", as the desktop
// platforms report it). An errno without a fixed text keeps its number: "I/O error 5" for
// EIO, never confused with "File access denied".
FileError fileErrorFromErrno(int err, const std::string& path);

// Throws the FileError for errno `err` met while working on `path`.
[[noreturn]] void throwFileError(int err, const std::string& path);

}  // namespace obitrak
