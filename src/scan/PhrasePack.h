#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/PhraseMatcher.h"
#include "scan/Weapons.h"

namespace obitrak {

// A death-message pack teaches the obituary analysis the wording of a mod. It is a text
// file of lines; blank lines and lines starting with "#" are ignored:
//
//   games DIR [DIR ...]                   the game directories the pack is for
//   weapon LABEL "name"                   one of the mod's own weapons, in WeaponIndex order
//   kill WEAPON [LOCATION] "phrase" ["phrase" ...]
//   self "phrase" ["phrase" ...]
//   score POINTS "phrase" ["phrase" ...]  points the mod gives beyond a frag
//
// WEAPON is a WeaponIndex or a label: of the pack's own weapons when it names any (before
// its first kill line), else of the original twelve. LOCATION is head, chest, stomach or
// legs, where the wording tells where the shot hit. A score line tells that the game's
// scoreboard gave the player whose name begins the message POINTS (-1000..1000, not 0)
// beyond his frags, as Action Quake 2's streak bonuses do. A line matches a text when every
// one of its phrases occurs in it (plain substrings, case-sensitive, as the built-in
// phrases are tested). Inside quotes \" and \\ stand for " and \; phrases are printable
// 7-bit ASCII and not empty.

// A pack comes from anyone: these bound what reading one may cost.
inline constexpr std::size_t kPackMaxBytes = 32 * 1024;
inline constexpr int kPackMaxLines = 1000;
inline constexpr std::size_t kWeaponLabelMax = 6;
inline constexpr std::size_t kWeaponNameMax = 40;

enum class PackLineKind { Kill, Self, Score };
inline constexpr int kPackMaxPoints = 1000;

struct PackLine {
  PackLineKind kind = PackLineKind::Kill;
  int weapon = 0;  // WeaponIndex of a kill line among the pack's weapons, 0 for a self line
  HitLocation location = HitLocation::None;  // where a kill line's shot hit, when it says
  int points = 0;                            // of a score line
  std::vector<std::string> phrases;          // every one must occur in the text
  int lineNumber = 0;                        // the line of the file, from 1
};

// What a kill line makes of a text: its weapon (0 when no line matches) and hit location.
struct PackKill {
  int weapon = 0;
  HitLocation location = HitLocation::None;
};

class PhrasePack {
 public:
  // `name` is what reports show of the pack: its file name. `weapons`: the pack's own, or
  // none to keep the original twelve. `games`: the game directories it is for.
  PhrasePack(std::string name, std::vector<PackLine> lines,
             std::optional<WeaponSet> weapons = std::nullopt, std::vector<std::string> games = {});

  const std::string& name() const { return m_name; }
  const std::vector<PackLine>& lines() const { return m_lines; }
  const std::optional<WeaponSet>& ownWeapons() const { return m_weapons; }
  const std::vector<std::string>& games() const { return m_games; }
  // Whether one of its kill lines names a hit location.
  bool namesLocations() const { return m_namesLocations; }
  // Whether the pack is for `gameDir` (compared without case).
  bool isFor(std::string_view gameDir) const;

  // The weapon and location of the first kill line, in file order, that matches `text`.
  PackKill kill(std::string_view text) const;
  int killWeapon(std::string_view text) const { return kill(text).weapon; }

  // Whether a self line matches `text`.
  bool selfKill(std::string_view text) const;

  // The points of the first score line that matches `text`, 0 for none.
  int scorePoints(std::string_view text) const;
  bool hasScoreLines() const { return m_hasScore; }

 private:
  std::vector<std::string_view> distinctPhrases();
  int firstMatch(std::string_view text, PackLineKind kind) const;

  std::string m_name;
  std::vector<PackLine> m_lines;
  std::optional<WeaponSet> m_weapons;
  std::vector<std::string> m_games;
  std::vector<std::string> m_phrases;                 // each phrase once; id = index
  std::vector<std::vector<std::uint32_t>> m_lineIds;  // line -> ids of its phrases
  bool m_hasKill = false;
  bool m_hasSelf = false;
  bool m_hasScore = false;
  bool m_namesLocations = false;
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
