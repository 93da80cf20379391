// The people's side of the summary: names met, results, records, ratings, head-to-head and
// the suggestions of names that may be one person.

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>
#include <set>

#include "scan/GameCharacters.h"
#include "stats/Summary.h"

namespace obitrak {

namespace {

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
  std::vector<std::pair<int, const std::string*>>& slots = m_slots;
  slots.clear();
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

void SummaryBuilder::addResult(const SummaryDemo& row, std::int64_t day, std::size_t position) {
  m_lastDay = std::max(m_lastDay.value_or(day), day);
  // The demo's people by their shown names, looked up among its few.
  auto personIndex = [&](const std::string& person) {
    for (std::size_t i : m_present) {
      if (m_players[i].name == person) return i;
    }
    return indexOf(person);
  };
  forEachPair(row.result, [&](const PairOutcome& pair) {
    m_games.push_back(
        {day, position, personIndex(*pair.first), personIndex(*pair.second), pair.score});
  });
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
  for (const Game& g : m_games) {
    const bool win = g.score == 1;
    (win ? s.players[g.first].wins : s.players[g.first].draws) += 1;
    (win ? s.players[g.second].losses : s.players[g.second].draws) += 1;
  }
  addHeadToHead(s);
  addKillsBetween(s);
  rate(s);
  s.aliasSuggestions = suggestions(s);
}

// Every pair of people who met, by the pair of their places, lower first. Three lists
// sorted by that key are merged: the games, the kills of the better placed (the kill
// counters are in that order already) and the kills of the other one.
void SummaryBuilder::addHeadToHead(Summary& s) const {
  auto keyOf = [](std::size_t a, std::size_t b) {
    return std::uint64_t{std::min(a, b)} << 32 | std::max(a, b);
  };
  enum : std::uint8_t { kLowerWon, kHigherWon, kDraw };
  std::vector<std::pair<std::uint64_t, std::uint8_t>> games;
  games.reserve(m_games.size());
  for (const Game& g : m_games) {
    const std::uint8_t what = g.score != 1 ? kDraw : g.first < g.second ? kLowerWon : kHigherWon;
    games.emplace_back(keyOf(g.first, g.second), what);
  }
  std::sort(games.begin(), games.end());
  std::vector<std::pair<std::uint64_t, std::int64_t>> lower;
  std::vector<std::pair<std::uint64_t, std::int64_t>> higher;
  const auto lowerKills = static_cast<std::size_t>(
      std::count_if(m_killCounters.begin(), m_killCounters.end(),
                    [](const auto& k) { return k.first >> 32 < (k.first & 0xFFFFFFFFu); }));
  lower.reserve(lowerKills);
  higher.reserve(m_killCounters.size() - lowerKills);
  for (const auto& [pair, n] : m_killCounters) {
    const auto killer = static_cast<std::size_t>(pair >> 32);
    const auto victim = static_cast<std::size_t>(pair & 0xFFFFFFFFu);
    (killer < victim ? lower : higher).emplace_back(keyOf(killer, victim), n);
  }
  std::sort(higher.begin(), higher.end());
  // Merged twice: once to count the pairs, once to keep them.
  auto merge = [&](auto&& keep) {
    std::size_t g = 0;
    std::size_t l = 0;
    std::size_t h = 0;
    while (g < games.size() || l < lower.size() || h < higher.size()) {
      std::uint64_t key = UINT64_MAX;
      if (g < games.size()) key = games[g].first;
      if (l < lower.size()) key = std::min(key, lower[l].first);
      if (h < higher.size()) key = std::min(key, higher[h].first);
      HeadToHead met;
      met.first = static_cast<std::size_t>(key >> 32);
      met.second = static_cast<std::size_t>(key & 0xFFFFFFFFu);
      for (; g < games.size() && games[g].first == key; ++g) {
        const std::uint8_t what = games[g].second;
        (what == kLowerWon ? met.firstWins : what == kHigherWon ? met.secondWins : met.draws) += 1;
      }
      for (; l < lower.size() && lower[l].first == key; ++l) met.firstKills += lower[l].second;
      for (; h < higher.size() && higher[h].first == key; ++h) met.secondKills += higher[h].second;
      keep(met);
    }
  };
  std::size_t pairs = 0;
  merge([&](const HeadToHead&) { ++pairs; });
  s.headToHead.reserve(pairs);
  merge([&](const HeadToHead& met) { s.headToHead.push_back(met); });
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

// The kills between people, each killer's most kills first, and each person's nemesis and
// favourite victim: of equal kills, the name first in byte order.
void SummaryBuilder::addKillsBetween(Summary& s) const {
  const std::vector<std::pair<std::uint64_t, std::int64_t>>& counters = m_killCounters;
  struct Most {
    std::size_t who = kNobody;
    std::int64_t n = 0;
  };
  std::vector<Most> nemesis(s.players.size());
  std::vector<Most> favourite(s.players.size());
  // Each person's place in the byte order of the names, for the ties.
  std::vector<std::size_t> byName(s.players.size());
  std::iota(byName.begin(), byName.end(), std::size_t{0});
  std::sort(byName.begin(), byName.end(),
            [&](std::size_t a, std::size_t b) { return s.players[a].name < s.players[b].name; });
  std::vector<std::size_t> nameRank(byName.size());
  for (std::size_t r = 0; r < byName.size(); ++r) nameRank[byName[r]] = r;
  auto note = [&](Most& most, std::size_t who, std::int64_t n) {
    if (n > most.n || (n == most.n && n > 0 && nameRank[who] < nameRank[most.who])) most = {who, n};
  };
  s.kills.reserve(counters.size());
  std::vector<std::pair<std::size_t, std::int64_t>> own;  // victims of one killer
  for (std::size_t i = 0; i < counters.size();) {
    const auto killer = static_cast<std::size_t>(counters[i].first >> 32);
    own.clear();
    for (; i < counters.size() && counters[i].first >> 32 == killer; ++i) {
      const auto victim = static_cast<std::size_t>(counters[i].first & 0xFFFFFFFFu);
      const std::int64_t n = counters[i].second;
      own.emplace_back(victim, n);
      note(favourite[killer], victim, n);
      note(nemesis[victim], killer, n);
    }
    std::sort(own.begin(), own.end(), [&](const auto& a, const auto& b) {
      return a.second != b.second ? a.second > b.second : nameRank[a.first] < nameRank[b.first];
    });
    for (const auto& [victim, n] : own) s.kills.push_back({killer, victim, n});
  }
  for (std::size_t p = 0; p < s.players.size(); ++p) {
    if (nemesis[p].who != kNobody) s.players[p].nemesis = s.players[nemesis[p].who].name;
    if (favourite[p].who != kNobody)
      s.players[p].favouriteVictim = s.players[favourite[p].who].name;
  }
}

// One rating period a day, in the order of the days and, within a day, of the demos.
void SummaryBuilder::rate(Summary& s) const {
  auto earlier = [](const Game& a, const Game& b) {
    return a.day != b.day ? a.day < b.day : a.position < b.position;
  };
  std::vector<LadderGame> games;
  games.reserve(m_games.size());
  auto add = [&](const Game& g) { games.push_back({g.day, g.first, g.second, g.score}); };
  // The games come in the demos' order, most often their days' order too.
  if (std::is_sorted(m_games.begin(), m_games.end(), earlier)) {
    for (const Game& g : m_games) add(g);
  } else {
    std::vector<const Game*> order;
    order.reserve(m_games.size());
    for (const Game& g : m_games) order.push_back(&g);
    std::stable_sort(order.begin(), order.end(),
                     [&](const Game* a, const Game* b) { return earlier(*a, *b); });
    for (const Game* g : order) add(*g);
  }
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
