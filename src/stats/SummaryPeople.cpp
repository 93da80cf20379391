// The people's side of the summary: names met, results, records, ratings, head-to-head and
// the suggestions of names that may be one person.

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "scan/GameCharacters.h"
#include "stats/Summary.h"

namespace obitrak {

namespace {

// The name of `records` with the most kills (or deaths); the first such name wins a tie.
std::string mostOf(const std::map<std::string, std::int64_t>& records) {
  const std::string* best = nullptr;
  std::int64_t most = 0;
  for (const auto& [name, n] : records) {
    if (n > most) {
      most = n;
      best = &name;
    }
  }
  return best != nullptr ? *best : std::string();
}

std::string lowered(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The name as the game draws it, case aside: coloured characters read as their plain twins.
std::string uncoloured(std::string_view name) {
  std::string out;
  for (char c : name) out += gameCharacter(static_cast<unsigned char>(c));
  return lowered(out);
}

// The name without a bracketed clan tag at its start or end, and the blanks beside it.
std::string untagged(const std::string& name) {
  static constexpr std::string_view kOpen = "[({<";
  static constexpr std::string_view kClose = "])}>";
  std::string out = name;
  const std::size_t open = kOpen.find(out.empty() ? '\0' : out.front());
  const std::size_t close = kClose.find(out.empty() ? '\0' : out.back());
  if (open != std::string_view::npos) {
    const std::size_t end = out.find(kClose[open]);
    if (end != std::string::npos && end + 1 < out.size()) out.erase(0, end + 1);
  } else if (close != std::string_view::npos) {
    const std::size_t start = out.rfind(kOpen[close]);
    if (start != std::string::npos && start > 0) out.erase(start);
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return name;
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

}  // namespace

// Remembers every name and the names one client slot passed through in this demo.
void SummaryBuilder::noteNames(const DemoResult& demo) {
  std::map<int, std::set<std::string>> bySlot;
  for (const DemoPlayerResult& p : demo.players) {
    m_names.try_emplace(p.name, m_index.at(personOf(p.name)));
    if (p.clientSlot > 0) bySlot[p.clientSlot].insert(p.name);
  }
  std::set<std::pair<std::string, std::string>> pairs;  // once a demo
  for (const auto& [slot, names] : bySlot) {
    for (auto a = names.begin(); a != names.end(); ++a) {
      for (auto b = std::next(a); b != names.end(); ++b) pairs.insert({*a, *b});
    }
  }
  for (const auto& pair : pairs) ++m_renames[pair];
}

void SummaryBuilder::addResult(const SummaryDemo& row, std::int64_t day, std::size_t position) {
  m_lastDay = std::max(m_lastDay.value_or(day), day);
  for (const PairOutcome& pair : pairsOf(row.result)) {
    m_games.push_back(
        {day, position, m_index.at(*pair.first), m_index.at(*pair.second), pair.score});
  }
}

// While s.players is still in the order of m_players.
void SummaryBuilder::finishPeople(Summary& s) const {
  s.lastDay = m_lastDay.value_or(0);
  for (const auto& [name, person] : m_names) {
    if (name != s.players[person].name) s.players[person].aliases.push_back(name);
  }
  std::map<std::pair<std::size_t, std::size_t>, HeadToHead> met;
  auto meeting = [&](std::size_t a, std::size_t b) -> HeadToHead& {
    HeadToHead& h = met[{std::min(a, b), std::max(a, b)}];
    h.first = s.players[std::min(a, b)].name;
    h.second = s.players[std::max(a, b)].name;
    return h;
  };
  for (const Game& g : m_games) {
    PlayerTotals& first = s.players[g.first];
    PlayerTotals& second = s.players[g.second];
    HeadToHead& h = meeting(g.first, g.second);
    const bool firstIsFirst = g.first < g.second;
    if (g.score == 1) {
      ++first.wins;
      ++second.losses;
      ++(firstIsFirst ? h.firstWins : h.secondWins);
    } else {
      ++first.draws;
      ++second.draws;
      ++h.draws;
    }
  }
  for (std::size_t killer = 0; killer < s.players.size(); ++killer) {
    PlayerTotals& p = s.players[killer];
    p.nemesis = mostOf(p.killers);
    p.favouriteVictim = mostOf(p.victims);
    for (const auto& [victim, n] : p.victims) {
      const std::size_t v = m_index.at(victim);
      HeadToHead& h = meeting(killer, v);
      (killer < v ? h.firstKills : h.secondKills) += n;
    }
  }
  for (auto& [pair, h] : met) s.headToHead.push_back(std::move(h));
  rate(s);
  s.aliasSuggestions = suggestions(s);
}

// One rating period a day, in the order of the days and, within a day, of the demos.
void SummaryBuilder::rate(Summary& s) const {
  std::vector<const Game*> order;
  order.reserve(m_games.size());
  for (const Game& g : m_games) order.push_back(&g);
  std::stable_sort(order.begin(), order.end(), [](const Game* a, const Game* b) {
    return a->day != b->day ? a->day < b->day : a->position < b->position;
  });
  std::vector<LadderGame> games;
  games.reserve(order.size());
  for (const Game* g : order) games.push_back({g->day, g->first, g->second, g->score});
  Ladder ladder = rateLadder(s.players.size(), games, s.lastDay);
  for (std::size_t p = 0; p < s.players.size(); ++p) {
    if (ladder.history[p].empty()) continue;
    s.players[p].rating = ladder.current[p];
    s.players[p].ratingHistory = std::move(ladder.history[p]);
  }
}

void SummaryBuilder::orderHeadToHead(Summary& s) {
  std::unordered_map<std::string, std::size_t> position;
  for (std::size_t i = 0; i < s.players.size(); ++i) position.emplace(s.players[i].name, i);
  for (HeadToHead& h : s.headToHead) {
    if (position.at(h.first) < position.at(h.second)) continue;
    std::swap(h.first, h.second);
    std::swap(h.firstWins, h.secondWins);
    std::swap(h.firstKills, h.secondKills);
  }
  std::sort(s.headToHead.begin(), s.headToHead.end(), [&](const auto& a, const auto& b) {
    const std::size_t fa = position.at(a.first);
    const std::size_t fb = position.at(b.first);
    return fa != fb ? fa < fb : position.at(a.second) < position.at(b.second);
  });
}

// Renames first, the most often met first; then the names alike, grouped.
std::vector<AliasSuggestion> SummaryBuilder::suggestions(const Summary& s) const {
  std::vector<AliasSuggestion> out;
  std::map<std::pair<std::string, std::string>, int> renamed;
  for (const auto& [pair, demos] : m_renames) {
    const std::string& a = s.players[m_names.at(pair.first)].name;
    const std::string& b = s.players[m_names.at(pair.second)].name;
    if (a != b) renamed[{std::min(a, b), std::max(a, b)}] += demos;
  }
  for (const auto& [pair, demos] : renamed)
    out.push_back({{pair.first, pair.second}, SuggestionReason::Rename, demos});
  std::stable_sort(out.begin(), out.end(),
                   [](const auto& a, const auto& b) { return a.demos > b.demos; });

  struct Alike {
    std::set<std::string> people;
    std::set<std::string> lowered;
    std::set<std::string> uncoloured;
  };
  std::map<std::string, Alike> alike;  // by the name without case, colour and clan tag
  for (const auto& [name, person] : m_names) {
    const std::string plain = uncoloured(name);
    Alike& group = alike[untagged(plain)];
    group.people.insert(s.players[person].name);
    group.lowered.insert(lowered(name));
    group.uncoloured.insert(plain);
  }
  for (const auto& [key, group] : alike) {
    if (group.people.size() < 2) continue;
    const SuggestionReason reason = group.uncoloured.size() > 1 ? SuggestionReason::ClanTag
                                    : group.lowered.size() > 1  ? SuggestionReason::Colour
                                                                : SuggestionReason::Case;
    out.push_back({{group.people.begin(), group.people.end()}, reason, 0});
  }
  return out;
}

}  // namespace obitrak
