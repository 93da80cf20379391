#include "stats/Aliases.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "scan/FileAccess.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kKeyword = "player";
constexpr std::size_t kShownLength = 40;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A name as errors and the written file show it: quoted, other bytes as \xHH.
std::string quoted(std::string_view name, std::size_t limit = std::string_view::npos) {
  std::string out = "\"";
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i == limit) return out + "...\"";
    const char c = name[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (isPrintable(c)) {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      out += hex;
    }
  }
  return out + "\"";
}

// Reads the names of one line that is neither blank nor a comment.
class LineParser {
 public:
  explicit LineParser(std::string_view line) : m_line(line) {}

  std::optional<std::string> parse(std::vector<std::string>& names) {
    skipBlanks();
    const std::size_t start = m_pos;
    while (m_pos < m_line.size() && !isBlank(m_line[m_pos]) && m_line[m_pos] != '"') ++m_pos;
    const std::string_view keyword = m_line.substr(start, m_pos - start);
    if (keyword != kKeyword) return "expected player, not " + quoted(keyword, kShownLength);
    for (skipBlanks(); m_pos < m_line.size(); skipBlanks()) {
      if (m_line[m_pos] != '"') return std::string("expected a name in quotes");
      std::string name;
      if (std::optional<std::string> problem = quotedName(name)) return problem;
      names.push_back(std::move(name));
    }
    if (names.empty()) return std::string("missing name");
    return std::nullopt;
  }

 private:
  void skipBlanks() {
    while (m_pos < m_line.size() && isBlank(m_line[m_pos])) ++m_pos;
  }

  std::optional<std::string> quotedName(std::string& name) {
    for (++m_pos; m_pos < m_line.size(); ++m_pos) {
      const char c = m_line[m_pos];
      if (c == '"') {
        ++m_pos;
        if (name.empty()) return std::string("empty name");
        if (name.size() > kMaxNameBytes)
          return "name longer than 20 bytes: " + quoted(name, kShownLength);
        return std::nullopt;
      }
      if (c != '\\') {
        name += c;
        continue;
      }
      if (++m_pos == m_line.size()) break;
      const char e = m_line[m_pos];
      if (e == '"' || e == '\\') {
        name += e;
      } else if (e == 'x' && m_pos + 2 < m_line.size() && hexValue(m_line[m_pos + 1]) >= 0 &&
                 hexValue(m_line[m_pos + 2]) >= 0) {
        name += static_cast<char>(hexValue(m_line[m_pos + 1]) * 16 + hexValue(m_line[m_pos + 2]));
        m_pos += 2;
      } else {
        return "unknown escape " + quoted(std::string("\\") + e);
      }
    }
    return std::string("missing quote");
  }

  std::string_view m_line;
  std::size_t m_pos = 0;
};

}  // namespace

Aliases::Aliases(std::vector<Person> people) : m_people(std::move(people)) {
  rebuildIndex();
}

void Aliases::rebuildIndex() {
  m_index.clear();
  for (std::size_t i = 0; i < m_people.size(); ++i) {
    Person& p = m_people[i];
    m_index.try_emplace(p.shown, i);
    std::erase_if(p.names, [&](const std::string& n) { return !m_index.try_emplace(n, i).second; });
  }
}

const std::string& Aliases::personOf(const std::string& name) const {
  const auto found = m_index.find(name);
  return found == m_index.end() ? name : m_people[found->second].shown;
}

void Aliases::merge(const std::vector<std::string>& names, const std::string& shown) {
  Person merged{shown, {}};
  std::vector<bool> taken(m_people.size(), false);
  std::vector<std::string> all = names;
  all.push_back(shown);  // a person who has the shown name joins too
  for (const std::string& name : all) {
    const auto found = m_index.find(name);
    if (found == m_index.end()) {
      merged.names.push_back(name);
    } else if (!taken[found->second]) {
      taken[found->second] = true;
      const Person& p = m_people[found->second];
      merged.names.push_back(p.shown);
      merged.names.insert(merged.names.end(), p.names.begin(), p.names.end());
    }
  }
  std::erase(merged.names, shown);
  std::sort(merged.names.begin(), merged.names.end());
  merged.names.erase(std::unique(merged.names.begin(), merged.names.end()), merged.names.end());
  std::vector<Person> kept;
  for (std::size_t i = 0; i < m_people.size(); ++i) {
    if (!taken[i]) kept.push_back(std::move(m_people[i]));
  }
  kept.push_back(std::move(merged));
  m_people = std::move(kept);
  rebuildIndex();
}

void Aliases::split(const std::string& name) {
  const auto found = m_index.find(name);
  if (found == m_index.end()) return;
  m_people.erase(m_people.begin() + static_cast<std::ptrdiff_t>(found->second));
  rebuildIndex();
}

AliasesLoad ParseAliases(std::string_view bytes, const std::string& path) {
  AliasesLoad result;
  if (bytes.size() > kAliasesMaxBytes) {
    result.error = path + ": larger than " + std::to_string(kAliasesMaxBytes) +
                   " bytes, the most an aliases file may have";
    return result;
  }
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  std::vector<Person> people;
  std::unordered_map<std::string, std::pair<std::string, int>> owner;  // name -> shown, line
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    const std::string at = path + ":" + std::to_string(++number) + ": ";
    if (number > kAliasesMaxLines) {
      result.error = at + "more than " + std::to_string(kAliasesMaxLines) +
                     " lines, the most an aliases file may have";
      return result;
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::vector<std::string> names;
    if (std::optional<std::string> problem = LineParser(line).parse(names)) {
      result.error = at + *problem;
      return result;
    }
    for (const std::string& name : names) {
      const auto [it, added] = owner.try_emplace(name, names.front(), number);
      if (added) continue;
      result.error = at + quoted(name) + " is already a name of " + quoted(it->second.first) +
                     " (line " + std::to_string(it->second.second) + ")";
      return result;
    }
    people.push_back({names.front(), {names.begin() + 1, names.end()}});
  }
  result.aliases.emplace(std::move(people));
  return result;
}

AliasesLoad LoadAliases(const std::string& path) {
  AliasesLoad result;
  try {
    // Only a regular file is read; one byte beyond the limit tells a file that is too large.
    std::optional<std::string> bytes = readSmallFile(path, kAliasesMaxBytes);
    if (!bytes) throw fileErrorFromErrno(ENOENT, path);
    return ParseAliases(*bytes, path);
  } catch (const FileError& e) {
    result.error = path + ": " + e.what();
    return result;
  }
}

std::string AliasesText(const Aliases& aliases) {
  std::string text = "# People: the name shown, then the other names each played under.\n";
  for (const Person& p : aliases.people()) {
    text += std::string(kKeyword) + " " + quoted(p.shown);
    for (const std::string& name : p.names) text += " " + quoted(name);
    text += "\n";
  }
  return text;
}

}  // namespace obitrak
