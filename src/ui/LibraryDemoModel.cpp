#include "ui/LibraryDemoModel.h"

#include <QBrush>
#include <QFile>
#include <QPalette>
#include <algorithm>
#include <array>
#include <functional>

#include "stats/Summary.h"
#include "stats/VersionLabels.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr std::array<const char*, static_cast<int>(LibraryColumn::Count)> kHeadings{
    "File",   "Date (UTC)", "Map",    "Level message", "Game dir",  "Version",
    "Length", "Players",    "Winner", "Frags",         "Scoreboard"};

QString fileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return QFile::decodeName(
      QByteArray::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1)));
}

QString scoreboardText(const LibraryRow& row) {
  if (!row.scoreboardAgrees) return {};
  return *row.scoreboardAgrees ? QStringLiteral("agrees") : QStringLiteral("differs");
}

}  // namespace

QString libraryCellText(const LibraryRow& row, LibraryColumn column) {
  const bool failed = !row.error.empty();
  switch (column) {
    case LibraryColumn::File:
      return fileName(row.path);
    case LibraryColumn::Date:
      return latin1(summaryDate(row.modified));
    case LibraryColumn::Map:
      return quakeLine(row.mapName);
    case LibraryColumn::LevelMessage:
      return failed ? QStringLiteral("Unreadable: ") + latin1(row.error)
                    : quakeLine(row.levelMessage);
    case LibraryColumn::GameDir:
      return quakeLine(row.gameDir);
    case LibraryColumn::Version:
      return failed ? QString() : latin1(VersionLabels(row.protocolVersion, "Unknown"));
    case LibraryColumn::Duration:
      return failed ? QString() : latin1(summaryDuration(row.duration));
    case LibraryColumn::Players:
      return failed ? QString() : QString::number(row.playerCount);
    case LibraryColumn::Winner:
      return quakeLine(row.winner);
    case LibraryColumn::WinnerFrags:
      return row.winner.empty() ? QString() : QString::number(row.winnerFrags);
    case LibraryColumn::Scoreboard:
      return scoreboardText(row);
    case LibraryColumn::Count:
      break;
  }
  return {};
}

namespace {

// Numbers compare as numbers, texts without regard to case; a demo without a winner goes
// below every frag count.
template <typename T>
int compare(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

bool isTextColumn(LibraryColumn column) {
  return column != LibraryColumn::Date && column != LibraryColumn::Duration &&
         column != LibraryColumn::Players && column != LibraryColumn::WinnerFrags;
}

int compareRows(const LibraryRow& a, const LibraryRow& b, LibraryColumn column) {
  switch (column) {
    case LibraryColumn::Date:
      return compare(a.modified, b.modified);
    case LibraryColumn::Duration:
      return compare(a.duration, b.duration);
    case LibraryColumn::Players:
      return compare(a.playerCount, b.playerCount);
    case LibraryColumn::WinnerFrags:
      return compare(a.winner.empty() ? INT64_MIN : std::int64_t{a.winnerFrags},
                     b.winner.empty() ? INT64_MIN : std::int64_t{b.winnerFrags});
    default:
      return libraryCellText(a, column).compare(libraryCellText(b, column), Qt::CaseInsensitive);
  }
}

}  // namespace

bool libraryRowLess(const LibraryRow& a, const LibraryRow& b, LibraryColumn column) {
  return compareRows(a, b, column) < 0;
}

LibraryDemoModel::LibraryDemoModel(QObject* parent) : QAbstractTableModel(parent) {}

QString LibraryDemoModel::haystackOf(const LibraryRow& row) {
  return (QFile::decodeName(QByteArray::fromStdString(row.path)) + '\n' + quakeLine(row.mapName) +
          '\n' + quakeText(row.names))
      .toLower();
}

const LibraryRow& LibraryDemoModel::row(int r) const {
  return m_rows.at(static_cast<std::size_t>(m_shown.at(static_cast<std::size_t>(r))));
}

bool LibraryDemoModel::accepted(int demo) const {
  return m_search.isEmpty() || m_haystacks[static_cast<std::size_t>(demo)].contains(m_search);
}

// New demos join the shown ones at the end, or where the sort order puts them.
void LibraryDemoModel::upsert(std::vector<LibraryRow> rows) {
  std::vector<int> added;
  bool replaced = false;
  for (LibraryRow& r : rows) {
    auto [known, isNew] = m_demoOfPath.try_emplace(r.path, static_cast<int>(m_rows.size()));
    const auto d = static_cast<std::size_t>(known->second);
    if (isNew) {
      m_haystacks.push_back(haystackOf(r));
      m_rows.push_back(std::move(r));
      if (accepted(known->second)) added.push_back(known->second);
    } else {
      m_haystacks[d] = haystackOf(r);
      m_rows[d] = std::move(r);
      if (d < m_sortKeys.size())
        m_sortKeys[d] = libraryCellText(m_rows[d], LibraryColumn(m_sortKeysColumn)).toLower();
      replaced = true;
    }
  }
  const std::size_t first = m_shown.size();
  if (!added.empty()) {
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + added.size()) - 1);
    m_shown.insert(m_shown.end(), added.begin(), added.end());
    endInsertRows();
  }
  if (m_sortColumn >= 0 && replaced) {
    reorder([this] { rebuildShown(); });
  } else if (m_sortColumn >= 0 && !added.empty()) {
    // Only the new rows are sorted, then merged into the sorted ones.
    reorder([this, first] {
      prepareSortKeys();
      const auto less = [this](int a, int b) { return before(a, b); };
      const auto middle = m_shown.begin() + static_cast<std::ptrdiff_t>(first);
      std::stable_sort(middle, m_shown.end(), less);
      std::inplace_merge(m_shown.begin(), middle, m_shown.end(), less);
    });
  } else if (replaced && !m_shown.empty()) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
}

