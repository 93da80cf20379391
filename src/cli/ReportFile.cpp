#include "cli/ReportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// The temporary files being written, known to the signal handlers. A slot is claimed
// (state 1), filled with the name, then published (state 2); the handlers touch only
// published slots, through calls that are safe in a handler.
constexpr std::size_t kSlots = 1056;  // more than the most jobs that run at once
constexpr std::size_t kPathBytes = 4096;
struct TemporarySlot {
  std::atomic<int> state{0};
  char path[kPathBytes];
};
std::array<TemporarySlot, kSlots> g_temporaries;

int publishTemporary(const std::string& path) {
  if (path.size() >= kPathBytes) return -1;
  for (std::size_t i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (g_temporaries[i].state.compare_exchange_strong(expected, 1)) {
      std::memcpy(g_temporaries[i].path, path.c_str(), path.size() + 1);
      g_temporaries[i].state.store(2, std::memory_order_release);
      return static_cast<int>(i);
    }
  }
  return -1;
}

void forgetTemporary(int slot) {
  if (slot >= 0) g_temporaries[static_cast<std::size_t>(slot)].state.store(0);
}

extern "C" void removeTemporariesAndEnd(int signal) {
  for (TemporarySlot& slot : g_temporaries) {
    if (slot.state.load(std::memory_order_acquire) == 2) ::unlink(slot.path);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);  // delivered with the default action when the handler returns
}

struct sigaction g_previousInt;
struct sigaction g_previousTerm;

// The permissions a new file gets, as for any file this user creates.
mode_t newFileMode() {
  static const mode_t mask = [] {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }();
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

ReportFile::ReportFile(const std::string& path, bool direct) : m_path(path) {
  if (direct) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0) fail(errno);
  } else {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string name = (folder.empty() ? std::filesystem::path(".") : folder) / ".obitrak-XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) fail(errno);
    m_temporary = name;
    m_slot = publishTemporary(m_temporary);
    if (::fchmod(m_fd, newFileMode()) != 0) fail(errno);
  }
  m_buffer.reserve(kBufferSize);
}

ReportFile::~ReportFile() {
  discard();
}

void ReportFile::discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
  m_temporary.clear();
  forgetTemporary(m_slot);
  m_slot = -1;
}

void ReportFile::fail(int err) {
  discard();
  throwFileError(err != 0 ? err : EIO, m_path);
}

void ReportFile::write(std::string_view bytes) {
  if (m_fd < 0) throwFileError(EBADF, m_path);
  if (m_buffer.size() + bytes.size() > kBufferSize) flush();
  m_buffer.append(bytes);
  if (m_buffer.size() >= kBufferSize) flush();
}

void ReportFile::flush() {
  std::size_t done = 0;
  while (done < m_buffer.size()) {
    ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
  m_buffer.clear();
}

void ReportFile::commit() {
  if (m_fd < 0) throwFileError(EBADF, m_path);
  flush();
  int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) fail(errno);
  if (!m_temporary.empty() && ::rename(m_temporary.c_str(), m_path.c_str()) != 0) fail(errno);
  m_temporary.clear();
  forgetTemporary(m_slot);
  m_slot = -1;
}

TemporaryFileCleanup::TemporaryFileCleanup() {
  newFileMode();  // read the process's mask once, before any thread writes
  struct sigaction action {};
  action.sa_handler = removeTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &g_previousInt);
  ::sigaction(SIGTERM, &action, &g_previousTerm);
}

TemporaryFileCleanup::~TemporaryFileCleanup() {
  ::sigaction(SIGINT, &g_previousInt, nullptr);
  ::sigaction(SIGTERM, &g_previousTerm, nullptr);
}

}  // namespace obitrak
