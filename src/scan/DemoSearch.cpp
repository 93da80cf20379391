#include "scan/DemoSearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "scan/FileError.h"

namespace obitrak {

std::size_t demoExtensionLength(std::string_view name) {
  auto endsWith = [&](std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
      char c = tail[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != suffix[i]) return false;
    }
    return true;
  };
  for (std::string_view suffix : {".dm2", ".dm2.gz", ".mvd2", ".mvd2.gz"}) {
    if (endsWith(suffix)) return suffix.size();
  }
  return 0;
}

namespace {

namespace fs = std::filesystem;

FileId idOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::string joined(const std::string& below, const std::string& name) {
  return below.empty() ? name : below + "/" + name;
}

// One folder of the walk: what it is, and its subfolders still to visit.
struct Level {
  FileId id;
  std::string below;  // relative to the folder searched
  std::vector<std::string> subfolders;
  std::size_t next = 0;
};

// A depth-first walk that holds one folder open at a time: it goes down by name and back up
// by "..", checked to be the folder it came from, so neither the depth nor the length of the
// paths is limited.
class FolderWalk {
 public:
  FolderWalk(const std::string& root, std::size_t input, DemoSearch& into)
      : m_root(root), m_input(input), m_into(into) {}

  void run() {
    m_current = FileHandle(::open(m_root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_current) return problem("", errno);
    std::vector<Level> levels;
    levels.push_back(list(""));
    while (!levels.empty()) {
      Level& top = levels.back();
      if (top.next < top.subfolders.size()) {
        const std::string below = joined(top.below, top.subfolders[top.next++]);
        FileHandle child(::openat(m_current.get(), top.subfolders[top.next - 1].c_str(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child) {
          problem(below, errno);
          continue;
        }
        m_current = std::move(child);
        levels.push_back(list(below));
        continue;
      }
      levels.pop_back();
      if (!levels.empty() && !backUpTo(levels.back())) {
        problem(levels.back().below, ENOENT);
        return;
      }
    }
  }

  std::size_t demosFound() const { return m_found; }
  bool anyProblem() const { return m_anyProblem; }

 private:
  std::string shown(const std::string& below) const {
    return below.empty() ? m_root : (fs::path(m_root) / below).string();
  }

  void problem(const std::string& below, int err) {
    const std::string path = shown(below);
    m_into.messages += path + ": " + fileErrorFromErrno(err, path).what() + "\n";
    m_into.failed = true;
    m_anyProblem = true;
  }

  // Back to the parent folder: by "..", or from the top where the folder has moved.
  bool backUpTo(const Level& parent) {
    FileHandle up(::openat(m_current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!up || ::fstat(up.get(), &st) != 0 || idOf(st) != parent.id) {
      try {
        up = openFolderBelow(m_root, parent.below, false, shown(parent.below));
      } catch (const FileError&) {
        return false;
      }
      if (::fstat(up.get(), &st) != 0 || idOf(st) != parent.id) return false;
    }
    m_current = std::move(up);
    return true;
  }

  // The entries of the open folder, sorted; demos are taken, subfolders kept for later.
  Level list(const std::string& below) {
    Level level;
    level.below = below;
    struct stat st {};
    if (::fstat(m_current.get(), &st) == 0) level.id = idOf(st);
    int fd = ::dup(m_current.get());
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
      if (fd >= 0) ::close(fd);
      problem(below, errno);
      return level;
    }
    std::vector<std::pair<std::string, unsigned char>> entries;
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") entries.emplace_back(std::move(name), e->d_type);
      errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0) problem(below, readError);
    std::sort(entries.begin(), entries.end());
    for (const auto& [name, type] : entries) take(below, name, type, level);
    return level;
  }

  void take(const std::string& below, const std::string& name, unsigned char type, Level& level) {
    if (type == DT_DIR) return level.subfolders.push_back(name);
    const bool demo = hasDemoExtension(name);
    if (type != DT_UNKNOWN && !demo) return;
    struct stat own {};
    if (::fstatat(m_current.get(), name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISDIR(own.st_mode)) return level.subfolders.push_back(name);
    if (!demo) return;
    FoundDemo found{
        shown(joined(below, name)), {m_root, joined(below, name), {}, false}, below, true, m_input};
    if (S_ISLNK(own.st_mode)) {
      // A link is taken as it is when it leads nowhere: its demo is reported missing.
      found.file.throughLink = true;
      struct stat target {};
      if (::fstatat(m_current.get(), name.c_str(), &target, 0) == 0) {
        if (S_ISDIR(target.st_mode)) return;
        own = target;
        found.file.seen = idOf(target);
      }
    } else {
      found.file.seen = idOf(own);
    }
    if (found.file.seen && !S_ISREG(own.st_mode)) {
      m_into.messages += found.path + ": " + std::string(kNotRegularFileMessage) + "\n";
      return;
    }
    m_into.demos.push_back(std::move(found));
    ++m_found;
  }

  const std::string& m_root;
  std::size_t m_input;
  DemoSearch& m_into;
  FileHandle m_current;
  std::size_t m_found = 0;
  bool m_anyProblem = false;
};

}  // namespace

void searchFolder(const std::string& folder, DemoSearch& into, std::size_t input) {
  const std::size_t first = into.demos.size();
  FolderWalk walk(folder, input, into);
  walk.run();
  if (walk.demosFound() == 0 && !walk.anyProblem()) into.messages += folder + ": no demos found\n";
  std::vector<std::pair<fs::path, FoundDemo>> keyed;
  for (std::size_t i = first; i < into.demos.size(); ++i) {
    keyed.emplace_back(fs::path(into.demos[i].path), std::move(into.demos[i]));
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i) into.demos[first + i] = std::move(keyed[i].second);
}

DemoSearch findDemos(const std::vector<std::string>& inputs) {
  DemoSearch search;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::error_code ec;
    if (fs::is_directory(inputs[i], ec)) {
      searchFolder(inputs[i], search, i);
    } else {
      search.demos.push_back({inputs[i], foundFileOf(inputs[i]), {}, false, i});
    }
  }
  return search;
}

}  // namespace obitrak