void LibraryDemoModel::reset(std::vector<LibraryRow> rows) {
  beginResetModel();
  m_rows.clear();
  m_haystacks.clear();
  m_demoOfPath.clear();
  m_shown.clear();
  m_sortKeys.clear();
  endResetModel();
  upsert(std::move(rows));
}

void LibraryDemoModel::setSearch(const QString& text) {
  const QString search = text.trimmed().toLower();
  if (search == m_search) return;
  m_search = search;
  beginResetModel();
  rebuildShown();
  endResetModel();
}

// Texts are compared through keys made once per demo, not once per comparison.
void LibraryDemoModel::prepareSortKeys() {
  const auto column = static_cast<LibraryColumn>(m_sortColumn);
  if (m_sortColumn < 0 || !isTextColumn(column)) return;
  if (m_sortKeysColumn != m_sortColumn) {
    m_sortKeys.clear();
    m_sortKeysColumn = m_sortColumn;
  }
  for (std::size_t d = m_sortKeys.size(); d < m_rows.size(); ++d)
    m_sortKeys.push_back(libraryCellText(m_rows[d], column).toLower());
}

bool LibraryDemoModel::before(int a, int b) const {
  const auto column = static_cast<LibraryColumn>(m_sortColumn);
  const int c =
      isTextColumn(column)
          ? m_sortKeys[static_cast<std::size_t>(a)].compare(m_sortKeys[static_cast<std::size_t>(b)])
          : compareRows(m_rows[static_cast<std::size_t>(a)], m_rows[static_cast<std::size_t>(b)],
                        column);
  return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

void LibraryDemoModel::rebuildShown() {
  m_shown.clear();
  for (int d = 0; d < demoCount(); ++d) {
    if (accepted(d)) m_shown.push_back(d);
  }
  if (m_sortColumn < 0) return;
  prepareSortKeys();
  std::stable_sort(m_shown.begin(), m_shown.end(), [this](int a, int b) { return before(a, b); });
}

// Puts the shown rows in a new order and moves the view's selection and current row along
// with them.
void LibraryDemoModel::reorder(const std::function<void()>& arrange) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> demos;
  for (const QModelIndex& i : before) demos.push_back(m_shown[static_cast<std::size_t>(i.row())]);
  arrange();
  std::vector<int> rowOfDemo(m_rows.size(), -1);
  for (std::size_t r = 0; r < m_shown.size(); ++r)
    rowOfDemo[static_cast<std::size_t>(m_shown[r])] = static_cast<int>(r);
  QModelIndexList after;
  for (std::size_t i = 0; i < demos.size(); ++i) {
    const int r = rowOfDemo[static_cast<std::size_t>(demos[i])];
    after.push_back(r < 0 ? QModelIndex() : index(r, before[static_cast<qsizetype>(i)].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void LibraryDemoModel::sort(int column, Qt::SortOrder order) {
  if (column >= columnCount()) return;
  m_sortColumn = column < 0 ? -1 : column;
  m_sortOrder = order;
  reorder([this] { rebuildShown(); });
}

int LibraryDemoModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int LibraryDemoModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(LibraryColumn::Count);
}

QVariant LibraryDemoModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const LibraryRow& r = row(index.row());
  const auto column = static_cast<LibraryColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return libraryCellText(r, column);
    case kPathRole:
      return QFile::decodeName(QByteArray::fromStdString(r.path));
    case Qt::ToolTipRole:
      // The path of the file; why a demo is unreadable on each of its other cells.
      if (column == LibraryColumn::File)
        return QFile::decodeName(QByteArray::fromStdString(r.path));
      return r.error.empty() ? QVariant() : libraryCellText(r, LibraryColumn::LevelMessage);
    case Qt::ForegroundRole:
      return r.error.empty() ? QVariant()
                             : QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
    case Qt::TextAlignmentRole:
      return column == LibraryColumn::Duration || column == LibraryColumn::Players ||
                     column == LibraryColumn::WinnerFrags
                 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                 : QVariant();
    default:
      return {};
  }
}

QVariant LibraryDemoModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= static_cast<int>(kHeadings.size())) return {};
  return QString::fromLatin1(kHeadings[static_cast<std::size_t>(section)]);
}

}  // namespace obitrak::ui
