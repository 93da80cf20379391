#pragma once

#include <QAbstractTableModel>
#include <QStringList>
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

}  // namespace obitrak::ui
