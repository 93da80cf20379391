#include "ui/WeaponsStatsWindow.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

#include "scan/Phrases.h"
#include "stats/RankedPlayers.h"
#include "ui/CopyKey.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr int kOuterWidth = 321;
constexpr int kOuterHeight = 396;
constexpr QRect kGridGeometry(24, 16, 265, 329);
constexpr int kWeaponColumnWidth = 159;
constexpr int kKillsColumnWidth = 100;
constexpr int kRowHeight = 24;
constexpr int kGridLine = 1;

QString filterItem(int weapon) {
  const std::string_view item = kWeaponCategoryTable[static_cast<std::size_t>(weapon)].filterItem;
  return latin1(item);
}

}  // namespace

WeaponsStatsModel::WeaponsStatsModel(QObject* parent) : QAbstractTableModel(parent) {
  for (int weapon = 1; weapon <= kWeaponCategories; ++weapon) m_kills << QStringLiteral("0");
  arrangeRows();
}

void WeaponsStatsModel::cycleSort(int column) {
  m_sorted = column == 0 ? 0 : (m_sorted == 1 ? -1 : 1);
  arrangeRows();
  emit dataChanged(index(1, 0), index(kRows - 1, kColumns - 1), {Qt::DisplayRole});
}

void WeaponsStatsModel::arrangeRows() {
  m_order.resize(kWeaponCategories);
  for (int i = 0; i < kWeaponCategories; ++i) m_order[static_cast<std::size_t>(i)] = i + 1;
  if (m_sorted == 0) return;
  auto kills = [this](int weapon) { return m_kills.value(weapon - 1).toLongLong(); };
  std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
    return m_sorted > 0 ? kills(a) > kills(b) : kills(a) < kills(b);
  });
}

QString WeaponsStatsModel::gridText() const {
  QList<QStringList> rows;
  for (int row = 0; row < kRows; ++row) rows << QStringList{cellText(0, row), cellText(1, row)};
  return tabSeparated(rows);
}

void WeaponsStatsModel::fill(const DemoTables& tables) {
  const RankedPlayers ranked(tables);
  QStringList kills;
  for (int weapon = 1; weapon <= kWeaponCategories; ++weapon) {
    kills << QString::number(ranked.weaponTotal(weapon));
  }
  if (kills == m_kills) return;
  m_kills = kills;
  arrangeRows();
  emit dataChanged(index(1, 0), index(kRows - 1, 1), {Qt::DisplayRole});
}

QString WeaponsStatsModel::cellText(int column, int row) const {
  if (column < 0 || row < 0 || column >= kColumns || row >= kRows) return {};
  if (row == 0) return column == 0 ? QStringLiteral("Weapon") : QStringLiteral("Kills");
  const int weapon = m_order[static_cast<std::size_t>(row - 1)];
  return column == 0 ? filterItem(weapon) : m_kills.value(weapon - 1);
}

int WeaponsStatsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRows;
}

int WeaponsStatsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant WeaponsStatsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return cellText(index.column(), index.row());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
      // Fixed cells take the colour of buttons, as the header cells of every grid do.
      return isFixed(index.column(), index.row()) ? QVariant(QPalette().brush(QPalette::Button))
                                                  : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags WeaponsStatsModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

// The grid never scrolls: its thirteen rows fit, so the fixed row and column are ordinary
// cells drawn in the header colour, with grid lines around every cell.
WeaponsStatsWindow::WeaponsStatsWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("WeapWin"), QStringLiteral("Weapons stats"),
                      {kOuterWidth, kOuterHeight}, parent),
      m_model(new WeaponsStatsModel(this)),
      m_weaponGrid(new QTableView(this)) {
  m_weaponGrid->setObjectName(QStringLiteral("WT"));
  m_weaponGrid->setModel(m_model);
  m_weaponGrid->setGeometry(kGridGeometry);
  m_weaponGrid->setFont(designFont(font(), true));
  m_weaponGrid->horizontalHeader()->hide();
  m_weaponGrid->verticalHeader()->hide();
  for (QHeaderView* header : {m_weaponGrid->horizontalHeader(), m_weaponGrid->verticalHeader()}) {
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
  }
  m_weaponGrid->verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);
  m_weaponGrid->setColumnWidth(0, kWeaponColumnWidth + kGridLine);
  m_weaponGrid->setColumnWidth(1, kKillsColumnWidth + kGridLine);
  m_weaponGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_weaponGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_weaponGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_weaponGrid->setSelectionMode(QAbstractItemView::NoSelection);
  m_weaponGrid->setWordWrap(false);
  m_weaponGrid->setFrameStyle(QFrame::Box | QFrame::Plain);
  m_weaponGrid->setLineWidth(1);
  // A click on a header cell sorts the weapons; Ctrl+C copies the grid as text.
  connect(m_weaponGrid, &QTableView::clicked, this, [this](const QModelIndex& cell) {
    if (cell.row() == 0) m_model->cycleSort(cell.column());
  });
  m_weaponGrid->setFocusPolicy(Qt::StrongFocus);
  copyWithKey(*m_weaponGrid, [this] { return m_model->gridText(); });
}

void WeaponsStatsWindow::refill() {
  m_model->fill(state().tables);
}

}  // namespace obitrak::ui
