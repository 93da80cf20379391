// Reading a death-message pack file: its lines, each checked as it comes, with an error
// that names the file and the line.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "scan/FileAccess.h"
#include "scan/FileError.h"
#include "scan/PhrasePack.h"
#include "scan/Phrases.h"

namespace obitrak {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kShownWordLength = 40;
constexpr std::string_view kLabelCharacters = "_+/.-";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLabelCharacter(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         kLabelCharacters.find(c) != std::string_view::npos;
}

// A word of the line as an error message quotes it: cut short when long.
std::string shownWord(std::string_view word) {
  if (word.size() > kShownWordLength)
    return "\"" + std::string(word.substr(0, kShownWordLength)) + "...\"";
  return "\"" + std::string(word) + "\"";
}

std::string badByte(char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(c));
  return std::string("bad byte ") + text + " (a pack is printable 7-bit ASCII)";
}

// What the lines read so far have given: the weapons kill lines refer to, the games.
struct PackSoFar {
  std::vector<Weapon> weapons;  // the pack's own; empty while it names none
  std::vector<std::string> games;
  std::vector<PackLine> lines;
  bool killSeen = false;
};

// The WeaponIndex that `word` names, as an index or a label: among the pack's own weapons
// when it names any, else among the original twelve; 0 for none.
int weaponNamed(std::string_view word, const std::vector<Weapon>& own) {
  if (own.empty()) {
    for (const WeaponCategory& c : kWeaponCategoryTable) {
      if (c.index == kWeaponAll) continue;
      if (word == c.columnLabel || word == std::to_string(c.index)) return c.index;
    }
    return 0;
  }
  for (std::size_t i = 0; i < own.size(); ++i) {
    if (word == own[i].label || word == std::to_string(i + 1)) return static_cast<int>(i) + 1;
  }
  return 0;
}

// Reads one line that is neither blank nor a comment into `pack`; returns the problem, if
// any.
class LineParser {
 public:
  LineParser(std::string_view line, PackSoFar& pack) : m_line(line), m_pack(pack) {}

  std::optional<std::string> parse(int number) {
    for (char c : m_line) {
      if (!isPrintable(c) && c != '\t') return badByte(c);
    }
    const std::string_view kind = word();
    if (kind == "kill" || kind == "self" || kind == "score") {
      PackLine line;
      line.lineNumber = number;
      line.kind = kind == "kill"   ? PackLineKind::Kill
                  : kind == "self" ? PackLineKind::Self
                                   : PackLineKind::Score;
      if (line.kind == PackLineKind::Kill) {
        if (std::optional<std::string> problem = killWeapon(line)) return problem;
      }
      if (line.kind == PackLineKind::Score) {
        if (std::optional<std::string> problem = points(line)) return problem;
      }
      if (std::optional<std::string> problem = phrases(line.phrases)) return problem;
      m_pack.killSeen = m_pack.killSeen || line.kind == PackLineKind::Kill;
      m_pack.lines.push_back(std::move(line));
      return std::nullopt;
    }
    if (kind == "weapon") return weapon();
    if (kind == "games") return games();
    const std::string expected = "expected kill, self, score, weapon or games";
    return kind.empty() ? expected : expected + ", not " + shownWord(kind);
  }

 private:
  void skipBlanks() {
    while (m_pos < m_line.size() && isBlank(m_line[m_pos])) ++m_pos;
  }

  bool atEnd() {
    skipBlanks();
    return m_pos == m_line.size();
  }

  // The next run of characters up to a blank or a quote.
  std::string_view word() {
    skipBlanks();
    std::size_t start = m_pos;
    while (m_pos < m_line.size() && !isBlank(m_line[m_pos]) && m_line[m_pos] != '"') ++m_pos;
    return m_line.substr(start, m_pos - start);
  }

  // WEAPON [LOCATION] after "kill", up to the first phrase.
  std::optional<std::string> killWeapon(PackLine& line) {
    const std::string_view weapon = word();
    if (weapon.empty()) return std::string("missing weapon");
    line.weapon = weaponNamed(weapon, m_pack.weapons);
    if (line.weapon == 0) return "unknown weapon " + shownWord(weapon);
    const std::string_view location = word();
    if (location.empty()) return std::nullopt;
    line.location = hitLocationNamed(location);
    if (line.location == HitLocation::None) {
      return "unknown hit location " + shownWord(location) + " (head, chest, stomach or legs)";
    }
    return std::nullopt;
  }

