#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "scan/DemoTables.h"
#include "ui/SecondaryWindow.h"

class QTableView;

namespace obitrak::ui {

// The weapons grid: a header row ("Weapon", "Kills") and one row per weapon category with
// the kills the ranked players made with it. Row 0 and column 0 are the fixed cells. The
// weapons stand in their order, or sorted by their kills (most first, then least first).
class WeaponsStatsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kRows = 13;
  static constexpr int kColumns = 2;

  explicit WeaponsStatsModel(QObject* parent = nullptr);

  // Counts every weapon's kills among the ranked players.
  void fill(const DemoTables& tables);

  QString cellText(int column, int row) const;
  static bool isFixed(int column, int row) { return column == 0 || row == 0; }
  // What a click on the header cell of `column` does: the Kills column sorts the weapons by
  // their kills, most first, then least first; the Weapon column puts them in order again.
  void cycleSort(int column);
  // The whole grid as text, a line a row.
  QString gridText() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void arrangeRows();

  QStringList m_kills;       // the Kills column below its header, one per weapon category
  std::vector<int> m_order;  // the weapon category of each row below the header
  int m_sorted = 0;          // 0: in order; 1: most kills first; -1: least first
};

// "Weapons stats": how many kills the ranked players made with each weapon, taken anew from
// the tables on every activation, whatever the weapon filter and the last tally.
class WeaponsStatsWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit WeaponsStatsWindow(AppState& state, QWidget* parent = nullptr);

  const WeaponsStatsModel& model() const { return *m_model; }

 protected:
  void refill() override;

 private:
  WeaponsStatsModel* m_model;
  QTableView* m_weaponGrid;
};

}  // namespace obitrak::ui
