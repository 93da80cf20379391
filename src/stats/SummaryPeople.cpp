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
std::string mostOf(const std::vector<std::pair<std::string, std::int64_t>>& records) {
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
void SummaryBuilder::noteNames(const DemoResult& demo, const std::vector<std::size_t>& bySlot) {
  std::vector<std::pair<int, const std::string*>> slots;
  for (const DemoPlayerResult& p : demo.players) {
    if (p.slot < 1 || p.slot > kMaxSlots) continue;
    m_names.try_emplace(p.name, bySlot[static_cast<std::size_t>(p.slot)]);
    if (p.clientSlot > 0) slots.emplace_back(p.clientSlot, &p.name);
  }
  std::sort(slots.begin(), slots.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : *a.second < *b.second;
  });
  std::set<std::pair<std::string, std::string>> pairs;  // once a demo
  for (std::size_t a = 0; a < slots.size(); ++a) {
    for (std::size_t b = a + 1; b < slots.size() && slots[b].first == slots[a].first; ++b) {
      if (*slots[a].second != *slots[b].second) pairs.insert({*slots[a].second, *slots[b].second});
    }
  }
  for (const auto& pair : pairs) ++m_renames[pair];
}

void SummaryBuilder::addResult(const SummaryDemo& row, std::int64_t day, std::size_t position,
                               const std::vector<std::size_t>& bySlot) {
  m_lastDay = std::max(m_lastDay.value_or(day), day);
  // The demo's people by their shown names, looked up among its few slots.
  auto indexOf = [&](const std::string& person) {
    for (std::size_t i : bySlot) {
      if (i != kNobody && m_players[i].name == person) return i;
    }
    return m_index.at(person);
  };
  for (const PairOutcome& pair : pairsOf(row.result))
    m_games.push_back({day, position, indexOf(*pair.first), indexOf(*pair.second), pair.score});
}

// Players' indices in the games, kill counters and names become their places in s.players.
void SummaryBuilder::numberByPlace(const std::vector<std::size_t>& placeOf) {
  for (Game& g : m_games) {
    g.first = placeOf[g.first];
    g.second = placeOf[g.second];
  }
  for (auto& [pair, n] : m_killCounters) {
    pair = std::uint64_t{placeOf[static_cast<std::size_t>(pair >> 32)]} << 32 |
           placeOf[static_cast<std::size_t>(pair & 0xFFFFFFFFu)];
  }
  for (auto& [name, person] : m_names) person = placeOf[person];
}

// With every index a place in s.players: head-to-head, in key order, comes out in the
// players' order, the better placed first.
void SummaryBuilder::finishPeople(Summary& s) const {
  s.lastDay = m_lastDay.value_or(0);
  for (const auto& [name, person] : m_names) {
    if (name != s.players[person].name) s.players[person].aliases.push_back(name);
  }
  for (PlayerTotals& p : s.players) std::sort(p.aliases.begin(), p.aliases.end());
  // Head-to-head by the pair of places, lower first, gathered in one list and added up in
  // its order; the names are given once at the end.
  struct Met {
    std::uint64_t key;
    std::int64_t firstWins, secondWins, draws, firstKills, secondKills;
  };
  auto keyOf = [](std::size_t a, std::size_t b) {
    return std::uint64_t{std::min(a, b)} << 32 | std::max(a, b);
  };
  const std::vector<std::pair<std::uint64_t, std::int64_t>>& kills = m_killCounters;
  std::vector<Met> met;
  met.reserve(m_games.size() + kills.size());
  for (const Game& g : m_games) {
    PlayerTotals& first = s.players[g.first];
    PlayerTotals& second = s.players[g.second];
    const bool win = g.score == 1;
    const bool lowerWon = win && g.first < g.second;
    (win ? first.wins : first.draws) += 1;
    (win ? second.losses : second.draws) += 1;
    met.push_back(
        {keyOf(g.first, g.second), lowerWon ? 1 : 0, win && !lowerWon ? 1 : 0, win ? 0 : 1, 0, 0});
  }
  for (const auto& [pair, n] : kills) {
    const auto killer = static_cast<std::size_t>(pair >> 32);
    const auto victim = static_cast<std::size_t>(pair & 0xFFFFFFFFu);
    met.push_back(
        {keyOf(killer, victim), 0, 0, 0, killer < victim ? n : 0, killer < victim ? 0 : n});
  }
  std::sort(met.begin(), met.end(), [](const Met& a, const Met& b) { return a.key < b.key; });
  std::size_t distinct = 0;
  for (std::size_t i = 0; i < met.size(); ++i) distinct += i == 0 || met[i].key != met[i - 1].key;
  s.headToHead.reserve(distinct);
  for (std::size_t i = 0; i < met.size();) {
    HeadToHead h;
    h.first = s.players[static_cast<std::size_t>(met[i].key >> 32)].name;
    h.second = s.players[static_cast<std::size_t>(met[i].key & 0xFFFFFFFFu)].name;
    const std::uint64_t key = met[i].key;
    for (; i < met.size() && met[i].key == key; ++i) {
      h.firstWins += met[i].firstWins;
      h.secondWins += met[i].secondWins;
      h.draws += met[i].draws;
      h.firstKills += met[i].firstKills;
      h.secondKills += met[i].secondKills;
    }
    s.headToHead.push_back(std::move(h));
  }
  addKillsBetween(s, kills);
  for (PlayerTotals& p : s.players) {
    p.nemesis = mostOf(p.killers);
    p.favouriteVictim = mostOf(p.victims);
  }
  rate(s);
  s.aliasSuggestions = suggestions(s);
}

