#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace obitrak {

// The six colours of the HTML description, each 0x00BBGGRR (red in the lowest byte), in
// the order of the settings file.
struct HtmlColorSet {
  enum Index { Background, Font, ActiveCell, PassiveCell, Link, VLink, Count };

  std::array<std::uint32_t, Count> colors{};

  std::uint32_t& operator[](Index i) { return colors[static_cast<std::size_t>(i)]; }
  std::uint32_t operator[](Index i) const { return colors[static_cast<std::size_t>(i)]; }
  bool operator==(const HtmlColorSet&) const = default;

  static HtmlColorSet defaults();
};

struct HtmlColorInfo {
  HtmlColorSet::Index index;
  std::string_view name;  // the settings window's button caption
  std::uint32_t defaultColor;
};

inline constexpr std::array<HtmlColorInfo, HtmlColorSet::Count> kHtmlColorTable{{
    {HtmlColorSet::Background, "Background", 0x000000},
    {HtmlColorSet::Font, "Font", 0xFFFFFF},
    {HtmlColorSet::ActiveCell, "Active Cell", 0x000040},
    {HtmlColorSet::PassiveCell, "Passive Cell", 0x000033},
    {HtmlColorSet::Link, "Link", 0xD5D5FF},
    {HtmlColorSet::VLink, "VLink", 0x8080FF},
}};

// The colour as HTML writes it: red, green, blue in upper-case hexadecimal, six digits. A
// non-zero top byte (only a hand-edited settings file has one) is ignored.
std::string htmlHex(std::uint32_t color);

// The six colours of a page as HTML writes them, each once.
struct HtmlHexColors {
  explicit HtmlHexColors(const HtmlColorSet& colors);
  std::string background, font, link, vlink, active, passive;
};

// The page's <body> tag in those colours.
std::string htmlBodyTag(const HtmlHexColors& hex);

// The settings file holds exactly the six colours as 32-bit little-endian numbers.
inline constexpr std::size_t kColorSettingsSize = 24;

// Loads the colours from `path` when that file exists, else sets the defaults (or, with
// `mustExist`, throws "File not found"). A file that cannot be read, is no regular file or
// is shorter than 24 bytes throws FileError and leaves the defaults.
void LoadHtmlColors(HtmlColorSet& colors, const std::string& path, bool mustExist = false);

// Writes the six colours to `path` as a whole file (see WholeFile). Throws FileError on failure.
void SaveHtmlColors(const HtmlColorSet& colors, const std::string& path);

// Where the colour settings live: beside the program, under its name with the extension
// "cfg" (appended when the name has none); where the program's folder cannot be written,
// in the user's configuration folder ($XDG_CONFIG_HOME/obitrak/obitrak.cfg, by default
// ~/.config/obitrak/obitrak.cfg).
std::string colorSettingsPath(const std::string& programPath);

// The same decision with the facts given: whether the program's folder is writable and
// the configuration folder to use otherwise.
std::string colorSettingsPath(const std::string& programPath, bool programFolderWritable,
                              const std::string& userConfigFolder);

}  // namespace obitrak
