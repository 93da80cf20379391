#include "scan/FileError.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace obitrak {

FileError::FileError(int code) : std::runtime_error(fileErrorMessage(code)), m_code(code) {}

FileError::FileError(int code, const std::string& message)
    : std::runtime_error(message), m_code(code) {}

std::string fileErrorMessage(int code) {
  switch (code) {
    case kFileNotFound:
      return "File not found";
    case kInvalidFilename:
      return "Invalid filename";
    case kTooManyOpenFiles:
      return "Too many open files";
    case kFileAccessDenied:
      return "File access denied";
    case kReadBeyondEnd:
      return "Read beyond end of file";
    case kDiskFull:
      return "Disk full";
    case kInvalidNumericInput:
      return "Invalid numeric input";
    default:
      return systemErrorMessage(code);
  }
}

std::string systemErrorMessage(int err) {
  std::string description = std::system_category().message(err);
  if (description.empty()) return "I/O error " + std::to_string(err);
  return "I/O error " + std::to_string(err) + ": " + description;
}

namespace {

bool parentFolderMissing(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p(path);
  std::filesystem::path parent = p.parent_path();
  if (parent.empty()) return false;
  return !std::filesystem::is_directory(parent, ec);
}

}  // namespace

FileError fileErrorFromErrno(int err, const std::string& path) {
  int code = 0;
  switch (err) {
    case ENOENT:
      if (path.empty() || !parentFolderMissing(path)) return FileError(kFileNotFound);
      return FileError(kInvalidFilename, "Folder not found");
    case ENOTDIR:
      return FileError(kInvalidFilename, "Not a folder");
    case ENAMETOOLONG:
      return FileError(kInvalidFilename, "File name too long");
    case ELOOP:
      return FileError(kInvalidFilename, "Too many levels of symbolic links");
    case EISDIR:
      return FileError(kFileAccessDenied, "Is a folder");
    case EROFS:
      return FileError(kFileAccessDenied, "Read-only file system");
    case EINVAL:
      code = kInvalidFilename;
      break;
    case EMFILE:
    case ENFILE:
      code = kTooManyOpenFiles;
      break;
    case EACCES:
    case EPERM:
    case ETXTBSY:
      code = kFileAccessDenied;
      break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      code = kDiskFull;
      break;
    default:
      return FileError(err, systemErrorMessage(err));
  }
  return FileError(code);
}

void throwFileError(int err, const std::string& path) {
  throw fileErrorFromErrno(err, path);
}

}  // namespace obitrak
