#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stats/TimeGraph.h"

namespace obitrak {
namespace {

constexpr int kWidth = 521;  // the drawing area at the window's creation size
constexpr int kHeight = 329;

struct Event {
  int time;
  int killer;
  int victim;
};

// Players in slots 1..teams.size(), placed in slot order, with the given team numbers.
DemoTables graphTables(const std::vector<int>& teams, int duration,
                       const std::vector<Event>& events) {
  DemoTables t;
  const auto n = static_cast<std::uint8_t>(teams.size());
  for (int s = 1; s <= n; ++s) {
    t.players[s].name = "P" + std::to_string(s);
    t.players[s].rank = static_cast<std::uint8_t>(s);
    t.players[s].team = static_cast<std::uint8_t>(teams[static_cast<std::size_t>(s - 1)]);
  }
  t.players.playerCount = t.players.slotCount = n;
  for (const Event& e : events) {
    LogRecord& r = t.log.add(1, "obituary", e.time);
    r.killer = e.killer;
    r.victim = e.victim;
  }
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  t.header.duration = duration;
  return t;
}

// Player 1 ends with `high` frags after `low` (0 or below) suicides.
DemoTables spanTables(int low, int high, int duration = 60) {
  std::vector<Event> events(static_cast<std::size_t>(-low), Event{1, 1, 1});
  events.insert(events.end(), static_cast<std::size_t>(high - low), Event{2, 1, 2});
  return graphTables({1, 2}, duration, events);
}

std::vector<std::string> texts(const TimeGraphLayout& g, bool minutes) {
  std::vector<std::string> out;
  for (const GraphLabel& l : minutes ? g.minuteLabels : g.fragLabels) out.push_back(l.text);
  return out;
}

// Every character `charWidth` pixels wide, lines 13 pixels high.
GraphTextMetrics fixedPitch(int charWidth) {
  return {[charWidth](std::string_view t) { return charWidth * static_cast<int>(t.size()); }, 13};
}

std::vector<std::string> steps(int from, int step, int to) {
  std::vector<std::string> out;
  for (int v = from; v <= to; v += step) out.push_back(std::to_string(v));
  return out;
}

// `players` players over `duration` seconds and `frags` kills, all by the first seven, and
// every twentieth a suicide.
DemoTables longMatch(int players, int duration, int frags) {
  std::vector<Event> events;
  for (int i = 0; i < frags; ++i) {
    const int killer = 1 + i % 7;
    events.push_back({static_cast<int>(1LL * i * duration / frags), killer,
                      i % 20 != 0 ? 1 + i * 5 % players : killer});
  }
  return graphTables(std::vector<int>(static_cast<std::size_t>(players), 0), duration, events);
}

int yOf(const TimeGraphLayout& g, int score) {
  return kHeight - 20 - static_cast<int>(std::nearbyint((score - g.low) * g.fragScale));
}

TEST(TimeGraph, FragLabelsStandAtLeastTwentyPixelsApart) {
  struct Row {
    int low, high, step, lastLabel;
  };
  // The line of the last value that the grid reaches would have its label cut at the top.
  for (const Row& r : {Row{0, 10, 1, 11}, Row{0, 100, 8, 112}, Row{-3, 7, 1, 8}}) {
    const TimeGraphLayout g = timeGraphLayout(spanTables(r.low, r.high), false, kWidth, kHeight);
    EXPECT_EQ(texts(g, false), steps(r.low, r.step, r.lastLabel)) << "span " << r.high - r.low;
    EXPECT_EQ(g.baseline, yOf(g, 0));
    for (const GraphLine& l : g.lines) {
      const bool dottedAcross = l.dotted && l.from.y == l.to.y;
      EXPECT_FALSE(dottedAcross && l.from.y == g.baseline) << "the baseline stays solid";
    }
  }
}

// The designed step of 20 pixels stands where the widest label fits in it; three-digit
// labels of a wider font take a longer step.
TEST(TimeGraph, MinuteLabelsStandAtLeastTwentyPixelsApart) {
  struct Row {
    int duration, width, charWidth, step, lastLabel;
  };
  for (const Row& r : {Row{1800, kWidth, 6, 2, 30}, Row{1800, 1200, 6, 1, 30},
                       Row{600, kWidth, 6, 1, 10}, Row{7200, kWidth, 6, 5, 120},
                       Row{7200, kWidth, 7, 6, 120}, Row{14400, kWidth, 7, 12, 240}}) {
    const TimeGraphLayout g = timeGraphLayout(spanTables(0, 5, r.duration), false, r.width, kHeight,
                                              fixedPitch(r.charWidth));
    EXPECT_EQ(texts(g, true), steps(0, r.step, r.lastLabel)) << r.duration << " s, " << r.width;
  }
}

// Every label and legend name lies wholly inside the area, none covers another, and the frag
// labels stay left of the frag axis, whatever the demo's length, scores, players and window.
TEST(TimeGraph, LabelsAndLegendNeverOverlapNorLeaveTheArea) {
  struct Row {
    DemoTables tables;
    int width, height;
  };
  const DemoTables longDemo = longMatch(16, 4 * 3600, 35000);  // 4 hours, 16 players
  const GraphTextMetrics metrics = fixedPitch(7);
  for (const Row& r : {Row{longDemo, kWidth, kHeight}, Row{longDemo, 300, 200},
                       Row{spanTables(-250, 40, 600), kWidth, kHeight},
                       Row{longMatch(64, 3600, 3000), kWidth, kHeight}}) {
    const TimeGraphLayout g = timeGraphLayout(r.tables, false, r.width, r.height, metrics);
    std::vector<GraphLabel> texts = g.fragLabels;
    texts.insert(texts.end(), g.minuteLabels.begin(), g.minuteLabels.end());
    for (const GraphCurve& c : g.curves) texts.push_back(c.legend);
    EXPECT_GE(g.minuteLabels.size(), 2u);
    auto right = [&](const GraphLabel& l) { return l.at.x + metrics.widthOf(l.text); };
    for (const GraphLabel& l : g.fragLabels) EXPECT_LT(right(l), g.plot.left) << l.text;
    for (const GraphCurve& c : g.curves) EXPECT_GT(c.legend.at.x, g.plot.left) << c.legend.text;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const GraphLabel& a = texts[i];
      EXPECT_TRUE(a.at.x >= 0 && a.at.y >= 0 && right(a) <= r.width && a.at.y + 13 <= r.height)
          << a.text << " at " << a.at.x << ", " << a.at.y << " in " << r.width;
      for (std::size_t j = 0; j < i; ++j) {
        const GraphLabel& b = texts[j];
        EXPECT_FALSE(a.at.x < right(b) && b.at.x < right(a) && std::abs(a.at.y - b.at.y) < 13)
            << a.text << " and " << b.text;
      }
    }
  }
}

TEST(TimeGraph, SuicidesAndTeamKillsLowerTheCurve) {
  // Slots 1 and 3 play together. Player 1 kills player 2, then the row's victim.
  struct Row {
    bool teamPlay;
    int victim, score;
  };
  for (const Row& r :
       {Row{false, 1, 0}, Row{false, 3, 2}, Row{true, 1, 0}, Row{true, 3, 0}, Row{true, 2, 2}}) {
    const DemoTables t = graphTables({1, 2, 1}, 60, {{10, 1, 2}, {20, 1, r.victim}});
    const TimeGraphLayout g = timeGraphLayout(t, r.teamPlay, kWidth, kHeight);
    const std::vector<GraphPoint>& points = g.curves.at(0).points;
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[2].y, yOf(g, r.score)) << "victim " << r.victim << " team " << r.teamPlay;
    EXPECT_EQ(points[3], (GraphPoint{kWidth, yOf(g, r.score)})) << "carried to the end";
  }
}

