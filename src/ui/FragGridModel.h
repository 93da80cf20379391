#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <vector>

#include "scan/DemoTables.h"
#include "ui/FragGrid.h"
#include "ui/PlayerColours.h"

namespace obitrak::ui {

// The frag grid's contents, taken from the tables when it is filled and kept until the
// next fill (a tally that does not refill the grid leaves its numbers as they were).
//
// Cells are addressed as the design draws the grid: column 0 and row 0 hold the names.
// The model shows the ordinary cells; the header row and the name column are the view's
// headers, so they stay in place while the cells scroll. With no ranked player the single
// row is an ordinary one and the horizontal header is empty.
class FragGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit FragGridModel(const PlayerColourTable& colours, QObject* parent = nullptr);

  // Fills the grid from the ranked players, counting kills with `weapon`.
  void fill(const DemoTables& tables, int weapon);

  const FragGridShape& shape() const { return m_shape; }
  // Gives the columns the widths their texts need (see fitColumnWidths()).
  void setColumnWidths(const std::vector<int>& needed) { fitColumnWidths(m_shape, needed); }
  const PlayerColourTable& colours() const { return m_colours; }
  QString cellText(int column, int row) const;
  // The team of the player a header cell names; 0 for none.
  int headerTeam(int column, int row) const;

  QModelIndex indexOfCell(int column, int row) const;
  int cellColumn(const QModelIndex& index) const { return index.column() + m_shape.fixedColumns; }
  int cellRow(const QModelIndex& index) const { return index.row() + m_shape.fixedRows; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QVariant headerColour(int column, int row) const;

  const PlayerColourTable& m_colours;
  FragGridShape m_shape;
  QStringList m_texts;       // row-major, m_shape.columns per row
  std::vector<int> m_teams;  // team of the player at place p at index p
};

// The frag grid: fixed-size cells with lines between them, the names as fixed headers, the
// diagonal white on dark green and the current cell black on white. Cells are addressed by
// the design's column and row.
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
