#include "ui/WeaponsStatsWindow.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <utility>

#include "stats/RankedPlayers.h"
#include "ui/CopyKey.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

// The design: the grid of the original twelve weapons at (24, 16) in a window of 321 x 396.
constexpr QPoint kGridOrigin(24, 16);
constexpr int kRightMargin = 32;
constexpr int kBottomMargin = 51;
constexpr int kGridGap = 16;
constexpr int kNameColumnWidth = 159;
constexpr int kCountColumnWidth = 100;
constexpr int kRowHeight = 24;
constexpr int kGridLine = 1;
constexpr int kGridFrame = 4;  // the box around the grid and its last lines
constexpr int kMostRowsShown = 16;

QString weaponName(const DemoTables& tables, int weapon) {
  return latin1(tables.weapons[weapon].name);
}

// The size of a grid of `rows` x `columns` cells, at most kMostRowsShown rows high (it
// scrolls beyond).
QSize gridSize(int rows, int columns) {
  const int width = kNameColumnWidth + kGridLine + (columns - 1) * (kCountColumnWidth + kGridLine);
  return {width + kGridFrame,
          std::min(rows, kMostRowsShown) * (kRowHeight + kGridLine) + kGridFrame};
}

void setUpGrid(QTableView& grid, QAbstractItemModel* model, const QFont& font) {
  grid.setModel(model);
  grid.setFont(font);
  grid.horizontalHeader()->hide();
  grid.verticalHeader()->hide();
  for (QHeaderView* header : {grid.horizontalHeader(), grid.verticalHeader()}) {
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
  }
  grid.verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid.setSelectionMode(QAbstractItemView::NoSelection);
  grid.setFocusPolicy(Qt::StrongFocus);
  grid.setWordWrap(false);
  grid.setFrameStyle(QFrame::Box | QFrame::Plain);
  grid.setLineWidth(1);
}

void setColumnWidths(QTableView& grid, int columns) {
  grid.setColumnWidth(0, kNameColumnWidth + kGridLine);
  for (int c = 1; c < columns; ++c) grid.setColumnWidth(c, kCountColumnWidth + kGridLine);
}

}  // namespace

QList<QStringList> weaponCells(const DemoTables& tables) {
  const RankedPlayers ranked(tables);
  const bool told = tables.hitLocations.told;
  QStringList headings{QStringLiteral("Weapon"), QStringLiteral("Kills")};
  if (told) headings << QStringLiteral("Headshots");
  QList<QStringList> cells{headings};
  for (int weapon = 1; weapon <= tables.weapons.count(); ++weapon) {
    QStringList row{weaponName(tables, weapon), QString::number(ranked.weaponTotal(weapon))};
    if (told) {
      std::int64_t headshots = 0;
      for (int place = 1; place <= ranked.count(); ++place) {
        const int slot = ranked.slotAt(place);
        if (slot != kNoSlot) headshots += tables.hitLocations(slot, weapon, HitLocation::Head);
      }
      row << QString::number(headshots);
    }
    cells << row;
  }
  return cells;
}

QList<QStringList> headshotCells(const DemoTables& tables) {
  if (!tables.hitLocations.told) return {};
  const RankedPlayers ranked(tables);
  QList<QStringList> cells{
      {QStringLiteral("Player"), QStringLiteral("Kills"), QStringLiteral("Headshots")}};
  for (int place = 1; place <= ranked.count(); ++place) {
    const int slot = ranked.slotAt(place);
    const std::int64_t headshots =
        slot == kNoSlot ? 0 : tables.hitLocations.ofKiller(slot, HitLocation::Head);
    cells << QStringList{quakeLine(ranked.at(place).name.view()),
                         QString::number(ranked.at(place).kills), QString::number(headshots)};
  }
  return cells;
}

WeaponsStatsModel::WeaponsStatsModel(QObject* parent) : QAbstractTableModel(parent) {}

