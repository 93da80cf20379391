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
