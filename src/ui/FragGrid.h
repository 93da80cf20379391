#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/PlayerColours.h"

namespace obitrak::ui {

struct GridSize {
  int width = 0;
  int height = 0;
  bool operator==(const GridSize&) const = default;
};

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// The frag grid's design: cell size without the one-pixel grid line.
inline constexpr int kDefaultColumnWidth = 100;
inline constexpr int kDefaultRowHeight = 24;
inline constexpr int kGridLineWidth = 1;
inline constexpr int kGridBorder = 3;  // added once to the sum of the cells
inline constexpr int kGridLeft = 8;
inline constexpr int kGridTop = 80;

// What the main window adds around the grid: frame, menu, controls above, status bar.
inline constexpr int kWindowExtraWidth = 21;
inline constexpr int kWindowExtraHeight = 200;

// The status bar's two panels as designed, and what the bar keeps around and between them.
inline constexpr int kStatusPanel0Width = 250;
inline constexpr int kStatusPanel1Width = 50;
inline constexpr int kStatusBarSpacing = 12;

// The main window's narrowest width, given the widths of the two panels' texts (frames
// included): the first panel keeps its designed width (less where its whole text is
// shorter; a tool tip holds a longer one) and the notice panel its whole notice, so that
// neither is squeezed away however small the user makes the window.
int mainWindowMinimumWidth(int panel0Text, int panel1Text);

// The frag grid of `playerCount` ranked players: a header row and column of names, one row
// and column per player and a totals column. With no player the single row is an ordinary
// one, because a grid keeps fewer fixed rows than it has rows.
struct FragGridShape {
  int rows = 0;
  int columns = 0;
  int fixedRows = 0;
  int fixedColumns = 0;
  std::vector<int> columnWidths;  // each column with its grid line
  GridSize size;
};

// The shape with every column of the designed width.
FragGridShape fragGridShape(int playerCount);

// Gives the columns the widths their texts need (one a column; a missing or narrower one
// keeps the designed width), and the grid the size that follows.
void fitColumnWidths(FragGridShape& shape, const std::vector<int>& needed);

// Where the main window goes to fit a grid of `grid` pixels on a screen of `screen` pixels:
// sized to the grid (and no narrower than `minimumWidth`), cut to the screen, centred. A
// maximised window keeps its size and place, so there is nothing to return.
std::optional<WindowRect> mainWindowPlacement(GridSize grid, GridSize screen, bool maximised,
                                              int minimumWidth = 0);

struct FrameMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The client rectangle the main window takes for a grid of `grid` pixels: its outer size as
// mainWindowPlacement() gives it within the screen's `available` area (desktop coordinates,
// without panels and docks), less the window manager's `frame`. Nothing when maximised.
std::optional<WindowRect> mainWindowClientRect(GridSize grid, WindowRect available,
                                               FrameMargins frame, bool maximised,
                                               int minimumWidth = 0);

// The size the grid takes in the room the window leaves it: its own size where it fits,
// else cut to the room (then it scrolls, so every cell stays reachable). A grid cut in one
// direction shows a scroll bar `scrollBarExtent` pixels thick across the other, and takes
// that much more room there where the room has it, so that the bar covers no cell.
GridSize gridViewport(GridSize grid, GridSize room, int scrollBarExtent = 0);

// How one cell of the frag grid is painted.
enum class CellFill { Fixed, Plain, DarkGreen, White };

struct CellPaint {
  CellFill fill = CellFill::Plain;
  std::uint32_t text = kBlack;
  bool operator==(const CellPaint&) const = default;
};

struct CellFacts {
  int column = 0;
  int row = 0;
  bool fixed = false;        // a header cell the user cannot select
  bool current = false;      // the grid's current cell
  int headerPlayerTeam = 0;  // team of the player a header cell names; 0 for none
};

// Header names take their team's colour, the diagonal (self-kills) is white on dark green,
// and the current cell is black on white instead of the usual highlight.
CellPaint fragGridCellPaint(const CellFacts& cell, const PlayerColourTable& colours);

// The place whose player a header cell names: the row in the first column, else the
// column; 0 for cells that are no header.
int headerPlace(int column, int row);

}  // namespace obitrak::ui
