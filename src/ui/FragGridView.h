#pragma once

#include <QTableView>

#include "ui/FragGridModel.h"

namespace obitrak::ui {

// The frag grid: fixed-size cells with lines between them, the names as fixed headers, the
// diagonal white on dark green and the current cell black on white. Cells are addressed by
// the design's column and row. A click on a column's header sorts the rows by it (again:
// the other way; a third time: rank order); Ctrl+C copies the grid as text.
class FragGridView : public QTableView {
  Q_OBJECT

 public:
  FragGridView(FragGridModel& model, QWidget* parent = nullptr);

  FragGridModel& gridModel() const { return m_model; }
  int rowCount() const { return m_model.shape().rows; }
  int columnCount() const { return m_model.shape().columns; }
  QString cellText(int column, int row) const { return m_model.cellText(column, row); }
  // The cell's rectangle in the view's own coordinates (headers included).
  QRect cellRect(int column, int row) const;
  void setCurrentCell(int row, int column);
  int currentRow() const;
  int currentColumn() const;
  // Widens the columns whose header or cell texts would not fit after a fill, and gives the
  // grid's shape the size that follows.
  void fitColumns();
  // Takes the header sizes after a fill.
  void shapeChanged();

 private:
  FragGridModel& m_model;
};

}  // namespace obitrak::ui
