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

// The message shown for an error code: the fixed texts above, else the system's
// description after the number ("I/O error 40: Too many levels of symbolic links").
std::string fileErrorMessage(int code);

// "I/O error <err>: <the system's description of err>".
std::string systemErrorMessage(int err);

// The error for a system errno met while working on `path`. `path` lets a missing file be
// told apart from a missing folder on the way to it ("Folder not found"); a file where a
// folder was expected is "Not a folder", an overlong name "File name too long", a folder where
// a file was expected "Is a folder"; a read-only file system and a loop of links say so. An errno
// without a fixed text keeps its number and says what it is: "I/O error 5: Input/output
// error" for EIO, never confused with "File access denied".
FileError fileErrorFromErrno(int err, const std::string& path);

// Throws the FileError for errno `err` met while working on `path`.
[[noreturn]] void throwFileError(int err, const std::string& path);

}  // namespace obitrak
