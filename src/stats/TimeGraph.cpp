#include "stats/TimeGraph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "stats/Tally.h"

namespace obitrak {

namespace {

constexpr int kDesignMargin = 20;    // left of the frag axis and below the lowest score
constexpr int kLabelGap = 20;        // labelled grid lines stand at least this far apart
constexpr int kLabelSpace = 2;       // the least room between two minute labels
constexpr int kNoLabelYet = -100;    // "the last labelled value" before the first label
constexpr double kUsedHeight = 0.8;  // the highest score stands this high above the margin
constexpr double kGridReach = 1.25;  // the frag grid runs on to this much of the span
constexpr int kFragLabelLeft = 5;
constexpr int kFragLabelSpace = 3;    // between the widest frag label and the frag axis
constexpr int kMinuteLabelShift = 7;  // left of its line
constexpr int kLegendShift = 5;       // right of the frag axis
constexpr int kLegendPitch = 15;
constexpr int kLegendColumnSpace = 10;
constexpr int kDesignCharWidth = 6;
constexpr int kPlainColourEntries = 20;
constexpr int kWrittenColourEntries = 14;

constexpr int kDesignAreaWidth = 521;
constexpr int kDesignAreaHeight = 329;
constexpr int kSpareWidth = 55;         // right of the area, the label's room included
constexpr int kSpareHeight = 21;        // below the area
constexpr int kMinutesLabelShift = 15;  // the label's left, from the area's width
constexpr int kMinutesLabelSpace = 2;   // kept free right of the label

// The room the window keeps right of and below the drawing area: the designed room, or
// what the "minutes" label there needs.
int spareWidth(int labelWidth) {
  return std::max(kSpareWidth, kMinutesLabelShift + labelWidth + kMinutesLabelSpace);
}

int spareHeight(int labelHeight) {
  return std::max(kSpareHeight, labelHeight);
}

// Rounds to the nearest whole pixel, halves to the even neighbour, kept in a range that an
// int holds whatever the scale.
int roundPixel(double v) {
  constexpr double kLimit = 1e9;
  return static_cast<int>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

// Consecutive events of one curve at one key (a second of the demo, later a pixel column),
// as scores: the first, lowest, highest and last score that its segments pass through.
struct ColumnRun {
  int x = 0;
  int first = 0;
  int lowest = 0;
  int highest = 0;
  int last = 0;

  void extend(const ColumnRun& r) {
    lowest = std::min(lowest, r.lowest);
    highest = std::max(highest, r.highest);
    last = r.last;
  }
};

struct CurveScores {
  int slot = kNoSlot;
  int score = 0;
  std::vector<ColumnRun> runs;  // by second

  void add(int x, int s) {
    if (!runs.empty() && runs.back().x == x) {
      runs.back().extend({x, s, s, s, s});
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

// One pass over the log. The events are kept by second, since where a second falls on the
// time axis is known only once the labels have been measured.
Scores tallyScores(const DemoTables& tables, bool teamPlay) {
  Scores result;
  const PlayerTable& players = tables.players;
  std::array<int, kMaxSlots + 1> curveOfSlot{};  // index + 1 into curves, 0 for none
  for (int place = 1; place <= players.playerCount; ++place) {
    const int slot = SlotOfRank(players, place);
    result.curves.push_back({slot, 0, {}});
    result.curves.back().add(0, 0);
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
    c.add(record.time, c.score);
  }
  return result;
}

// The width of the widest number of as many digits as `n` (digits need not be equally wide).
int widestNumberWidth(const GraphTextMetrics& text, int n) {
  const std::size_t digits = std::to_string(n).size();
  int widest = text.widthOf(std::to_string(n));
  for (char d = '0'; d <= '9'; ++d) widest = std::max(widest, text.widthOf(std::string(digits, d)));
  return widest;
}

int fragLabelRaise(const GraphTextMetrics& text) {
  return text.height / 2;
}

// The dotted frag grid and its labels, at least kLabelGap pixels apart (and a line of text)
// and below the area's top edge. The values are laid first; their x follows the left margin.
std::vector<int> fragGridValues(const TimeGraphLayout& g, const GraphTextMetrics& text) {
  if (g.span == 0) return {0};
  std::vector<int> values;
  const int gap = std::max(kLabelGap, text.height + 1);
  int last = kNoLabelYet;
  const int top = roundPixel(g.span * kGridReach);
  for (int t = 0; t <= top; ++t) {
    if ((t - last) * g.fragScale < gap) continue;
    if (g.plot.bottom - roundPixel(t * g.fragScale) - fragLabelRaise(text) < 0) break;
    values.push_back(t);
    last = t;
  }
  return values;
}

void layFragGrid(TimeGraphLayout& g, const std::vector<int>& values, int width,
                 const GraphTextMetrics& text) {
  for (int t : values) {
    const int y = g.plot.bottom - roundPixel(t * g.fragScale);
    if (t != -g.low && g.span > 0) g.lines.push_back({{g.plot.left, y}, {width, y}, true});
    g.fragLabels.push_back({{kFragLabelLeft, y - fragLabelRaise(text)}, std::to_string(t + g.low)});
  }
}

// The row of minute labels: right under the lowest frag label, so that the two never meet.
int minuteLabelTop(const TimeGraphLayout& g, const GraphTextMetrics& text) {
  return g.plot.bottom - fragLabelRaise(text) + text.height;
}

// The dotted minute grid and its labels, at least kLabelGap pixels apart and further where
// the widest label needs it.
void layMinuteGrid(TimeGraphLayout& g, int duration, const GraphTextMetrics& text) {
  const int labelTop = minuteLabelTop(g, text);
  const int labelLeft = g.plot.left - kMinuteLabelShift;
  if (duration <= 0) {
    g.minuteLabels.push_back({{labelLeft, labelTop}, "0"});
    return;
  }
  const int minutes = duration / 60;
  const int gap = std::max(kLabelGap, widestNumberWidth(text, minutes) + kLabelSpace);
  int last = kNoLabelYet;
  for (int m = 0; m <= minutes; ++m) {
    if (g.timeScale * 60 * (m - last) < gap) continue;
    const int dx = roundPixel(m * g.timeScale * 60);
    if (m != 0) {
      g.lines.push_back({{g.plot.left + dx, g.plot.bottom}, {g.plot.left + dx, 0}, true});
    }
    g.minuteLabels.push_back({{labelLeft + dx, labelTop}, std::to_string(m)});
    last = m;
  }
}

// The legend: names one under the other right of the frag axis, in a new column where the
// next would reach the minute labels.
void layLegend(TimeGraphLayout& g, const GraphTextMetrics& text) {
  const int pitch = std::max(kLegendPitch, text.height + 2);
  const int bottom = minuteLabelTop(g, text);
  int left = g.plot.left + kLegendShift;
  int row = 0;
  int columnWidth = 0;
  for (GraphCurve& curve : g.curves) {
    ++row;
    if (row > 1 && pitch * row + text.height > bottom) {
      left += columnWidth + kLegendColumnSpace;
      row = 1;
      columnWidth = 0;
    }
    curve.legend.at = {left, pitch * row};
    columnWidth = std::max(columnWidth, text.widthOf(curve.legend.text));
  }
}

// A column's runs as pixel points: first, the extremes where they reach beyond the first
// and last, then last; a repeated point is left out.
void addRunPoints(std::vector<GraphPoint>& points, const ColumnRun& r, const TimeGraphLayout& g) {
  auto put = [&](int score) {
    const GraphPoint p{r.x, g.plot.bottom - roundPixel((score - g.low) * g.fragScale)};
    if (points.empty() || points.back() != p) points.push_back(p);
  };
  put(r.first);
  if (r.lowest < std::min(r.first, r.last)) put(r.lowest);
  if (r.highest > std::max(r.first, r.last)) put(r.highest);
  put(r.last);
}

// The curve through its runs by second, those of one pixel column taken together.
std::vector<GraphPoint> curvePoints(const CurveScores& c, const TimeGraphLayout& g) {
  std::vector<GraphPoint> points;
  ColumnRun column;
  bool open = false;
  for (const ColumnRun& second : c.runs) {
    const int x = g.plot.left + roundPixel(second.x * g.timeScale);
    if (open && column.x == x) {
      column.extend(second);
      continue;
    }
    if (open) addRunPoints(points, column, g);
    column = second;
    column.x = x;
    open = true;
  }
  if (open) addRunPoints(points, column, g);
  return points;
}

// The plot's margins: the left one as wide as the widest frag label needs, the bottom one
// as high as the minute labels under the lowest frag label need, the right one as wide as
// the last minute label reaches past its line.
void placePlot(TimeGraphLayout& g, const std::vector<int>& fragValues, int duration, int width,
               const GraphTextMetrics& text) {
  int widestFrag = 0;
  for (int t : fragValues)
    widestFrag = std::max(widestFrag, text.widthOf(std::to_string(t + g.low)));
  g.plot.left = std::max(kDesignMargin, kFragLabelLeft + widestFrag + kFragLabelSpace);
  const int lastMinute = widestNumberWidth(text, std::max(duration, 0) / 60) - kMinuteLabelShift;
  g.plot.right = std::max(g.plot.left, width - std::max(0, lastMinute));
}

}  // namespace

int GraphTextMetrics::widthOf(std::string_view text) const {
  if (width) return width(text);
  return kDesignCharWidth * static_cast<int>(text.size());
}

int graphScoreChange(const PlayerTable& players, bool teamPlay, const LogRecord& record) {
  const int k = record.killer;
  const int v = record.victim;
  if (k < 1 || k > kMaxSlots) return 0;
  if (v == k) return -1;
  if (teamPlay && v >= 1 && v <= kMaxSlots && players[v].team == players[k].team) return -1;
  return 1;
}

TimeGraphFrame timeGraphFrame(int clientWidth, int clientHeight, int labelWidth, int labelHeight) {
  TimeGraphFrame f;
  f.clientWidth = clientWidth;
  f.clientHeight = clientHeight;
  f.areaWidth = std::max(0, clientWidth - spareWidth(labelWidth));
  f.areaHeight = std::max(0, clientHeight - spareHeight(labelHeight));
  f.minutesLabel = {f.areaWidth + kMinutesLabelShift, f.areaHeight};
  return f;
}

TimeGraphFrame timeGraphCreationFrame(int labelWidth, int labelHeight) {
  return timeGraphFrame(kDesignAreaWidth + spareWidth(labelWidth),
                        kDesignAreaHeight + spareHeight(labelHeight), labelWidth, labelHeight);
}

int curveColourEntry(int place) {
  if (place <= kPlainColourEntries) return place;
  return (place - kPlainColourEntries - 1) % kWrittenColourEntries + 1;
}

TimeGraphLayout timeGraphLayout(const DemoTables& tables, bool teamPlay, int width, int height,
                                const GraphTextMetrics& text) {
  TimeGraphLayout g;
  const int duration = std::max(tables.header.duration, 0);
  Scores scores = tallyScores(tables, teamPlay);
  g.low = scores.low;
  g.span = scores.high - scores.low;
  if (g.span > 0) g.fragScale = std::abs(static_cast<double>(height) / g.span * kUsedHeight);
  const int raise = fragLabelRaise(text);
  g.plot.bottom = height - std::max(kDesignMargin, text.height - raise + text.height);
  const std::vector<int> fragValues = fragGridValues(g, text);
  placePlot(g, fragValues, duration, width, text);
  if (duration > 0) g.timeScale = static_cast<double>(g.plot.right - g.plot.left) / duration;
  g.baseline = g.plot.bottom + roundPixel(g.low * g.fragScale);

  g.lines.push_back({{g.plot.left, 0}, {g.plot.left, g.plot.bottom}, false});
  g.lines.push_back({{g.plot.left, g.baseline}, {width, g.baseline}, false});
  layFragGrid(g, fragValues, width, text);
  layMinuteGrid(g, duration, text);

  const bool flat = duration == 0 || g.span == 0;
  for (std::size_t i = 0; i < scores.curves.size(); ++i) {
    CurveScores& c = scores.curves[i];
    const int place = static_cast<int>(i) + 1;
    GraphCurve curve;
    curve.place = place;
    curve.colourEntry = curveColourEntry(place);
    if (c.slot != kNoSlot) curve.legend.text = tables.players[c.slot].name.str();
    if (flat) {
      curve.points = {{g.plot.left, g.baseline}, {g.plot.right, g.baseline}};
    } else {
      c.add(duration, c.score);  // the last score carried to the end of the demo
      curve.points = curvePoints(c, g);
    }
    g.curves.push_back(std::move(curve));
  }
  layLegend(g, text);
  return g;
}

}  // namespace obitrak
