#pragma once

#include <array>
#include <string>

#include "scan/FileAccess.h"

namespace obitrak {

class TemporaryFiles;

// The file a new library is made in: a fresh name beside the library's ("NAME.new-NNN"),
// created empty. Its name and those of the journal files SQLite may make beside it (-wal,
// -shm, -journal) are known to `temporaries` before any of them can exist, so that a signal
// that ends the program leaves none of them; all of them are removed when it goes.
class LibraryTemporary {
 public:
  LibraryTemporary(const std::string& folder, const std::string& libraryName,
                   TemporaryFiles* temporaries);
  ~LibraryTemporary();
  LibraryTemporary(const LibraryTemporary&) = delete;
  LibraryTemporary& operator=(const LibraryTemporary&) = delete;

  // The file's path, in the library's folder as the caller named it.
  const std::string& path() const { return m_path; }

 private:
  static constexpr std::array<const char*, 4> kSuffixes{"", "-wal", "-shm", "-journal"};

  bool tryName(const std::string& name);
  void remember(std::size_t which, const std::string& name);
  void removeAll() noexcept;

  TemporaryFiles* m_temporaries;
  FileHandle m_folder;
  std::string m_folderPath;
  std::string m_name;  // in m_folder
  std::string m_path;
  std::array<int, kSuffixes.size()> m_handles{-1, -1, -1, -1};
};

}  // namespace obitrak
