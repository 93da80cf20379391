#include "stats/Glicko2.h"

#include <cmath>
#include <numbers>

namespace obitrak {

namespace {

// The Glicko-2 scale: mu = (r - 1500) / 173.7178, phi = RD / 173.7178.
constexpr double kScale = 173.7178;
constexpr double kStart = 1500;
constexpr double kEpsilon = 0.000001;

double g(double phi) {
  return 1 / std::sqrt(1 + 3 * phi * phi / (std::numbers::pi * std::numbers::pi));
}

double expected(double mu, double muJ, double phiJ) {
  return 1 / (1 + std::exp(-g(phiJ) * (mu - muJ)));
}

// Step 5: the new volatility, by the Illinois variant of regula falsi.
double newVolatility(double phi, double sigma, double v, double delta) {
  const double a = std::log(sigma * sigma);
  const double tau2 = kGlickoTau * kGlickoTau;
  auto f = [&](double x) {
    const double ex = std::exp(x);
    const double d = phi * phi + v + ex;
    return ex * (delta * delta - phi * phi - v - ex) / (2 * d * d) - (x - a) / tau2;
  };
  double A = a;
  double B = 0;
  if (delta * delta > phi * phi + v) {
    B = std::log(delta * delta - phi * phi - v);
  } else {
    double k = 1;
    while (f(a - k * kGlickoTau) < 0) k += 1;
    B = a - k * kGlickoTau;
  }
  double fA = f(A);
  double fB = f(B);
  while (std::fabs(B - A) > kEpsilon) {
    const double C = A + (A - B) * fA / (fB - fA);
    const double fC = f(C);
    if (fC * fB <= 0) {
      A = B;
      fA = fB;
    } else {
      fA /= 2;
    }
    B = C;
    fB = fC;
  }
  return std::exp(A / 2);
}

}  // namespace

Rating glickoPeriod(const Rating& before, const std::vector<GlickoGame>& games) {
  if (games.empty()) return glickoIdle(before, 1);
  const double mu = (before.value - kStart) / kScale;
  const double phi = before.deviation / kScale;
  double vInverse = 0;
  double sum = 0;  // of g(phi_j) (s_j - E)
  for (const GlickoGame& game : games) {
    const double muJ = (game.opponentValue - kStart) / kScale;
    const double phiJ = game.opponentDeviation / kScale;
    const double e = expected(mu, muJ, phiJ);
    vInverse += g(phiJ) * g(phiJ) * e * (1 - e);
    sum += g(phiJ) * (game.score - e);
  }
  const double v = 1 / vInverse;
  const double sigma = newVolatility(phi, before.volatility, v, v * sum);
  const double phiStar = std::sqrt(phi * phi + sigma * sigma);
  const double phiNew = 1 / std::sqrt(1 / (phiStar * phiStar) + 1 / v);
  const double muNew = mu + phiNew * phiNew * sum;
  return {muNew * kScale + kStart, phiNew * kScale, sigma};
}

Rating glickoIdle(const Rating& before, std::int64_t periods) {
  if (periods <= 0) return before;
  const double phi = before.deviation / kScale;
  const double grown =
      std::sqrt(phi * phi + static_cast<double>(periods) * before.volatility * before.volatility);
  return {before.value, grown * kScale, before.volatility};
}

Ladder rateLadder(std::size_t players, const std::vector<LadderGame>& games, std::int64_t last) {
  Ladder ladder;
  ladder.current.assign(players, Rating{});
  ladder.history.assign(players, {});
  std::vector<std::int64_t> ratedTo(players, 0);  // the period each rating stands at
  std::vector<bool> started(players, false);
  std::vector<bool> inPeriod(players, false);
  std::vector<std::vector<GlickoGame>> period(players);
  std::vector<std::size_t> playing;
  std::vector<Rating> after;
  for (std::size_t i = 0; i < games.size();) {
    const std::int64_t day = games[i].period;
    std::size_t end = i;
    // Every rating of the day's players as it stands at the day's start: grown over the
    // days each sat out.
    for (; end < games.size() && games[end].period == day; ++end) {
      for (std::size_t p : {games[end].a, games[end].b}) {
        if (inPeriod[p]) continue;
        inPeriod[p] = true;
        playing.push_back(p);
        if (!started[p]) {
          started[p] = true;
          ratedTo[p] = day - 1;
        }
        ladder.current[p] = glickoIdle(ladder.current[p], day - 1 - ratedTo[p]);
      }
    }
    for (std::size_t j = i; j < end; ++j) {
      const LadderGame& game = games[j];
      if (game.a == game.b) continue;
      const Rating& a = ladder.current[game.a];
      const Rating& b = ladder.current[game.b];
      period[game.a].push_back({b.value, b.deviation, game.score});
      period[game.b].push_back({a.value, a.deviation, 1 - game.score});
    }
    after.clear();
    for (std::size_t p : playing) after.push_back(glickoPeriod(ladder.current[p], period[p]));
    for (std::size_t k = 0; k < playing.size(); ++k) {
      const std::size_t p = playing[k];
      ladder.current[p] = after[k];
      ratedTo[p] = day;
      ladder.history[p].push_back({day, after[k]});
      period[p].clear();
      inPeriod[p] = false;
    }
    playing.clear();
    i = end;
  }
  for (std::size_t p = 0; p < players; ++p) {
    if (started[p]) ladder.current[p] = glickoIdle(ladder.current[p], last - ratedTo[p]);
  }
  return ladder;
}

}  // namespace obitrak
