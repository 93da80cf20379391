#include "scan/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "scan/FileError.h"

namespace obitrak {

namespace {

// The message for a file that is no longer the one a search found.
constexpr std::string_view kReplacedMessage = "Replaced since it was found";

FileId idOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

int openAtRetrying(int folder, const char* name, int flags) {
  int fd = -1;
  do {
    fd = ::openat(folder, name, flags | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Makes sure the open file is a regular file (and the one expected, when given), then lets
// reads wait again as reads of a regular file do.
void checkRegular(const FileHandle& file, const std::string& shownPath, FolderError folderError,
                  const std::optional<FileId>& expected) {
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) throwFileError(errno, shownPath);
  if (S_ISDIR(st.st_mode) && folderError == FolderError::IsAFolder) {
    throwFileError(EISDIR, shownPath);
  }
  if (!S_ISREG(st.st_mode)) throw FileError(kFileAccessDenied, std::string(kNotRegularFileMessage));
  if (expected && idOf(st) != *expected)
    throw FileError(kFileNotFound, std::string(kReplacedMessage));
  int flags = ::fcntl(file.get(), F_GETFL);
  if (flags >= 0) ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK);
}

}  // namespace

FileHandle::~FileHandle() {
  if (m_fd >= 0) ::close(m_fd);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = other.release();
  }
  return *this;
}

std::optional<FileId> fileIdOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return idOf(st);
}

FileHandle openRegularFile(const std::string& path, FolderError folderError) {
  FileHandle file(openAtRetrying(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK));
  if (!file) throwFileError(errno != 0 ? errno : ENOENT, path);
  checkRegular(file, path, folderError, std::nullopt);
  return file;
}

std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit) {
  FileHandle file(openAtRetrying(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK));
  if (!file && errno == ENOENT) return std::nullopt;
  if (!file) throwFileError(errno, path);
  checkRegular(file, path, FolderError::IsAFolder, std::nullopt);
  std::string bytes(limit + 1, '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throwFileError(errno, path);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

FoundFile foundFileOf(const std::string& path) {
  FoundFile found;
  std::filesystem::path p(path);
  const std::string name = p.filename().string();
  if (name.empty() || name == "." || name == "..") {
    found.folder = path;  // not a file's name: opened as it is
  } else {
    found.folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
    found.below = name;
  }
  struct stat own {};
  if (::lstat(path.c_str(), &own) != 0) return found;
  found.throughLink = S_ISLNK(own.st_mode);
  if (!found.throughLink) {
    found.seen = idOf(own);
  } else {
    found.seen = fileIdOf(path);
  }
  return found;
}

FileHandle openFolderBelow(const std::string& folder, std::string_view below, bool create,
                           const std::string& shownPath) {
  const std::string start = folder.empty() ? std::string(".") : folder;
  FileHandle current(openAtRetrying(AT_FDCWD, start.c_str(), O_RDONLY | O_DIRECTORY));
  if (!current) throwFileError(errno, shownPath);
  for (std::size_t pos = 0; pos <= below.size();) {
    const std::size_t slash = std::min(below.find('/', pos), below.size());
    const std::string name(below.substr(pos, slash - pos));
    pos = slash + 1;
    if (name.empty() || name == ".") continue;
    if (create && ::mkdirat(current.get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
      throwFileError(errno, shownPath);
    }
    FileHandle next(
        openAtRetrying(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
    if (!next) throwFileError(errno, shownPath);
    current = std::move(next);
  }
  return current;
}

FileHandle openFoundFile(const FoundFile& found, const std::string& shownPath) {
  // A link is followed only where the search found one.
  const int noFollow = found.throughLink ? 0 : O_NOFOLLOW;
  FileHandle file;
  if (found.below.empty()) {
    file = FileHandle(openAtRetrying(AT_FDCWD, found.folder.c_str(), O_RDONLY | O_NONBLOCK));
  } else {
    std::string_view below = found.below;
    std::size_t slash = below.rfind('/');
    std::string_view folders = slash == std::string_view::npos ? "" : below.substr(0, slash);
    const std::string name(slash == std::string_view::npos ? below : below.substr(slash + 1));
    FileHandle folder = openFolderBelow(found.folder, folders, false, shownPath);
    file = FileHandle(openAtRetrying(folder.get(), name.c_str(), O_RDONLY | O_NONBLOCK | noFollow));
  }
  if (!file) {
    if (errno == ELOOP && found.seen && !found.throughLink) {
      throw FileError(kFileNotFound, std::string(kReplacedMessage));
    }
    throwFileError(errno, shownPath);
  }
  checkRegular(file, shownPath, FolderError::NotARegularFile, found.seen);
  return file;
}

}  // namespace obitrak
