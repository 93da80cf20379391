#include "export/SiteFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::string_view kMarkerHead = "obitrak-site 1";
constexpr std::size_t kMarkerLimit = std::size_t{256} << 20;
// The files waiting for the writing thread hold at most this much.
constexpr std::size_t kQueueLimit = std::size_t{32} << 20;

bool safeName(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.size() > 200) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

// Whether the open folder holds no entry at all.
bool isEmptyFolder(int folder) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  bool empty = true;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name != "." && name != "..") empty = false;
  }
  ::closedir(dir);
  return empty;
}

// The bytes of the regular file `name` in the folder, links not followed; none otherwise.
std::optional<std::string> readInFolder(int folder, const std::string& name, std::size_t limit) {
  FileHandle file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file) return std::nullopt;
  struct stat st {};
  if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > limit) return std::nullopt;
  }
  return bytes;
}

}  // namespace

// Eight bytes at a time, each word mixed in by a multiplication and a rotation; the
// length comes last, so that trailing zero bytes count.
std::uint64_t siteDigest(std::string_view bytes) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = std::rotl((hash ^ word) * kMultiplier, 29);
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  hash = std::rotl((hash ^ tail) * kMultiplier, 29);
  hash ^= bytes.size();
  hash *= kMultiplier;
  return hash ^ (hash >> 32);
}

SiteFolder::SiteFolder(const std::string& dir, TemporaryFiles* temporaries)
    : m_path(dir),
      m_temporaries(temporaries),
      m_writer([this](Job& job) { writeFile(job); }, kQueueLimit) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  m_folder = FileHandle(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!m_folder) {
    const int err = errno;
    throw SiteError(
        dir + ": " +
        (err == ENOTDIR ? std::string("Not a folder") : fileErrorFromErrno(err, dir).what()));
  }
  struct stat st {};
  const bool marked =
      ::fstatat(m_folder.get(), std::string(kSiteMarker).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (!marked) {
    if (!isEmptyFolder(m_folder.get())) {
      throw SiteError(dir + ": neither empty nor a site made by Obitrak (it has no " +
                      std::string(kSiteMarker) + "); choose an empty folder");
    }
    // Marked at once, so that a run cut short leaves a folder known as a site.
    writeMarker({}, "");
  } else {
    readMarker();
  }
}

SiteFolder::~SiteFolder() = default;

// On the writing thread.
void SiteFolder::writeFile(Job& job) {
  const bool written =
      !job.last || *job.last != job.entry || !stillAsWritten(job.name, job.entry, false);
  if (written) writeWhole(job.name, job.bytes);
  ++(written ? m_counts.written : m_counts.unchanged);
}

void SiteFolder::readMarker() {
  const std::optional<std::string> bytes =
      readInFolder(m_folder.get(), std::string(kSiteMarker), kMarkerLimit);
  std::istringstream in(bytes.value_or(""));
  std::string line;
  if (!bytes || !std::getline(in, line) || line != kMarkerHead) {
    throw SiteError(m_path + ": its " + std::string(kSiteMarker) +
                    " is not one Obitrak wrote; choose an empty folder");
  }
  while (std::getline(in, line)) {
    if (line.starts_with("inputs ")) {
      m_lastInputs = line.substr(7);
      continue;
    }
    std::istringstream fields(line);
    std::string digest;
    Entry e;
    std::string name;
    if (fields >> digest >> e.size >> name && safeName(name)) {
      e.digest = std::strtoull(digest.c_str(), nullptr, 16);
      m_last[name] = e;
    }
  }
}

bool SiteFolder::stillAsWritten(const std::string& name, const Entry& entry, bool readBytes) const {
  struct stat st {};
  if (::fstatat(m_folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) != entry.size) {
    return false;
  }
  if (!readBytes) return true;
  const std::optional<std::string> bytes = readInFolder(m_folder.get(), name, entry.size);
  return bytes && siteDigest(*bytes) == entry.digest;
}

bool SiteFolder::filesIntact() const {
  for (const auto& [name, entry] : m_last) {
    if (!stillAsWritten(name, entry, false)) return false;
  }
  return true;
}

void SiteFolder::writeWhole(const std::string& name, std::string_view bytes) {
  const std::string shown = (std::filesystem::path(m_path) / name).string();
  try {
    // The names are the site's own: a device or a FIFO planted at one is replaced, never
    // written into (a FIFO without a reader would hold the run for ever).
    WholeFile file(FileHandle(::fcntl(m_folder.get(), F_DUPFD_CLOEXEC, 0)), name, shown,
                   m_temporaries, WholeFile::AtDevice::Replace);
    file.write(bytes);
    file.commit();
  } catch (const FileError& e) {
    throw SiteError(shown + ": " + e.what());
  }
}

void SiteFolder::write(const std::string& name, std::string bytes) {
  if (!safeName(name) || name == kSiteMarker) throw SiteError(m_path + ": bad file name " + name);
  Job job{name, std::move(bytes), {}, std::nullopt};
  job.entry = {job.bytes.size(), siteDigest(job.bytes)};
  if (const auto last = m_last.find(name); last != m_last.end()) job.last = last->second;
  {
    std::lock_guard lock(m_nowMutex);
    m_now[name] = job.entry;
  }
  const std::size_t size = job.bytes.size();
  m_writer.push(std::move(job), size);
}

void SiteFolder::finish(const std::string& inputs) {
  m_writer.drain();
  for (const auto& [name, entry] : m_last) {
    if (m_now.contains(name) || !stillAsWritten(name, entry, true)) continue;
    if (::unlinkat(m_folder.get(), name.c_str(), 0) == 0) ++m_counts.removed;
  }
  if (inputs != m_lastInputs || m_now != m_last) writeMarker(m_now, inputs);
  m_last = m_now;
  m_lastInputs = inputs;
}

void SiteFolder::writeMarker(const Entries& entries, const std::string& inputs) {
  std::string text = std::string(kMarkerHead) + "\ninputs " + inputs + "\n";
  char digest[17];
  for (const auto& [name, e] : entries) {
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(e.digest));
    text += std::string(digest) + " " + std::to_string(e.size) + " " + name + "\n";
  }
  writeWhole(std::string(kSiteMarker), text);
}

}  // namespace obitrak
