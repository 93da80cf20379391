#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace obitrak {

// Ratings by the Glicko-2 method as Glickman published it ("Example of the Glicko-2
// system", 2012), with fixed choices so that anyone can recompute them: every player
// starts at 1500 with deviation 350 and volatility 0.06, the system constant tau is 0.5,
// and the volatility is found to within 0.000001. Intermediate values are not rounded.
struct Rating {
  double value = 1500;
  double deviation = 350;
  double volatility = 0.06;

  bool operator==(const Rating&) const = default;
};

inline constexpr double kGlickoTau = 0.5;

// One game of a rating period, seen from the player rated: the opponent's rating at the
// period's start and the player's score (1 a win, 0.5 a draw, 0 a loss).
struct GlickoGame {
  double opponentValue = 1500;
  double opponentDeviation = 350;
  double score = 0;
};

// The player's rating after a period in which he played `games`; with none, only the
// deviation grows, as for every period a player sits out.
Rating glickoPeriod(const Rating& before, const std::vector<GlickoGame>& games);

// The rating after `periods` periods without games.
Rating glickoIdle(const Rating& before, std::int64_t periods);

// A game between two players for a ladder: `score` is player a's.
struct LadderGame {
  std::int64_t period = 0;  // periods count up: one a day
  std::size_t a = 0;
  std::size_t b = 0;
  double score = 0;
};

struct RatingPoint {
  std::int64_t period = 0;
  Rating rating;
};

// Every player's rating through the periods of `games`, which must be in period order.
// A player starts in the period of his first game; between two periods in which he plays,
// every period counts, those without any game too. `current` holds each player's rating
// after period `last` (the last one of the games, or later), `history` his rating after
// each period he played; players without games keep the starting rating and no history.
struct Ladder {
  std::vector<Rating> current;
  std::vector<std::vector<RatingPoint>> history;
};
Ladder rateLadder(std::size_t players, const std::vector<LadderGame>& games, std::int64_t last);

}  // namespace obitrak
