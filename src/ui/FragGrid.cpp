#include "ui/FragGrid.h"

#include <algorithm>

namespace obitrak::ui {

FragGridShape fragGridShape(int playerCount) {
  FragGridShape shape;
  shape.rows = playerCount + 1;
  shape.columns = playerCount + 2;
  shape.fixedColumns = 1;
  shape.fixedRows = playerCount > 0 ? 1 : 0;
  shape.size.width = shape.columns * (kDefaultColumnWidth + kGridLineWidth) + kGridBorder;
  shape.size.height = shape.rows * (kDefaultRowHeight + kGridLineWidth) + kGridBorder;
  return shape;
}

std::optional<WindowRect> mainWindowPlacement(GridSize grid, GridSize screen, bool maximised) {
  if (maximised) return std::nullopt;
  WindowRect r;
  r.width = std::min(grid.width + kWindowExtraWidth, screen.width);
  r.height = std::min(grid.height + kWindowExtraHeight, screen.height);
  r.left = (screen.width - r.width) / 2;
  r.top = (screen.height - r.height) / 2;
  return r;
}

std::optional<WindowRect> mainWindowClientRect(GridSize grid, WindowRect available,
                                               FrameMargins frame, bool maximised) {
  std::optional<WindowRect> outer =
      mainWindowPlacement(grid, {available.width, available.height}, maximised);
  if (!outer) return std::nullopt;
  return WindowRect{available.left + outer->left + frame.left,
                    available.top + outer->top + frame.top,
                    std::max(0, outer->width - frame.left - frame.right),
                    std::max(0, outer->height - frame.top - frame.bottom)};
}

GridSize gridViewport(GridSize grid, GridSize room) {
  return {std::clamp(room.width, 0, grid.width), std::clamp(room.height, 0, grid.height)};
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
