#include "stats/TimeGraph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "stats/Tally.h"

namespace obitrak {

namespace {

constexpr int kLeftMargin = 20;      // left of the frag axis
constexpr int kBottomMargin = 20;    // below the lowest score
constexpr int kLabelGap = 20;        // labelled grid lines stand at least this far apart
constexpr int kNoLabelYet = -100;    // "the last labelled value" before the first label
constexpr double kUsedHeight = 0.8;  // the highest score stands this high above the margin
constexpr double kGridReach = 1.25;  // the frag grid runs on to this much of the span
constexpr int kFragLabelLeft = 5;
constexpr int kFragLabelRaise = 6;
constexpr int kMinuteLabelShift = 7;  // left of its line
constexpr int kMinuteLabelDrop = 15;  // above the area's bottom edge
constexpr int kLegendLeft = 25;
constexpr int kLegendPitch = 15;
constexpr int kMinutesLabelShift = 15;  // right of the area
constexpr int kPlainColourEntries = 20;
constexpr int kWrittenColourEntries = 14;

// Rounds to the nearest whole pixel, halves to the even neighbour, kept in a range that an
// int holds whatever the scale.
int roundPixel(double v) {
  constexpr double kLimit = 1e9;
  return static_cast<int>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

// Consecutive points of one curve in one pixel column, as scores: the first, lowest,
// highest and last score that the column's segments pass through.
struct ColumnRun {
  int x = 0;
  int first = 0;
  int lowest = 0;
  int highest = 0;
  int last = 0;
};

struct CurveScores {
  int slot = kNoSlot;
  int score = 0;
  std::vector<ColumnRun> runs;

  void add(int x, int s) {
    if (!runs.empty() && runs.back().x == x) {
      ColumnRun& r = runs.back();
      r.lowest = std::min(r.lowest, s);
      r.highest = std::max(r.highest, s);
      r.last = s;
    } else {
      runs.push_back({x, s, s, s, s});
    }
  }
};

// Every ranked player's score through the log, with the lowest and highest score reached.
struct Scores {
  std::vector<CurveScores> curves;  // by place
  int low = 0;
  int high = 0;
};

Scores tallyScores(const DemoTables& tables, bool teamPlay, double timeScale) {
  Scores result;
  const PlayerTable& players = tables.players;
  std::array<int, kMaxSlots + 1> curveOfSlot{};  // index + 1 into curves, 0 for none
  for (int place = 1; place <= players.playerCount; ++place) {
    const int slot = SlotOfRank(players, place);
    result.curves.push_back({slot, 0, {}});
    result.curves.back().add(kLeftMargin, 0);
    if (slot != kNoSlot) curveOfSlot[static_cast<std::size_t>(slot)] = place;
  }
  for (const LogRecord& record : tables.log) {
    if (record.killer < 1 || record.killer > kMaxSlots) continue;
    const int curve = curveOfSlot[static_cast<std::size_t>(record.killer)];
    if (curve == 0) continue;
    CurveScores& c = result.curves[static_cast<std::size_t>(curve - 1)];
    c.score += graphScoreChange(players, teamPlay, record);
    result.low = std::min(result.low, c.score);
    result.high = std::max(result.high, c.score);
    c.add(kLeftMargin + roundPixel(record.time * timeScale), c.score);
  }
  return result;
}

// The dotted frag grid and its labels, at least kLabelGap pixels apart.
void layFragGrid(TimeGraphLayout& g, int width, int height) {
  if (g.span == 0) {
    g.labels.push_back({{kFragLabelLeft, g.baseline - kFragLabelRaise}, "0"});
    return;
  }
  int last = kNoLabelYet;
  const int top = roundPixel(g.span * kGridReach);
  for (int t = 0; t <= top; ++t) {
    if ((t - last) * g.fragScale < kLabelGap) continue;
    const int y = height - kBottomMargin - roundPixel(t * g.fragScale);
    if (t != -g.low) g.lines.push_back({{kLeftMargin, y}, {width, y}, true});
    g.labels.push_back({{kFragLabelLeft, y - kFragLabelRaise}, std::to_string(t + g.low)});
    last = t;
  }
}

// The dotted minute grid and its labels, at least kLabelGap pixels apart.
void layMinuteGrid(TimeGraphLayout& g, int duration, int height) {
  const int labelTop = height - kMinuteLabelDrop;
  const int labelLeft = kLeftMargin - kMinuteLabelShift;
  if (duration <= 0) {
    g.labels.push_back({{labelLeft, labelTop}, "0"});
    return;
  }
  int last = kNoLabelYet;
  const int minutes = duration / 60;
  for (int m = 0; m <= minutes; ++m) {
    if (g.timeScale * 60 * (m - last) < kLabelGap) continue;
    const int dx = roundPixel(m * g.timeScale * 60);
    if (m != 0) {
      g.lines.push_back({{kLeftMargin + dx, height - kBottomMargin}, {kLeftMargin + dx, 0}, true});
    }
    g.labels.push_back({{labelLeft + dx, labelTop}, std::to_string(m)});
    last = m;
  }
}

// A column's runs as pixel points: first, the extremes where they reach beyond the first
// and last, then last; a repeated point is left out.
void addRunPoints(std::vector<GraphPoint>& points, const ColumnRun& r, const TimeGraphLayout& g,
                  int height) {
  auto put = [&](int score) {
    const GraphPoint p{r.x, height - kBottomMargin - roundPixel((score - g.low) * g.fragScale)};
    if (points.empty() || points.back() != p) points.push_back(p);
  };
  put(r.first);
  if (r.lowest < std::min(r.first, r.last)) put(r.lowest);
  if (r.highest > std::max(r.first, r.last)) put(r.highest);
  put(r.last);
}

}  // namespace

int graphScoreChange(const PlayerTable& players, bool teamPlay, const LogRecord& record) {
  const int k = record.killer;
  const int v = record.victim;
  if (k < 1 || k > kMaxSlots) return 0;
  if (v == k) return -1;
  if (teamPlay && v >= 1 && v <= kMaxSlots && players[v].team == players[k].team) return -1;
  return 1;
}

GraphPoint minutesLabelPosition(int width, int height) {
  return {width + kMinutesLabelShift, height};
}

int curveColourEntry(int place) {
  if (place <= kPlainColourEntries) return place;
  return (place - kPlainColourEntries - 1) % kWrittenColourEntries + 1;
}

TimeGraphLayout timeGraphLayout(const DemoTables& tables, bool teamPlay, int width, int height) {
  TimeGraphLayout g;
  const int duration = std::max(tables.header.duration, 0);
  if (duration > 0) g.timeScale = static_cast<double>(width - kLeftMargin) / duration;
  Scores scores = tallyScores(tables, teamPlay, g.timeScale);
  g.low = scores.low;
  g.span = scores.high - scores.low;
  if (g.span > 0) g.fragScale = std::abs(static_cast<double>(height) / g.span * kUsedHeight);
  g.baseline = height - kBottomMargin + roundPixel(g.low * g.fragScale);
  g.minutesLabel = minutesLabelPosition(width, height);

  g.lines.push_back({{kLeftMargin, 0}, {kLeftMargin, height - kBottomMargin}, false});
  g.lines.push_back({{kLeftMargin, g.baseline}, {width, g.baseline}, false});
  layFragGrid(g, width, height);
  layMinuteGrid(g, duration, height);

  const bool flat = duration == 0 || g.span == 0;
  const int end = kLeftMargin + roundPixel(duration * g.timeScale);
  for (std::size_t i = 0; i < scores.curves.size(); ++i) {
    CurveScores& c = scores.curves[i];
    const int place = static_cast<int>(i) + 1;
    GraphCurve curve;
    curve.place = place;
    curve.colourEntry = curveColourEntry(place);
    if (c.slot != kNoSlot) curve.legend.text = tables.players[c.slot].name.str();
    curve.legend.at = {kLegendLeft, kLegendPitch * place};
    if (flat) {
      curve.points = {{kLeftMargin, g.baseline}, {width, g.baseline}};
    } else {
      c.add(end, c.score);  // the last score carried to the end of the demo
      for (const ColumnRun& r : c.runs) addRunPoints(curve.points, r, g, height);
    }
    g.curves.push_back(std::move(curve));
  }
  return g;
}

}  // namespace obitrak
