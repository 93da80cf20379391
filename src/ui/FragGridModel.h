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
// Cells are addressed as the design draws the grid: column 0 and row 0 hold the names. The
// rows stand in rank order, or sorted by the numbers of a column (the columns stay in rank
// order, so a player's self-kills move with his row).
// The model shows the ordinary cells; the header row and the name column are the view's
// headers, so they stay in place while the cells scroll. With no ranked player the single
// row is an ordinary one and the horizontal header is empty.
class FragGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit FragGridModel(const PlayerColourTable& colours, QObject* parent = nullptr);

  // Fills the grid from the ranked players, counting kills with `weapon`; the rows keep the
  // order chosen.
  void fill(const DemoTables& tables, int weapon);

  // Sorts the rows by the numbers of `column` (1 to the totals column, whose number is the
  // frags), most first or least first; equal numbers keep their rank order. Column 0 is the
  // rank order.
  void sortRows(int column, bool descending);
  // What a click on `column`'s header does: most first, then least first, then rank order.
  void cycleSort(int column);
  int sortColumn() const { return m_sortColumn; }
  bool sortDescending() const { return m_descending; }
  // The place of the player in grid row `row`; 0 for the header row.
  int placeOfRow(int row) const;
  // The whole grid as text, the header row first, rows as they stand.
  QString gridText() const;

  const FragGridShape& shape() const { return m_shape; }
  // Gives the columns the widths their texts need (see fitColumnWidths()).
  void setColumnWidths(const std::vector<int>& needed) { fitColumnWidths(m_shape, needed); }
  const PlayerColourTable& colours() const { return m_colours; }
  QString cellText(int column, int row) const;
  // A header cell's text as the grid shows it: the column the rows are sorted by carries an
  // arrow pointing the way the numbers go.
  QString headerText(int column, int row) const;
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
  void arrangeRows();

  QStringList m_texts;               // by place: row-major, m_shape.columns per row
  std::vector<long long> m_numbers;  // the same cells' numbers, 0 for names
  std::vector<int> m_teams;          // team of the player at place p at index p
  std::vector<int> m_order;          // the place shown in each row below the header
  int m_sortColumn = 0;
  bool m_descending = true;
};

}  // namespace obitrak::ui
