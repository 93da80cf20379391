#include "scan/PackChoice.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace obitrak {

namespace fs = std::filesystem;

const PhrasePack* PackShelf::forGameDir(std::string_view gameDir) const {
  for (const PhrasePack& pack : m_packs) {
    if (pack.isFor(gameDir)) return &pack;
  }
  return nullptr;
}

PackShelfLoad LoadPackShelf(const std::string& folder) {
  PackShelfLoad result;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    std::error_code statusError;
    if (path.extension() != ".pack" || !fs::is_regular_file(it->symlink_status(statusError))) {
      continue;
    }
    names.push_back(path.filename().string());
  }
  std::sort(names.begin(), names.end());
  if (names.size() > kShelfMaxPacks) names.resize(kShelfMaxPacks);
  std::vector<PhrasePack> packs;
  for (const std::string& name : names) {
    PhrasePackLoad load = LoadPhrasePack((fs::path(folder) / name).string());
    if (load.pack) {
      packs.push_back(std::move(*load.pack));
    } else {
      result.errors.push_back(load.error);
    }
  }
  result.shelf = PackShelf(std::move(packs));
  return result;
}

std::string bundledPacksFolder(const std::string& programFolder) {
  return (fs::path(programFolder) / ".." / "share" / "obitrak" / "packs")
      .lexically_normal()
      .string();
}

PackChoice PackChoice::byGameDir(const PackShelf& shelf) {
  PackChoice choice;
  choice.m_shelf = &shelf;
  return choice;
}

}  // namespace obitrak