// The kill counters added up, in place: by killer and victim, each pair once, in that order.
void SummaryBuilder::addUpKillCounters() {
  auto& counters = m_killCounters;
  std::sort(counters.begin(), counters.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < counters.size(); ++i) {
    if (kept > 0 && counters[kept - 1].first == counters[i].first) {
      counters[kept - 1].second += counters[i].second;
    } else {
      counters[kept++] = counters[i];
    }
  }
  counters.resize(kept);
}

// Each person's kills of and deaths by each opponent, each list filled in name order.
void SummaryBuilder::addKillsBetween(
    Summary& s, const std::vector<std::pair<std::uint64_t, std::int64_t>>& between) const {
  std::vector<std::size_t> byName(s.players.size());
  for (std::size_t i = 0; i < byName.size(); ++i) byName[i] = i;
  std::sort(byName.begin(), byName.end(),
            [&](std::size_t a, std::size_t b) { return s.players[a].name < s.players[b].name; });
  std::vector<std::size_t> rank(byName.size());
  for (std::size_t r = 0; r < byName.size(); ++r) rank[byName[r]] = r;
  struct Kills {
    std::size_t killer, victim;
    std::int64_t n;
  };
  std::vector<Kills> kills;
  kills.reserve(between.size());
  for (const auto& [pair, n] : between)
    kills.push_back(
        {static_cast<std::size_t>(pair >> 32), static_cast<std::size_t>(pair & 0xFFFFFFFFu), n});
  std::sort(kills.begin(), kills.end(), [&](const Kills& a, const Kills& b) {
    return a.killer != b.killer ? a.killer < b.killer : rank[a.victim] < rank[b.victim];
  });
  std::vector<std::size_t> counts(s.players.size(), 0);
  for (const Kills& k : kills) ++counts[k.killer];
  for (std::size_t p = 0; p < counts.size(); ++p) s.players[p].victims.reserve(counts[p]);
  for (const Kills& k : kills)
    s.players[k.killer].victims.emplace_back(s.players[k.victim].name, k.n);
  std::sort(kills.begin(), kills.end(), [&](const Kills& a, const Kills& b) {
    return a.victim != b.victim ? a.victim < b.victim : rank[a.killer] < rank[b.killer];
  });
  counts.assign(s.players.size(), 0);
  for (const Kills& k : kills) ++counts[k.victim];
  for (std::size_t p = 0; p < counts.size(); ++p) s.players[p].killers.reserve(counts[p]);
  for (const Kills& k : kills)
    s.players[k.victim].killers.emplace_back(s.players[k.killer].name, k.n);
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
