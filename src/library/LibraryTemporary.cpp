#include "library/LibraryTemporary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "export/WholeFile.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr int kNameAttempts = 100;

}  // namespace

LibraryTemporary::LibraryTemporary(const std::string& folder, const std::string& libraryName,
                                   TemporaryFiles* temporaries)
    : m_temporaries(temporaries), m_folderPath(folder) {
  m_folder = FileHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!m_folder) throwFileError(errno, folder + "/" + libraryName);
  try {
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      if (tryName(libraryName + ".new-" + std::to_string(random()))) return;
    }
  } catch (...) {
    removeAll();
    throw;
  }
  throwFileError(EEXIST, folder + "/" + libraryName);
}

// Creates the file under `name` when nothing has that name; false when something has.
bool LibraryTemporary::tryName(const std::string& name) {
  const std::string shown = m_folderPath + "/" + name;
  int handle = -1;
  if (m_temporaries != nullptr) {
    handle = m_temporaries->add(m_folder.get(), name.c_str());
    if (handle < 0) throwFileError(EINTR, shown);
  }
  const int fd = ::openat(m_folder.get(), name.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  const int err = errno;
  if (m_temporaries != nullptr) m_temporaries->created(handle);
  if (fd < 0) {
    if (m_temporaries != nullptr) m_temporaries->forget(handle);
    if (err != EEXIST) throwFileError(err, shown);
    return false;
  }
  ::close(fd);
  m_name = name;
  m_path = shown;
  m_handles[0] = handle;
  // The journal files are the file's own from now on: their names are known before SQLite
  // can make them.
  for (std::size_t i = 1; i < kSuffixes.size(); ++i) remember(i, name + kSuffixes[i]);
  return true;
}

void LibraryTemporary::remember(std::size_t which, const std::string& name) {
  if (m_temporaries == nullptr) return;
  m_handles[which] = m_temporaries->add(m_folder.get(), name.c_str());
  if (m_handles[which] < 0) throwFileError(EINTR, m_folderPath + "/" + name);
  m_temporaries->created(m_handles[which]);
}

LibraryTemporary::~LibraryTemporary() {
  removeAll();
}

void LibraryTemporary::removeAll() noexcept {
  for (std::size_t i = 0; i < kSuffixes.size(); ++i) {
    if (!m_name.empty()) ::unlinkat(m_folder.get(), (m_name + kSuffixes[i]).c_str(), 0);
    if (m_temporaries != nullptr && m_handles[i] >= 0) m_temporaries->forget(m_handles[i]);
    m_handles[i] = -1;
  }
}

}  // namespace obitrak