void WeaponsStatsModel::setCells(const QList<QStringList>& cells) {
  if (cells == m_cells) return;
  const bool sameShape = cells.size() == m_cells.size() &&
                         (cells.isEmpty() || cells.front().size() == m_cells.front().size());
  if (!sameShape) beginResetModel();
  m_cells = cells;
  arrangeRows();
  if (!sameShape) {
    endResetModel();
    return;
  }
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

void WeaponsStatsModel::cycleSort(int column) {
  if (column == 0 || column != m_sortColumn) {
    m_sortColumn = column;
    m_mostFirst = true;
  } else {
    m_mostFirst = !m_mostFirst;
  }
  arrangeRows();
  if (rowCount() > 1) {
    emit dataChanged(index(1, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
  }
}

void WeaponsStatsModel::arrangeRows() {
  m_order.clear();
  for (int row = 1; row < m_cells.size(); ++row) m_order.push_back(row);
  if (m_sortColumn <= 0 || m_cells.isEmpty() || m_sortColumn >= m_cells.front().size()) return;
  auto number = [this](int row) { return m_cells[row].value(m_sortColumn).toLongLong(); };
  std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
    return m_mostFirst ? number(a) > number(b) : number(a) < number(b);
  });
}

QString WeaponsStatsModel::cellText(int column, int row) const {
  if (row < 0 || row >= m_cells.size()) return {};
  if (row == 0) return m_cells.front().value(column);
  return m_cells[m_order[static_cast<std::size_t>(row - 1)]].value(column);
}

QString WeaponsStatsModel::gridText() const {
  QList<QStringList> rows;
  for (int row = 0; row < rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < columnCount(); ++column) cells << cellText(column, row);
    rows << cells;
  }
  return tabSeparated(rows);
}

int WeaponsStatsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_cells.size());
}

int WeaponsStatsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || m_cells.isEmpty() ? 0 : static_cast<int>(m_cells.front().size());
}

QVariant WeaponsStatsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    // A pack's weapon names may be longer than the column; the tool tip shows them whole.
    case Qt::ToolTipRole:
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

// The grids show every weapon at once: the fixed row and column are ordinary cells drawn in
// the header colour, with grid lines around every cell. The players' grid shows only where
// the demo tells hit locations, and scrolls when the players do not fit.
WeaponsStatsWindow::WeaponsStatsWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("WeapWin"), QStringLiteral("Weapons stats"), {321, 396},
                      parent),
      m_model(new WeaponsStatsModel(this)),
      m_headshotModel(new WeaponsStatsModel(this)),
      m_weaponGrid(new QTableView(this)),
      m_headshotGrid(new QTableView(this)) {
  m_weaponGrid->setObjectName(QStringLiteral("WT"));
  m_headshotGrid->setObjectName(QStringLiteral("HeadshotsGrid"));
  setUpGrid(*m_weaponGrid, m_model, designFont(font(), true));
  setUpGrid(*m_headshotGrid, m_headshotModel, designFont(font(), true));
  // A click on a heading sorts the rows; Ctrl+C copies a grid as text.
  for (auto [grid, model] : {std::pair{m_weaponGrid, m_model}, {m_headshotGrid, m_headshotModel}}) {
    connect(grid, &QTableView::clicked, this, [model](const QModelIndex& cell) {
      if (cell.row() == 0) model->cycleSort(cell.column());
    });
    copyWithKey(*grid, [model] { return model->gridText(); });
  }
  m_model->setCells(weaponCells(DemoTables{}));
  layOut();
}

void WeaponsStatsWindow::refill() {
  m_model->setCells(weaponCells(state().tables));
  m_headshotModel->setCells(headshotCells(state().tables));
  layOut();
}

void WeaponsStatsWindow::layOut() {
  setColumnWidths(*m_weaponGrid, m_model->columnCount());
  setColumnWidths(*m_headshotGrid, m_headshotModel->columnCount());
  const QSize weapons = gridSize(m_model->rowCount(), m_model->columnCount());
  m_weaponGrid->setGeometry(QRect(kGridOrigin, weapons));
  int bottom = kGridOrigin.y() + weapons.height();
  int right = kGridOrigin.x() + weapons.width();
  const bool headshots = m_headshotModel->rowCount() > 0;
  m_headshotGrid->setVisible(headshots);
  if (headshots) {
    const QSize players = gridSize(m_headshotModel->rowCount(), m_headshotModel->columnCount());
    m_headshotGrid->setGeometry(QRect(QPoint(kGridOrigin.x(), bottom + kGridGap), players));
    bottom += kGridGap + players.height();
    right = std::max(right, kGridOrigin.x() + players.width());
  }
  resize(right + kRightMargin, bottom + kBottomMargin);
}

}  // namespace obitrak::ui
