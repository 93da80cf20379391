#include "ui/FragGridModel.h"

#include <QBrush>
#include <algorithm>

#include "stats/RankedPlayers.h"
#include "ui/ColourRef.h"
#include "ui/CopyKey.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

const QString kTotalsHeader = QStringLiteral("Frgs (Kills/Dths)");

}  // namespace

FragGridModel::FragGridModel(const PlayerColourTable& colours, QObject* parent)
    : QAbstractTableModel(parent), m_colours(colours) {}

void FragGridModel::fill(const DemoTables& tables, int weapon) {
  beginResetModel();
  const RankedPlayers ranked(tables);
  const int n = ranked.count();
  m_shape = fragGridShape(n);
  m_texts.clear();
  m_texts.reserve(m_shape.rows * m_shape.columns);
  m_numbers.assign(static_cast<std::size_t>(m_shape.rows * m_shape.columns), 0);
  m_teams.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int place = 1; place <= n; ++place) {
    m_teams[static_cast<std::size_t>(place)] = ranked.at(place).team;
  }
  for (int row = 0; row < m_shape.rows; ++row) {
    for (int column = 0; column < m_shape.columns; ++column) {
      QString text;
      if (row == 0 && column == n + 1) {
        text = kTotalsHeader;
      } else if (row == 0 && column >= 1) {
        text = quakeLine(ranked.at(column).name.view());
      } else if (row >= 1 && column == 0) {
        text = quakeLine(ranked.at(row).name.view());
      } else if (row >= 1 && column == n + 1) {
        const PlayerRecord& p = ranked.at(row);
        text = QStringLiteral("%1 (%2 / %3)").arg(p.frags).arg(p.kills).arg(p.deaths);
        m_numbers[static_cast<std::size_t>(m_texts.size())] = p.frags;
      } else if (row >= 1) {
        const auto kills = ranked.kills(column, row, weapon);
        text = QString::number(kills);
        m_numbers[static_cast<std::size_t>(m_texts.size())] = static_cast<long long>(kills);
      }
      m_texts << text;
    }
  }
  if (m_sortColumn >= m_shape.columns) m_sortColumn = 0;
  arrangeRows();
  endResetModel();
}

void FragGridModel::sortRows(int column, bool descending) {
  beginResetModel();
  m_sortColumn = column >= 1 && column < m_shape.columns ? column : 0;
  m_descending = descending;
  arrangeRows();
  endResetModel();
}

void FragGridModel::cycleSort(int column) {
  if (column != m_sortColumn) {
    sortRows(column, true);
  } else {
    sortRows(m_descending ? column : 0, false);
  }
}

void FragGridModel::arrangeRows() {
  const int n = std::max(m_shape.rows - 1, 0);
  m_order.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) m_order[static_cast<std::size_t>(i)] = i + 1;
  if (m_sortColumn == 0) return;
  auto number = [this](int place) {
    return m_numbers[static_cast<std::size_t>(place * m_shape.columns + m_sortColumn)];
  };
  std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
    return m_descending ? number(a) > number(b) : number(a) < number(b);
  });
}

int FragGridModel::placeOfRow(int row) const {
  if (row < 1 || row > static_cast<int>(m_order.size())) return 0;
  return m_order[static_cast<std::size_t>(row - 1)];
}

QString FragGridModel::gridText() const {
  QList<QStringList> rows;
  for (int row = 0; row < m_shape.rows; ++row) {
    QStringList cells;
    for (int column = 0; column < m_shape.columns; ++column) cells << cellText(column, row);
    rows << cells;
  }
  return tabSeparated(rows);
}

QString FragGridModel::cellText(int column, int row) const {
  if (column < 0 || row < 0 || column >= m_shape.columns || row >= m_shape.rows) return {};
  const int place = row == 0 ? 0 : placeOfRow(row);
  return m_texts.value(place * m_shape.columns + column);
}

QString FragGridModel::headerText(int column, int row) const {
  const QString text = cellText(column, row);
  if (row != 0 || column == 0 || column != m_sortColumn) return text;
  return text + (m_descending ? QStringLiteral(" \u25BE") : QStringLiteral(" \u25B4"));
}

int FragGridModel::headerTeam(int column, int row) const {
  const int place = column == 0 ? placeOfRow(row) : headerPlace(column, row);
  if (place < 1 || place >= static_cast<int>(m_teams.size())) return 0;
  return m_teams[static_cast<std::size_t>(place)];
}

QModelIndex FragGridModel::indexOfCell(int column, int row) const {
  return index(row - m_shape.fixedRows, column - m_shape.fixedColumns);
}

int FragGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_shape.rows - m_shape.fixedRows;
}

int FragGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_shape.columns - m_shape.fixedColumns;
}

QVariant FragGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return cellText(cellColumn(index), cellRow(index));
}

QVariant FragGridModel::headerColour(int column, int row) const {
  const int entry = teamColourEntry(headerTeam(column, row));
  return entry > 0 ? QVariant(QBrush(toQColor(m_colours[entry]))) : QVariant(QBrush(Qt::black));
}

QVariant FragGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const bool horizontal = orientation == Qt::Horizontal;
  const int column = horizontal ? section + m_shape.fixedColumns : 0;
  const int row = horizontal ? 0 : section + m_shape.fixedRows;
  switch (role) {
    case Qt::DisplayRole:
      return headerText(column, row);
    case Qt::ForegroundRole:
      return headerColour(column, row);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    default:
      return {};
  }
}

Qt::ItemFlags FragGridModel::flags(const QModelIndex& index) const {
  return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

}  // namespace obitrak::ui
