#include "library/DemoSearch.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "scan/FileError.h"

namespace obitrak {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNotARegularFile = "Not a regular file";

bool endsWithNoCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  std::string_view tail = name.substr(name.size() - suffix.size());
  return std::equal(tail.begin(), tail.end(), suffix.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

bool isDemoName(std::string_view name) {
  return endsWithNoCase(name, ".dm2") || endsWithNoCase(name, ".dm2.gz");
}

class Search {
 public:
  DemoSearchResult run(const std::string& folder) {
    std::vector<fs::path> pending{fs::path(folder)};
    while (!pending.empty()) {
      fs::path current = std::move(pending.back());
      pending.pop_back();
      std::vector<fs::path> subfolders;
      std::error_code ec;
      fs::directory_iterator it(current, ec);
      for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code typeEc;
        const fs::file_status own = it->symlink_status(typeEc);
        if (fs::is_directory(own)) {
          subfolders.push_back(p);
        } else if (isDemoName(p.filename().string())) {
          addFound(p, own);
        }
      }
      if (ec) {
        m_r.problems.push_back(current.string() + ": " +
                               fileErrorFromErrno(ec.value(), current.string()).what());
        m_r.failed = true;
      }
      std::sort(subfolders.rbegin(), subfolders.rend());
      for (fs::path& sub : subfolders) pending.push_back(std::move(sub));
    }
    std::sort(m_r.demos.begin(), m_r.demos.end());
    return std::move(m_r);
  }

 private:
  void addFound(const fs::path& p, const fs::file_status& own) {
    fs::file_status target = own;
    if (fs::is_symlink(own)) {
      std::error_code ec;
      target = fs::status(p, ec);
      if (!fs::exists(target)) {
        m_r.demos.push_back(p.string());
        return;
      }
    }
    if (fs::is_directory(target)) return;
    if (!fs::is_regular_file(target)) {
      m_r.problems.push_back(p.string() + ": " + std::string(kNotARegularFile));
      return;
    }
    m_r.demos.push_back(p.string());
  }

  DemoSearchResult m_r;
};

}  // namespace

DemoSearchResult FindDemos(const std::string& folder) {
  return Search().run(folder);
}

}  // namespace obitrak
