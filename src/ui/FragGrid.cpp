#include "ui/FragGrid.h"

#include <algorithm>

namespace obitrak::ui {

FragGridShape fragGridShape(int playerCount) {
  FragGridShape shape;
  shape.rows = playerCount + 1;
  shape.columns = playerCount + 2;
  shape.fixedColumns = 1;
  shape.fixedRows = playerCount > 0 ? 1 : 0;
  fitColumnWidths(shape, {});
  shape.size.height = shape.rows * (kDefaultRowHeight + kGridLineWidth) + kGridBorder;
  return shape;
}

void fitColumnWidths(FragGridShape& shape, const std::vector<int>& needed) {
  constexpr int kDesigned = kDefaultColumnWidth + kGridLineWidth;
  shape.columnWidths.assign(static_cast<std::size_t>(shape.columns), kDesigned);
  shape.size.width = kGridBorder;
  for (std::size_t c = 0; c < shape.columnWidths.size(); ++c) {
    if (c < needed.size()) shape.columnWidths[c] = std::max(kDesigned, needed[c]);
    shape.size.width += shape.columnWidths[c];
  }
}

std::optional<WindowRect> mainWindowPlacement(GridSize grid, GridSize screen, bool maximised,
                                              int minimumWidth) {
  if (maximised) return std::nullopt;
  WindowRect r;
  r.width = std::min(std::max(grid.width + kWindowExtraWidth, minimumWidth), screen.width);
  r.height = std::min(grid.height + kWindowExtraHeight, screen.height);
  r.left = (screen.width - r.width) / 2;
  r.top = (screen.height - r.height) / 2;
  return r;
}

std::optional<WindowRect> mainWindowClientRect(GridSize grid, WindowRect available,
                                               FrameMargins frame, bool maximised,
                                               int minimumWidth) {
  std::optional<WindowRect> outer =
      mainWindowPlacement(grid, {available.width, available.height}, maximised, minimumWidth);
  if (!outer) return std::nullopt;
  return WindowRect{available.left + outer->left + frame.left,
                    available.top + outer->top + frame.top,
                    std::max(0, outer->width - frame.left - frame.right),
                    std::max(0, outer->height - frame.top - frame.bottom)};
}

int mainWindowMinimumWidth(int panel0Text, int panel1Text) {
  return std::min(kStatusPanel0Width, panel0Text) + std::max(0, panel1Text) + kStatusBarSpacing;
}

GridSize gridViewport(GridSize grid, GridSize room, int scrollBarExtent) {
  GridSize wanted = grid;
  // A bar in one direction may make the bar in the other necessary too.
  for (int pass = 0; pass < 2; ++pass) {
    if (grid.width > room.width) wanted.height = grid.height + scrollBarExtent;
    if (wanted.height > room.height) wanted.width = grid.width + scrollBarExtent;
    if (wanted.width > room.width) wanted.height = grid.height + scrollBarExtent;
  }
  return {std::clamp(room.width, 0, wanted.width), std::clamp(room.height, 0, wanted.height)};
}

int headerPlace(int column, int row) {
  if (column == 0) return row;
  if (row == 0) return column;
  return 0;
}

CellPaint fragGridCellPaint(const CellFacts& cell, const PlayerColourTable& colours) {
  CellPaint paint;
  paint.fill = cell.fixed ? CellFill::Fixed : CellFill::Plain;
  if (cell.column == 0 || cell.row == 0) {
    int entry = teamColourEntry(cell.headerPlayerTeam);
    if (entry > 0) paint.text = colours[entry];
  }
  if (cell.column == cell.row && cell.column >= 1) {
    return {CellFill::DarkGreen, kWhite};
  }
  if (cell.current) return {CellFill::White, kBlack};
  return paint;
}

}  // namespace obitrak::ui
