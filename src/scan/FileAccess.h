#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace obitrak {

// The message of the FileError for a path that is a device, FIFO or socket.
inline constexpr std::string_view kNotRegularFileMessage = "Not a regular file";

// An open file descriptor, closed when the handle goes.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : m_fd(fd) {}
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept : m_fd(other.release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  int get() const { return m_fd; }
  int release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  explicit operator bool() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// A file as the system knows it: two names of one file have the same id.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FileId&) const = default;
};

// The file that `path` names, links followed; none when there is no such file.
std::optional<FileId> fileIdOf(const std::string& path);

// What a file that is not a regular file is called in the error: a folder as a folder
// ("Is a folder") or, like a device, as "Not a regular file".
enum class FolderError { IsAFolder, NotARegularFile };

// Opens `path` for reading when it is a regular file, else throws FileError. The open does
// not wait (a FIFO without a writer would block it for ever) and what was opened is checked,
// so a device, FIFO or socket is refused before a byte is read.
FileHandle openRegularFile(const std::string& path,
                           FolderError folderError = FolderError::NotARegularFile);

// The bytes of a small file such as a settings file or a pack, read only when it is a regular
// file; at most `limit` + 1 bytes are read, so a caller sees a file that is too large. None
// when the file does not exist; every other failure throws FileError ("Is a folder", "Not a
// regular file", "File access denied", ...).
std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit);

// A file found by a folder search: the folder the search started from, as the user named it
// (links on the way to it are followed), and the way below it, whose links are not followed.
// A file named by itself is its folder and its name.
struct FoundFile {
  std::string folder;
  std::string below;           // names joined by "/", never empty
  std::optional<FileId> seen;  // the file found there (a final link's target); none: missing
  bool throughLink = false;    // the final name was a link when the search found it
};

// The found file split from a path named by the user.
FoundFile foundFileOf(const std::string& path);

// Opens the folder `below` (names joined by "/", may be empty) under `folder` one name at a
// time, relative to its parent, so that no path limit applies and no link below `folder` is
// followed. With `create`, missing folders are made. Throws FileError naming `shownPath`.
FileHandle openFolderBelow(const std::string& folder, std::string_view below, bool create,
                           const std::string& shownPath);

// Opens the found file for reading as the search found it: through its folders as above, the
// final name without following a link that was not there, and only when it is still the
// regular file the search saw. Throws FileError naming `shownPath`.
FileHandle openFoundFile(const FoundFile& found, const std::string& shownPath);

}  // namespace obitrak
