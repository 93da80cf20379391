#include "scan/PhrasePack.h"

#include <algorithm>
#include <utility>

namespace obitrak {

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalWithoutCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

PhrasePack::PhrasePack(std::string name, std::vector<PackLine> lines,
                       std::optional<WeaponSet> weapons, std::vector<std::string> games)
    : m_name(std::move(name)),
      m_lines(std::move(lines)),
      m_weapons(std::move(weapons)),
      m_games(std::move(games)),
      m_matcher(distinctPhrases()) {}

std::vector<std::string_view> PhrasePack::distinctPhrases() {
  for (const PackLine& line : m_lines) {
    m_hasKill = m_hasKill || line.kind == PackLineKind::Kill;
    m_hasSelf = m_hasSelf || line.kind == PackLineKind::Self;
    m_hasScore = m_hasScore || line.kind == PackLineKind::Score;
    m_namesLocations = m_namesLocations || line.location != HitLocation::None;
    std::vector<std::uint32_t>& ids = m_lineIds.emplace_back();
    for (const std::string& phrase : line.phrases) {
      auto known = std::find(m_phrases.begin(), m_phrases.end(), phrase);
      ids.push_back(static_cast<std::uint32_t>(known - m_phrases.begin()));
      if (known == m_phrases.end()) m_phrases.push_back(phrase);
    }
  }
  return {m_phrases.begin(), m_phrases.end()};
}

bool PhrasePack::isFor(std::string_view gameDir) const {
  return std::any_of(m_games.begin(), m_games.end(),
                     [gameDir](const std::string& g) { return equalWithoutCase(g, gameDir); });
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

PackKill PhrasePack::kill(std::string_view text) const {
  if (!m_hasKill) return {};
  const int line = firstMatch(text, PackLineKind::Kill);
  if (line < 0) return {};
  const PackLine& l = m_lines[static_cast<std::size_t>(line)];
  return {l.weapon, l.location};
}

bool PhrasePack::selfKill(std::string_view text) const {
  return m_hasSelf && firstMatch(text, PackLineKind::Self) >= 0;
}

int PhrasePack::scorePoints(std::string_view text) const {
  if (!m_hasScore) return 0;
  const int line = firstMatch(text, PackLineKind::Score);
  return line < 0 ? 0 : m_lines[static_cast<std::size_t>(line)].points;
}

}  // namespace obitrak
