#include "scan/PhrasePack.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "scan/FileAccess.h"
#include "scan/FileError.h"
#include "scan/Phrases.h"

namespace obitrak {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kShownWordLength = 40;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
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

// The WeaponIndex named by an index 1..12 or a column label, or 0.
int weaponNamed(std::string_view word) {
  for (const WeaponCategory& c : kWeaponCategoryTable) {
    if (c.index == kWeaponAll) continue;
    if (word == c.columnLabel || word == std::to_string(c.index)) return c.index;
  }
  return 0;
}

// Reads one line that is neither blank nor a comment; returns the problem, if any.
class LineParser {
 public:
  explicit LineParser(std::string_view line) : m_line(line) {}

  std::optional<std::string> parse(PackLine& out) {
    for (char c : m_line) {
      if (!isPrintable(c) && c != '\t') return badByte(c);
    }
    std::string_view kind = word();
    if (kind == "kill") {
      out.kind = PackLineKind::Kill;
      std::string_view weapon = word();
      if (weapon.empty()) return std::string("missing weapon");
      out.weapon = weaponNamed(weapon);
      if (out.weapon == 0) return "unknown weapon " + shownWord(weapon);
    } else if (kind == "self") {
      out.kind = PackLineKind::Self;
    } else if (kind.empty()) {
      return std::string("expected kill or self");
    } else {
      return "expected kill or self, not " + shownWord(kind);
    }
    return phrases(out.phrases);
  }

 private:
  void skipBlanks() {
    while (m_pos < m_line.size() && isBlank(m_line[m_pos])) ++m_pos;
  }

  // The next run of characters up to a blank or a quote.
  std::string_view word() {
    skipBlanks();
    std::size_t start = m_pos;
    while (m_pos < m_line.size() && !isBlank(m_line[m_pos]) && m_line[m_pos] != '"') ++m_pos;
    return m_line.substr(start, m_pos - start);
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
  std::size_t m_pos = 0;
};

std::string fileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

PhrasePack::PhrasePack(std::string name, std::vector<PackLine> lines)
    : m_name(std::move(name)), m_lines(std::move(lines)), m_matcher(distinctPhrases()) {}

std::vector<std::string_view> PhrasePack::distinctPhrases() {
  for (const PackLine& line : m_lines) {
    (line.kind == PackLineKind::Kill ? m_hasKill : m_hasSelf) = true;
    std::vector<std::uint32_t>& ids = m_lineIds.emplace_back();
    for (const std::string& phrase : line.phrases) {
      auto known = std::find(m_phrases.begin(), m_phrases.end(), phrase);
      ids.push_back(static_cast<std::uint32_t>(known - m_phrases.begin()));
      if (known == m_phrases.end()) m_phrases.push_back(phrase);
    }
  }
  return {m_phrases.begin(), m_phrases.end()};
}

int PhrasePack::firstMatch(std::string_view text, PackLineKind kind) const {
  std::vector<bool> present(m_phrases.size(), false);
  m_matcher.scan(text, [&present](std::uint32_t id, std::size_t) { present[id] = true; });
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (m_lines[i].kind != kind) continue;
    const std::vector<std::uint32_t>& ids = m_lineIds[i];
    if (std::all_of(ids.begin(), ids.end(), [&present](std::uint32_t id) { return present[id]; }))
      return static_cast<int>(i);
  }
  return -1;
}

int PhrasePack::killWeapon(std::string_view text) const {
  if (!m_hasKill) return 0;
  int line = firstMatch(text, PackLineKind::Kill);
  return line < 0 ? 0 : m_lines[static_cast<std::size_t>(line)].weapon;
}

bool PhrasePack::selfKill(std::string_view text) const {
  return m_hasSelf && firstMatch(text, PackLineKind::Self) >= 0;
}

PhrasePackLoad ParsePhrasePack(std::string_view bytes, const std::string& path) {
  PhrasePackLoad result;
  if (bytes.size() > kPackMaxBytes) {
    result.error = path + ": larger than " + std::to_string(kPackMaxBytes) +
                   " bytes, the most a pack may have";
    return result;
  }
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  std::vector<PackLine> lines;
  int number = 0;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (++number > kPackMaxLines) {
      result.error = path + ":" + std::to_string(number) + ": more than " +
                     std::to_string(kPackMaxLines) + " lines, the most a pack may have";
      return result;
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    PackLine parsed;
    parsed.lineNumber = number;
    if (std::optional<std::string> problem = LineParser(line).parse(parsed)) {
      result.error = path + ":" + std::to_string(number) + ": " + *problem;
      return result;
    }
    lines.push_back(std::move(parsed));
  }
  result.pack.emplace(fileName(path), std::move(lines));
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
