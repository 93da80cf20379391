#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "scan/DemoTables.h"
#include "ui/SecondaryWindow.h"

class QTableView;

namespace obitrak::ui {

// The weapons grid: a header row ("Weapon", "Kills") and one row per weapon category with
// the kills the ranked players made with it. Row 0 and column 0 are the fixed cells.
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

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QStringList m_kills;  // the Kills column below its header, one per weapon category
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
