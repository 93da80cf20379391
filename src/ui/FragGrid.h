#pragma once

#include <cstdint>
#include <vector>

#include "ui/PlayerColours.h"

namespace obitrak::ui {

struct GridSize {
  int width = 0;
  int height = 0;
  bool operator==(const GridSize&) const = default;
};

// The frag grid's design: cell size without the one-pixel grid line.
inline constexpr int kDefaultColumnWidth = 100;
inline constexpr int kDefaultRowHeight = 24;
inline constexpr int kGridLineWidth = 1;
inline constexpr int kGridBorder = 3;  // added once to the sum of the cells
// Cells are drawn this far right of their left edge, and keep as much free at their right.
inline constexpr int kFragCellInset = 2;

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
