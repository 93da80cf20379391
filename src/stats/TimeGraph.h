#pragma once

#include <string>
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

struct TimeGraphLayout {
  double timeScale = 0;            // pixels per second; 0 for a demo of no length
  double fragScale = 0;            // pixels per frag; 0 when no score ever leaves 0
  int low = 0;                     // the lowest score any player reaches (0 or below)
  int span = 0;                    // highest minus lowest score
  int baseline = 0;                // y of score 0
  std::vector<GraphLine> lines;    // the axes, then the frag grid, then the minute grid
  std::vector<GraphLabel> labels;  // frag labels, then minute labels
  std::vector<GraphCurve> curves;  // by place 1..playerCount
  GraphPoint minutesLabel;         // see minutesLabelPosition()
};

// Where the "minutes" label goes beside a drawing area of `width` x `height` pixels, in the
// coordinates of the window that holds the area.
GraphPoint minutesLabelPosition(int width, int height);

// What a frag event does to its killer's graph score: -1 for a suicide (and, in team play,
// for killing a teammate), +1 for any other victim, 0 when the record is no frag event.
int graphScoreChange(const PlayerTable& players, bool teamPlay, const LogRecord& record);

// The player colour entry of the curve at `place`: the place itself up to 20, then entries
// 1..14 in turn, so that no curve falls on the never-written black entries.
int curveColourEntry(int place);

// The whole graph for a drawing area of `width` x `height` pixels. In team play the tables'
// team numbers decide who is a teammate. With a demo of no length or a score span of 0 the
// axes, labels and legend are laid out and every curve lies flat on the baseline.
//
// Where several consecutive events of a curve fall into one pixel column, the curve keeps
// only the first, lowest, highest and last of them: the same pixels, few points.
TimeGraphLayout timeGraphLayout(const DemoTables& tables, bool teamPlay, int width, int height);

}  // namespace obitrak
