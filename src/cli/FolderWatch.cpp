#include "cli/FolderWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "scan/DemoSearch.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                                  IN_CREATE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Without a watch on every folder, a wait ends after this long all the same.
constexpr int kFallbackMs = 60000;

}  // namespace

FolderWatch::FolderWatch(const std::vector<std::string>& inputs, std::FILE* err)
    : m_inotify(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)), m_err(err) {
  if (!m_inotify) {
    std::fprintf(m_err, "obitrak-report: cannot watch the folders (%s); looking again every %d s\n",
                 std::strerror(errno), kFallbackMs / 1000);
    m_incomplete = true;
    return;
  }
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
      watchTree(input);
    } else {
      const fs::path parent = fs::path(input).parent_path();
      watchFolder(parent.empty() ? std::string(".") : parent.string());
    }
  }
}

void FolderWatch::watchFolder(const std::string& folder) {
  const int wd = ::inotify_add_watch(m_inotify.get(), folder.c_str(), kEvents);
  if (wd >= 0) {
    m_folders[wd] = folder;
    return;
  }
  std::fprintf(m_err, "%s: cannot be watched (%s); looking again every %d s\n", folder.c_str(),
               std::strerror(errno), kFallbackMs / 1000);
  m_incomplete = true;
}

// The folder and every folder below it; links to folders are not followed, as the search
// does not follow them.
void FolderWatch::watchTree(const std::string& folder) {
  watchFolder(folder);
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code kind;
    if (it->is_directory(kind) && !it->is_symlink(kind)) watchFolder(it->path().string());
  }
}

bool FolderWatch::readEvents() {
  alignas(inotify_event) char buffer[16384];
  bool matters = false;
  for (;;) {
    const ssize_t n = ::read(m_inotify.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      const std::string name = e->len > 0 ? std::string(e->name) : std::string();
      const bool folder = (e->mask & IN_ISDIR) != 0;
      if (e->mask & IN_Q_OVERFLOW) matters = true;
      if (folder && (e->mask & (IN_CREATE | IN_MOVED_TO))) {
        const auto watched = m_folders.find(e->wd);
        if (watched != m_folders.end()) watchTree((fs::path(watched->second) / name).string());
      }
      if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) matters = true;
      if (folder || hasDemoExtension(name)) matters = matters || !name.empty();
    }
  }
  return matters;
}

void FolderWatch::waitForChange(int quietMs, int longestMs) {
  using Clock = std::chrono::steady_clock;
  pollfd p{m_inotify ? m_inotify.get() : -1, POLLIN, 0};
  // The first news, then quiet.
  for (;;) {
    const int ready = ::poll(&p, 1, m_incomplete ? kFallbackMs : -1);
    if (ready == 0) return;  // time to look again without a watch that tells
    if (ready < 0 && errno != EINTR) throwFileError(errno, "inotify");
    if (ready > 0 && readEvents()) break;
  }
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < std::chrono::milliseconds(longestMs)) {
    const int ready = ::poll(&p, 1, quietMs);
    if (ready == 0) return;
    if (ready > 0) readEvents();
  }
}

}  // namespace obitrak
