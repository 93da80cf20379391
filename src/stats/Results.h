#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "stats/DemoResult.h"
#include "stats/FileTime.h"

namespace obitrak {

// The day of a demo: whole days since 1970-01-01 in UTC (before it, below 0). Ratings take
// one period a day, and pages and summaries show the day from here.
std::int64_t utcDay(const FileTime& modified);

// "YYYY-MM-DD" of a day as utcDay counts them.
std::string dayText(std::int64_t day);

enum class ResultKind { None, Duel, FreeForAll, Teams };

// One side of a result: a person of a duel or a free-for-all, a team in team play.
struct ResultSide {
  std::vector<std::string> people;  // the names shown for them, best frags first
  std::int64_t frags = 0;
  int place = 0;  // 1 is best; sides of equal frags share a place

  bool operator==(const ResultSide&) const = default;
};

// The result of a demo, from its counted frags: two ranked people without team play are
// a duel, three or more a free-for-all; in team play each team with a ranked member is a
// side. Fewer than two sides give no result.
struct DemoOutcome {
  ResultKind kind = ResultKind::None;
  std::vector<ResultSide> sides;  // by place

  bool operator==(const DemoOutcome&) const = default;
};

// Who a name stands for: the name shown for his person.
using PersonOf = std::function<const std::string&(const std::string&)>;

// The result of `demo` in the given mode. A person who held several slots (a rename) is
// one player with the sum of their frags, in the team of his best-placed slot.
DemoOutcome outcomeOf(const DemoResult& demo, bool teamPlay, const PersonOf& personOf);
// The same from the demo's ranked players as DemoResult::ranked lists them.
DemoOutcome outcomeOf(const std::vector<const DemoPlayerResult*>& ranked, bool teamPlay,
                      const PersonOf& personOf);

// Every pair of people that the result sets against each other: each member of a side
// against each member of every side below it, `score` being the first one's (1 more
// frags, 0.5 equal).
struct PairOutcome {
  const std::string* first = nullptr;
  const std::string* second = nullptr;
  double score = 0;
};
// Calls `use` with each pair, side by side from the best, each member in his side's order.
template <typename Use>
void forEachPair(const DemoOutcome& outcome, Use&& use) {
  const std::vector<ResultSide>& sides = outcome.sides;
  for (std::size_t i = 0; i < sides.size(); ++i) {
    for (std::size_t j = i + 1; j < sides.size(); ++j) {
      const double score = sides[i].frags > sides[j].frags ? 1.0 : 0.5;
      for (const std::string& a : sides[i].people) {
        for (const std::string& b : sides[j].people) use(PairOutcome{&a, &b, score});
      }
    }
  }
}

// The word for a kind of result in the JSON summary ("duel", "free-for-all", "teams").
std::string_view resultKindName(ResultKind kind);

}  // namespace obitrak
