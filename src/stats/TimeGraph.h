#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DemoTables.h"

namespace obitrak {

// Everything the time graph draws, in pixels of its drawing area (origin top left, y
// downwards), computed from the tables alone so that the window only draws it.

struct GraphPoint {
  int x = 0;
  int y = 0;
  bool operator==(const GraphPoint&) const = default;
};

struct GraphLine {
  GraphPoint from;
  GraphPoint to;
  bool dotted = false;  // grid lines are dotted, the two axes solid
  bool operator==(const GraphLine&) const = default;
};

// A text whose top-left corner is `at`.
struct GraphLabel {
  GraphPoint at;
  std::string text;
  bool operator==(const GraphLabel&) const = default;
};

// One ranked player's frag count over the demo: a polyline through `points`, and the
// player's name in the legend, both in player colour `colourEntry` (1..20).
struct GraphCurve {
  int place = 0;
  int colourEntry = 0;
  GraphLabel legend;
  std::vector<GraphPoint> points;
};

// How the window's font measures the graph's texts: the width of a text in pixels (the
// texts are digits and the players' names as the demo holds them) and the height of a line.
// Without a width function every character is taken as 6 pixels wide, as in the designed
// font.
struct GraphTextMetrics {
  std::function<int(std::string_view)> width;
  int height = 13;
  int widthOf(std::string_view text) const;
};

// The plot within the drawing area: the frag axis at `left`, the time axis from there to
// `right`, score `low` at `bottom`. The designed margins (20 pixels left of the frag axis
// and below the lowest score, none at the right) grow where the labels need more room.
struct PlotArea {
  int left = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PlotArea&) const = default;
};

struct TimeGraphLayout {
  double timeScale = 0;                  // pixels per second; 0 for a demo of no length
  double fragScale = 0;                  // pixels per frag; 0 when no score ever leaves 0
  int low = 0;                           // the lowest score any player reaches (0 or below)
  int span = 0;                          // highest minus lowest score
  int baseline = 0;                      // y of score 0
  PlotArea plot;                         // where the axes stand
  std::vector<GraphLine> lines;          // the axes, then the frag grid, then the minute grid
  std::vector<GraphLabel> fragLabels;    // left of the frag axis, lowest first
  std::vector<GraphLabel> minuteLabels;  // under the time axis, in one row
  std::vector<GraphCurve> curves;        // by place 1..playerCount
};

// Labels never overlap and lie wholly inside the drawing area: labelled lines stand at
// least 20 pixels apart (the designed step) and further where the widest label needs it;
// a frag line whose label would reach above the area is left out; the legend runs in
// columns right of the frag axis and above the minute labels.

// Where the drawing area and the "minutes" label go in the time graph window.
struct TimeGraphFrame {
  int clientWidth = 0;
  int clientHeight = 0;
  int areaWidth = 0;
  int areaHeight = 0;
  GraphPoint minutesLabel;  // in the window's coordinates
  bool operator==(const TimeGraphFrame&) const = default;
};

// The drawing area and the label beside it in a client area of `clientWidth` x
// `clientHeight`: the area (at 8, 8) with the designed room of 55 pixels at its right and
// 21 below it, or more where the label of `labelWidth` x `labelHeight` would not fit whole.
TimeGraphFrame timeGraphFrame(int clientWidth, int clientHeight, int labelWidth, int labelHeight);
// The window at its creation: the client area in which the drawing area has its designed
// 521 x 329 pixels.
TimeGraphFrame timeGraphCreationFrame(int labelWidth, int labelHeight);

// What a frag event does to its killer's graph score: -1 for a suicide (and, in team play,
// for killing a teammate), +1 for any other victim, 0 when the record is no frag event.
int graphScoreChange(const PlayerTable& players, bool teamPlay, const LogRecord& record);

// The player colour entry of the curve at `place`: the place itself up to 20, then entries
// 1..14 in turn, so that no curve falls on the never-written black entries.
int curveColourEntry(int place);

// The whole graph for a drawing area of `width` x `height` pixels, its texts measured by
// `text`. In team play the tables' team numbers decide who is a teammate. With a demo of
// no length or a score span of 0 the axes, labels and legend are laid out and every curve
// lies flat on the baseline.
//
// Where several consecutive events of a curve fall into one pixel column, the curve keeps
// only the first, lowest, highest and last of them: the same pixels, few points.
TimeGraphLayout timeGraphLayout(const DemoTables& tables, bool teamPlay, int width, int height,
                                const GraphTextMetrics& text = {});

}  // namespace obitrak
