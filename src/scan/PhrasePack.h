#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/PhraseMatcher.h"

namespace obitrak {

// A death-message pack teaches the obituary analysis the wording of a mod. It is a text
// file of lines; blank lines and lines starting with "#" are ignored:
//
//   kill WEAPON "phrase" ["phrase" ...]   WEAPON: a WeaponIndex 1..12 or its column label
//   self "phrase" ["phrase" ...]
//
// A line matches a text when every one of its phrases occurs in it (plain substrings,
// case-sensitive, as the built-in phrases are tested). Inside quotes \" and \\ stand for
// " and \; phrases are printable 7-bit ASCII and not empty.

// A pack comes from anyone: these bound what reading one may cost.
inline constexpr std::size_t kPackMaxBytes = 32 * 1024;
inline constexpr int kPackMaxLines = 1000;

enum class PackLineKind { Kill, Self };

struct PackLine {
  PackLineKind kind = PackLineKind::Kill;
  int weapon = 0;                    // WeaponIndex 1..12 of a kill line, 0 for a self line
  std::vector<std::string> phrases;  // every one must occur in the text
  int lineNumber = 0;                // the line of the file, from 1
};

class PhrasePack {
 public:
  // `name` is what reports show of the pack: its file name.
  PhrasePack(std::string name, std::vector<PackLine> lines);

  const std::string& name() const { return m_name; }
  const std::vector<PackLine>& lines() const { return m_lines; }

  // The weapon of the first kill line, in file order, that matches `text`; 0 for none.
  int killWeapon(std::string_view text) const;

  // Whether a self line matches `text`.
  bool selfKill(std::string_view text) const;

 private:
  std::vector<std::string_view> distinctPhrases();
  int firstMatch(std::string_view text, PackLineKind kind) const;

  std::string m_name;
  std::vector<PackLine> m_lines;
  std::vector<std::string> m_phrases;                 // each phrase once; id = index
  std::vector<std::vector<std::uint32_t>> m_lineIds;  // line -> ids of its phrases
  bool m_hasKill = false;
  bool m_hasSelf = false;
  PhraseMatcher m_matcher;  // last: built from m_phrases
};

// A pack, or why there is none: "FILE:LINE: message" for a line in error, "FILE: message"
// for a file that cannot be read or is too large. A pack with an error is not used at all.
struct PhrasePackLoad {
  std::optional<PhrasePack> pack;
  std::string error;
};

// Reads the pack file at `path`. Errors name the file as `path` gives it; the pack's name
// is the file name part of `path`.
PhrasePackLoad LoadPhrasePack(const std::string& path);

// The same for the bytes of a pack file, named `path` in errors and by its file name part.
PhrasePackLoad ParsePhrasePack(std::string_view bytes, const std::string& path);

}  // namespace obitrak
