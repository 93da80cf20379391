#include "export/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>

#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kDirectSize = 4 * 1024;
constexpr int kNameAttempts = 100;

// A fresh name for a temporary file: hidden, so that folder listings pass over it. Each
// thread seeds its sequence once: a program that writes many files pays for the seed once.
std::string temporaryName(int attempt) {
  constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::uint64_t state = [] {
    std::uint64_t seed = 0;
    try {
      std::random_device device;
      seed = (std::uint64_t{device()} << 32) ^ device();
    } catch (...) {
      seed =
          static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    return seed ^ static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ULL;
  }();
  // splitmix64: every call gives another name.
  state += 0x9E3779B97F4A7C15ULL + std::uint64_t(attempt);
  std::uint64_t seed = state;
  seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ULL;
  seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBULL;
  seed ^= seed >> 31;
  std::string name = ".obitrak-";
  for (int i = 0; i < 8; ++i) {
    name += kLetters[seed % kLetters.size()];
    seed /= kLetters.size();
  }
  return name;
}

}  // namespace

int descriptorNamed(std::string_view path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!path.starts_with(folder) || path.size() == folder.size()) continue;
    std::string_view digits = path.substr(folder.size());
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return -1;
    }
    int fd = 0;
    for (char c : digits) fd = fd * 10 + (c - '0');
    return fd;
  }
  return -1;
}

WholeFile::WholeFile(const std::string& path, TemporaryFiles* temporaries)
    : m_shownPath(path), m_temporaries(temporaries) {
  if (int fd = descriptorNamed(path); fd >= 0) {
    m_file = FileHandle(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!m_file) throwFileError(errno, path);
    return;
  }
  std::filesystem::path p(path);
  const std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
  // The folder is the one the user named, links and all.
  FileHandle opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!opened) throwFileError(errno, path);
  open(std::move(opened), p.filename().string());
}

WholeFile::WholeFile(FileHandle folder, const std::string& name, const std::string& shownPath,
                     TemporaryFiles* temporaries, AtDevice atDevice)
    : m_shownPath(shownPath), m_temporaries(temporaries) {
  open(std::move(folder), name, atDevice);
}

WholeFile::~WholeFile() {
  discard();
}

void WholeFile::open(FileHandle folder, const std::string& name, AtDevice atDevice) {
  m_folder = std::move(folder);
  m_name = name;
  if (m_name.empty() || m_name == "." || m_name == "..") fail(EISDIR);
  // Whatever is at the name is replaced; a folder there fails the rename.
  if (atDevice == AtDevice::Replace) {
    createTemporary();
    return;
  }
  struct stat st {};
  if (::fstatat(m_folder.get(), m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
      // A device or a pipe the user named takes the bytes as they come.
      m_file =
          FileHandle(::openat(m_folder.get(), m_name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
      if (!m_file) fail(errno);
      return;
    }
  }
  createTemporary();
}

// The name is known to the clean-up before the file exists, so that a signal at any moment
// finds every temporary file there is.
void WholeFile::createTemporary() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = temporaryName(attempt);
    int slot = -1;
    if (m_temporaries != nullptr) {
      slot = m_temporaries->add(m_folder.get(), name.c_str());
      if (slot < 0) fail(EINTR);
    }
    int fd = ::openat(m_folder.get(), name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    const int err = errno;
    if (m_temporaries != nullptr) m_temporaries->created(slot);
    if (fd >= 0) {
      m_file = FileHandle(fd);
      m_temporary = std::move(name);
      m_slot = slot;
      return;
    }
    if (m_temporaries != nullptr) m_temporaries->forget(slot);
    if (err != EEXIST) fail(err);
  }
  fail(EEXIST);
}

void WholeFile::discard() noexcept {
  m_file = FileHandle();
  if (!m_temporary.empty()) ::unlinkat(m_folder.get(), m_temporary.c_str(), 0);
  m_temporary.clear();
  if (m_temporaries != nullptr && m_slot >= 0) m_temporaries->forget(m_slot);
  m_slot = -1;
}

void WholeFile::fail(int err) {
  discard();
  throwFileError(err != 0 ? err : EIO, m_shownPath);
}

void WholeFile::write(std::string_view bytes) {
  if (!m_file) throwFileError(EBADF, m_shownPath);
  if (m_buffer.size() + bytes.size() > kBufferSize) flush();
  // Many small pieces are gathered; a large one, with nothing gathered before it, goes
  // straight to the file.
  if (m_buffer.empty() && bytes.size() >= kDirectSize) {
    writeAll(bytes);
  } else {
    if (m_buffer.capacity() < kBufferSize) m_buffer.reserve(kBufferSize);
    m_buffer.append(bytes);
  }
}

void WholeFile::writeAll(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(m_file.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
}

void WholeFile::flush() {
  writeAll(m_buffer);
  m_buffer.clear();
}

void WholeFile::commit() {
  if (!m_file) throwFileError(EBADF, m_shownPath);
  flush();
  if (::close(m_file.release()) != 0) fail(errno);
  if (m_temporary.empty()) return;
  if (::renameat(m_folder.get(), m_temporary.c_str(), m_folder.get(), m_name.c_str()) != 0) {
    fail(errno);
  }
  m_temporary.clear();
  discard();
}

}  // namespace obitrak