TEST(TimeGraph, ResizeSpreadsTheTimeAxisAgain) {
  // An event half way through a 30-minute demo; the time axis ends 5 pixels short of the
  // area's edge, so that the label "30" under its end stays whole.
  struct Row {
    int width, eventX, endX;
  };
  for (const Row& r : {Row{kWidth, 268, 516}, Row{1042, 528, 1037}, Row{320, 168, 315}}) {
    const DemoTables t = graphTables({1, 2}, 1800, {{900, 1, 2}});
    const TimeGraphLayout g = timeGraphLayout(t, false, r.width, kHeight);
    const std::vector<GraphPoint>& points = g.curves.at(0).points;
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].x, r.eventX) << "width " << r.width;
    EXPECT_EQ(points[2].x, r.endX);
    EXPECT_EQ(g.plot.right, r.endX);
  }
}

TEST(TimeGraph, NoLengthOrNoSpanLeavesEveryCurveFlat) {
  struct Row {
    int duration;
    std::vector<Event> events;
  };
  for (const Row& r : {Row{0, {{0, 1, 2}, {0, 2, 2}}}, Row{60, {}}, Row{0, {}}}) {
    const TimeGraphLayout g =
        timeGraphLayout(graphTables({1, 2}, r.duration, r.events), false, kWidth, kHeight);
    EXPECT_TRUE(std::isfinite(g.timeScale) && std::isfinite(g.fragScale));
    ASSERT_GE(g.lines.size(), 2u);
    EXPECT_FALSE(g.lines[0].dotted || g.lines[1].dotted) << "both axes drawn";
    EXPECT_EQ(texts(g, true).front(), "0");
    EXPECT_FALSE(texts(g, false).empty());
    for (const GraphCurve& c : g.curves) {
      EXPECT_EQ(c.points, (std::vector<GraphPoint>{{20, g.baseline}, {kWidth, g.baseline}}));
      EXPECT_EQ(c.legend, (GraphLabel{{25, 15 * c.place}, "P" + std::to_string(c.place)}));
    }
  }
}

TEST(TimeGraph, EventsInOnePixelColumnKeepTheirExtremes) {
  // At one moment: 50 frags, 80 suicides, 40 frags: the column runs from -30 to 50, ends at 10.
  std::vector<Event> events(50, Event{100, 1, 2});
  events.insert(events.end(), 80, Event{100, 1, 1});
  events.insert(events.end(), 40, Event{100, 1, 2});
  const TimeGraphLayout g =
      timeGraphLayout(graphTables({1, 2}, 1800, events), false, kWidth, kHeight);
  const int x = g.plot.left + static_cast<int>(std::nearbyint(100 * g.timeScale));
  std::vector<int> column;
  for (const GraphPoint& p : g.curves.at(0).points) {
    if (p.x == x) column.push_back(p.y);
  }
  EXPECT_EQ(column, (std::vector<int>{yOf(g, 1), yOf(g, -30), yOf(g, 50), yOf(g, 10)}));
}

TEST(TimeGraph, PlacesAboveTwentyCycleThroughTheWrittenColours) {
  struct Row {
    int place, entry;
  };
  for (const Row& r : {Row{1, 1}, Row{20, 20}, Row{21, 1}, Row{34, 14}, Row{35, 1}, Row{64, 2}}) {
    EXPECT_EQ(curveColourEntry(r.place), r.entry) << "place " << r.place;
  }
}

}  // namespace
}  // namespace obitrak