  // POINTS after "score": a whole number, not 0.
  std::optional<std::string> points(PackLine& line) {
    const std::string_view text = word();
    if (text.empty()) return std::string("missing points");
    const bool negative = text.front() == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    const std::string bounds = "points " + shownWord(text) + " (a whole number from -" +
                               std::to_string(kPackMaxPoints) + " to " +
                               std::to_string(kPackMaxPoints) + ", not 0)";
    if (digits.empty() || digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), isDigit))
      return "bad " + bounds;
    const int value = std::stoi(std::string(digits));
    if (value == 0 || value > kPackMaxPoints) return "bad " + bounds;
    line.points = negative ? -value : value;
    return std::nullopt;
  }

  // weapon LABEL "name"
  std::optional<std::string> weapon() {
    if (m_pack.killSeen) return std::string("weapon lines come before the first kill line");
    if (m_pack.weapons.size() == static_cast<std::size_t>(kMaxWeapons)) {
      return "more than " + std::to_string(kMaxWeapons) + " weapons";
    }
    const std::string_view label = word();
    if (label.empty()) return std::string("missing weapon label");
    if (label.size() > kWeaponLabelMax ||
        !std::all_of(label.begin(), label.end(), isLabelCharacter)) {
      return "bad weapon label " + shownWord(label) + " (1 to " + std::to_string(kWeaponLabelMax) +
             " letters, digits or " + std::string(kLabelCharacters) + ")";
    }
    if (std::all_of(label.begin(), label.end(), isDigit)) {
      return "weapon label " + shownWord(label) + " is a number";
    }
    for (const Weapon& w : m_pack.weapons) {
      if (w.label == label) return "weapon label " + shownWord(label) + " given twice";
    }
    if (atEnd() || m_line[m_pos] != '"') return std::string("missing weapon name in quotes");
    std::string name;
    if (std::optional<std::string> problem = quotedPhrase(name)) return problem;
    if (name.size() > kWeaponNameMax) {
      return "weapon name longer than " + std::to_string(kWeaponNameMax) + " characters";
    }
    if (!atEnd()) return "expected the end of the line, not " + shownWord(m_line.substr(m_pos));
    m_pack.weapons.push_back({std::string(label), std::move(name)});
    return std::nullopt;
  }

  // games DIR [DIR ...]
  std::optional<std::string> games() {
    const std::size_t before = m_pack.games.size();
    for (std::string_view dir = word(); !dir.empty(); dir = word()) {
      m_pack.games.emplace_back(dir);
    }
    if (!atEnd()) return "expected a game directory, not " + shownWord(m_line.substr(m_pos));
    if (m_pack.games.size() == before) return std::string("missing game directory");
    return std::nullopt;
  }

  std::optional<std::string> phrases(std::vector<std::string>& out) {
    for (skipBlanks(); m_pos < m_line.size(); skipBlanks()) {
      if (m_line[m_pos] != '"') return "expected a phrase in quotes, not " + shownWord(word());
      std::string phrase;
      if (std::optional<std::string> problem = quotedPhrase(phrase)) return problem;
      out.push_back(std::move(phrase));
    }
    if (out.empty()) return std::string("missing phrase");
    return std::nullopt;
  }

  // The phrase between the quote at m_pos and its closing quote.
  std::optional<std::string> quotedPhrase(std::string& phrase) {
    for (++m_pos; m_pos < m_line.size(); ++m_pos) {
      char c = m_line[m_pos];
      if (c == '"') {
        ++m_pos;
        if (phrase.empty()) return std::string("empty phrase");
        return std::nullopt;
      }
      if (c == '\\') {
        if (++m_pos == m_line.size()) break;
        c = m_line[m_pos];
        if (!isPrintable(c)) return badByte(c);
        if (c != '"' && c != '\\') return "unknown escape " + shownWord(std::string("\\") + c);
      } else if (!isPrintable(c)) {
        return badByte(c);
      }
      phrase += c;
    }
    return std::string("missing quote");
  }

  std::string_view m_line;
  PackSoFar& m_pack;
  std::size_t m_pos = 0;
};

std::string fileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::string lineError(const std::string& path, int number, const std::string& message) {
  return path + ":" + std::to_string(number) + ": " + message;
}

}  // namespace

PhrasePackLoad ParsePhrasePack(std::string_view bytes, const std::string& path) {
  PhrasePackLoad result;
  if (bytes.size() > kPackMaxBytes) {
    result.error = path + ": larger than " + std::to_string(kPackMaxBytes) +
                   " bytes, the most a pack may have";
    return result;
  }
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  PackSoFar pack;
  int number = 0;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (++number > kPackMaxLines) {
      result.error = lineError(
          path, number,
          "more than " + std::to_string(kPackMaxLines) + " lines, the most a pack may have");
      return result;
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    if (std::optional<std::string> problem = LineParser(line, pack).parse(number)) {
      result.error = lineError(path, number, *problem);
      return result;
    }
  }
  std::optional<WeaponSet> weapons;
  if (!pack.weapons.empty()) weapons.emplace(std::move(pack.weapons));
  result.pack.emplace(fileName(path), std::move(pack.lines), std::move(weapons),
                      std::move(pack.games));
  return result;
}

PhrasePackLoad LoadPhrasePack(const std::string& path) {
  PhrasePackLoad result;
  std::optional<std::string> bytes;
  try {
    // Only a regular file is read; one byte beyond the limit tells a pack that is too large.
    bytes = readSmallFile(path, kPackMaxBytes);
    if (!bytes) throw fileErrorFromErrno(ENOENT, path);
  } catch (const FileError& e) {
    result.error = path + ": " + e.what();
    return result;
  }
  return ParsePhrasePack(*bytes, path);
}

}  // namespace obitrak
