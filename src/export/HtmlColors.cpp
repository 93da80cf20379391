#include "export/HtmlColors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "export/WholeFile.h"
#include "scan/FileAccess.h"
#include "scan/FileError.h"

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

namespace obitrak {

namespace fs = std::filesystem;

HtmlColorSet HtmlColorSet::defaults() {
  HtmlColorSet set;
  for (const HtmlColorInfo& info : kHtmlColorTable) set[info.index] = info.defaultColor;
  return set;
}

std::string htmlHex(std::uint32_t color) {
  // Only a colour's low three bytes are its red, green and blue: a top byte from a
  // hand-edited settings file is ignored, so a page always gets a six-digit colour.
  const std::uint32_t c = color & 0xFFFFFF;
  const std::uint32_t value = c / 65536 + ((c % 65536) / 256) * 256 + (c % 256) * 65536;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(value));
  return digits;
}

HtmlHexColors::HtmlHexColors(const HtmlColorSet& colors)
    : background(htmlHex(colors[HtmlColorSet::Background])),
      font(htmlHex(colors[HtmlColorSet::Font])),
      link(htmlHex(colors[HtmlColorSet::Link])),
      vlink(htmlHex(colors[HtmlColorSet::VLink])),
      active(htmlHex(colors[HtmlColorSet::ActiveCell])),
      passive(htmlHex(colors[HtmlColorSet::PassiveCell])) {}

std::string htmlBodyTag(const HtmlHexColors& hex) {
  return "<body bgcolor=\"#" + hex.background + "\" link=\"#" + hex.link + "\" vlink=\"#" +
         hex.vlink + "\" text=\"#" + hex.font + "\">";
}

void LoadHtmlColors(HtmlColorSet& colors, const std::string& path, bool mustExist) {
  colors = HtmlColorSet::defaults();
  // Only a regular file is read: a FIFO or a device would never end or never answer.
  std::optional<std::string> bytes = readSmallFile(path, kColorSettingsSize);
  if (!bytes && !mustExist) return;
  if (!bytes) throwFileError(ENOENT, path);
  if (bytes->size() < kColorSettingsSize) throw FileError(kReadBeyondEnd);
  HtmlColorSet loaded;
  for (std::size_t i = 0; i < HtmlColorSet::Count; ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes->data()) + 4 * i;
    loaded.colors[i] = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                       (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
  }
  colors = loaded;
}

void SaveHtmlColors(const HtmlColorSet& colors, const std::string& path) {
  std::string bytes;
  for (std::uint32_t c : colors.colors) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((c >> (8 * i)) & 0xFF));
  }
  std::error_code ec;
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty() && !fs::exists(parent, ec)) fs::create_directories(parent, ec);
  writeFile(path, [&](ByteSink& out) { out.write(bytes); });
}

std::string colorSettingsPath(const std::string& programPath, bool programFolderWritable,
                              const std::string& userConfigFolder) {
  if (!programFolderWritable && !userConfigFolder.empty()) {
    return (fs::path(userConfigFolder) / "obitrak" / "obitrak.cfg").string();
  }
  fs::path p(programPath);
  if (p.has_extension()) return p.replace_extension("cfg").string();
  return programPath + ".cfg";
}

namespace {

bool folderWritable(const fs::path& folder) {
#if __has_include(<unistd.h>)
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
#else
  (void)folder;
  return true;
#endif
}

std::string userConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    return (fs::path(home) / ".config").string();
  }
  return {};
}

}  // namespace

std::string colorSettingsPath(const std::string& programPath) {
  return colorSettingsPath(programPath, folderWritable(fs::path(programPath).parent_path()),
                           userConfigFolder());
}

}  // namespace obitrak
