#include "stats/Results.h"

#include <algorithm>
#include <map>

namespace obitrak {

std::int64_t utcDay(const FileTime& modified) {
  constexpr std::int64_t kDaySeconds = 86'400;
  const std::int64_t day = modified.seconds / kDaySeconds;
  return modified.seconds % kDaySeconds < 0 ? day - 1 : day;
}

// Days to a civil date, after Howard Hinnant's days_from_civil inverse.
std::string dayText(std::int64_t day) {
  const std::int64_t z = day + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  const auto two = [](std::int64_t n) {
    return std::string(n < 10 ? "0" : "") + std::to_string(n);
  };
  std::string year = std::to_string(y);
  if (y >= 0 && year.size() < 4) year.insert(0, 4 - year.size(), '0');
  return year + "-" + two(m) + "-" + two(d);
}

namespace {

struct Entrant {
  const std::string* person = nullptr;
  std::int64_t frags = 0;
  int bestPlace = 0;
  int team = 0;
};

// The ranked people of the demo, their slots added up.
std::vector<Entrant> entrantsOf(const std::vector<const DemoPlayerResult*>& ranked, bool teamPlay,
                                const PersonOf& personOf) {
  std::vector<Entrant> out;
  out.reserve(ranked.size());
  for (const DemoPlayerResult* p : ranked) {
    const std::string& person = personOf(p->name);
    auto same =
        std::find_if(out.begin(), out.end(), [&](const Entrant& e) { return *e.person == person; });
    if (same == out.end()) {
      const int place = teamPlay ? p->teamPlace : p->place;
      same = out.insert(out.end(), {&person, 0, place, p->team});
    }
    same->frags += teamPlay ? p->teamFrags : p->frags;
  }
  return out;
}

void givePlaces(std::vector<ResultSide>& sides) {
  std::stable_sort(sides.begin(), sides.end(),
                   [](const ResultSide& a, const ResultSide& b) { return a.frags > b.frags; });
  for (std::size_t i = 0; i < sides.size(); ++i) {
    sides[i].place = i > 0 && sides[i].frags == sides[i - 1].frags ? sides[i - 1].place
                                                                   : static_cast<int>(i) + 1;
  }
}

}  // namespace

DemoOutcome outcomeOf(const DemoResult& demo, bool teamPlay, const PersonOf& personOf) {
  return outcomeOf(demo.ranked(teamPlay), teamPlay, personOf);
}

DemoOutcome outcomeOf(const std::vector<const DemoPlayerResult*>& ranked, bool teamPlay,
                      const PersonOf& personOf) {
  std::vector<Entrant> entrants = entrantsOf(ranked, teamPlay, personOf);
  std::stable_sort(entrants.begin(), entrants.end(),
                   [](const Entrant& a, const Entrant& b) { return a.frags > b.frags; });
  DemoOutcome outcome;
  if (teamPlay) {
    std::map<int, ResultSide> teams;
    for (const Entrant& e : entrants) {
      ResultSide& side = teams[e.team];
      side.people.push_back(*e.person);
      side.frags += e.frags;
    }
    for (auto& [team, side] : teams) outcome.sides.push_back(std::move(side));
    outcome.kind = ResultKind::Teams;
  } else {
    outcome.sides.reserve(entrants.size());
    for (const Entrant& e : entrants) outcome.sides.push_back({{*e.person}, e.frags, 0});
    outcome.kind = entrants.size() == 2 ? ResultKind::Duel : ResultKind::FreeForAll;
  }
  if (outcome.sides.size() < 2) return {};
  givePlaces(outcome.sides);
  return outcome;
}

std::string_view resultKindName(ResultKind kind) {
  switch (kind) {
    case ResultKind::Duel:
      return "duel";
    case ResultKind::FreeForAll:
      return "free-for-all";
    case ResultKind::Teams:
      return "teams";
    case ResultKind::None:
      break;
  }
  return "none";
}

}  // namespace obitrak
