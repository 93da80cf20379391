#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <vector>

#include "scan/DemoTables.h"
#include "ui/SecondaryWindow.h"

class QTableView;

namespace obitrak::ui {

// A grid of texts whose first row and first column are fixed cells: the weapons grid and
// the players' headshots grid of the weapons window. The rows below the headings stand in
// their order, or sorted by the numbers of a column (most first, then least first).
class WeaponsStatsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit WeaponsStatsModel(QObject* parent = nullptr);

  // The headings, then one row of texts each.
  void setCells(const QList<QStringList>& cells);

  QString cellText(int column, int row) const;
  static bool isFixed(int column, int row) { return column == 0 || row == 0; }
  // What a click on the heading of `column` does: a column of numbers sorts the rows by
  // them, most first, then least first; the first column puts them in order again.
  void cycleSort(int column);
  // The whole grid as shown, as text, a line a row.
  QString gridText() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void arrangeRows();

  QList<QStringList> m_cells;  // the headings, then the rows in their order
  std::vector<int> m_order;    // the row of m_cells shown in each row below the headings
  int m_sortColumn = 0;        // 0: in order; else the column the rows are sorted by
  bool m_mostFirst = true;
};

// The weapons grid: "Weapon", "Kills" and, where the demo's pack tells hit locations,
// "Headshots", with a row for each of the demo's weapons: the kills (and the kills by a shot
// to the head) that the ranked players made with it.
QList<QStringList> weaponCells(const DemoTables& tables);

// Each ranked player's kills and headshots, in place order; empty where the demo's pack
// does not tell hit locations.
QList<QStringList> headshotCells(const DemoTables& tables);

// "Weapons stats": how many kills the ranked players made with each weapon of the demo, and
// each player's headshots where the demo tells them, taken anew from the tables on every
// activation, whatever the weapon filter and the last tally.
class WeaponsStatsWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit WeaponsStatsWindow(AppState& state, QWidget* parent = nullptr);

  const WeaponsStatsModel& model() const { return *m_model; }
  const WeaponsStatsModel& headshotModel() const { return *m_headshotModel; }

 protected:
  void refill() override;

 private:
  void layOut();

  WeaponsStatsModel* m_model;
  WeaponsStatsModel* m_headshotModel;
  QTableView* m_weaponGrid;
  QTableView* m_headshotGrid;
};

}  // namespace obitrak::ui
