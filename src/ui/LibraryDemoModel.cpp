#include "ui/LibraryDemoModel.h"

#include <QBrush>
#include <QFile>
#include <QPalette>
#include <array>

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
      return latin1(row.mapName);
    case LibraryColumn::LevelMessage:
      return failed ? QStringLiteral("Unreadable: ") + latin1(row.error)
                    : latin1(row.levelMessage).simplified();
    case LibraryColumn::GameDir:
      return latin1(row.gameDir);
    case LibraryColumn::Version:
      return failed ? QString() : latin1(VersionLabels(row.protocolVersion, "Unknown"));
    case LibraryColumn::Duration:
      return failed ? QString() : latin1(summaryDuration(row.duration));
    case LibraryColumn::Players:
      return failed ? QString() : QString::number(row.playerCount);
    case LibraryColumn::Winner:
      return latin1(row.winner);
    case LibraryColumn::WinnerFrags:
      return row.winner.empty() ? QString() : QString::number(row.winnerFrags);
    case LibraryColumn::Scoreboard:
      return scoreboardText(row);
    case LibraryColumn::Count:
      break;
  }
  return {};
}

QVariant librarySortKey(const LibraryRow& row, LibraryColumn column) {
  switch (column) {
    case LibraryColumn::Date:
      return QVariant::fromValue<qint64>(row.modified);
    case LibraryColumn::Duration:
      return row.duration;
    case LibraryColumn::Players:
      return row.playerCount;
    case LibraryColumn::WinnerFrags:
      return row.winner.empty() ? QVariant::fromValue<qint64>(INT64_MIN)
                                : QVariant::fromValue<qint64>(row.winnerFrags);
    default:
      return libraryCellText(row, column).toLower();
  }
}

LibraryDemoModel::LibraryDemoModel(QObject* parent) : QAbstractTableModel(parent) {}

QString LibraryDemoModel::haystackOf(const LibraryRow& row) {
  return (QFile::decodeName(QByteArray::fromStdString(row.path)) + '\n' + latin1(row.mapName) +
          '\n' + latin1(row.names))
      .toLower();
}

void LibraryDemoModel::upsert(std::vector<LibraryRow> rows) {
  std::vector<LibraryRow> added;
  for (LibraryRow& r : rows) {
    auto known = m_rowOfPath.find(r.path);
    if (known == m_rowOfPath.end()) {
      added.push_back(std::move(r));
      continue;
    }
    const auto i = static_cast<std::size_t>(known->second);
    m_haystacks[i] = haystackOf(r);
    m_rows[i] = std::move(r);
    emit dataChanged(index(known->second, 0), index(known->second, columnCount() - 1));
  }
  if (added.empty()) return;
  const int first = static_cast<int>(m_rows.size());
  beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
  for (LibraryRow& r : added) {
    m_rowOfPath.emplace(r.path, static_cast<int>(m_rows.size()));
    m_haystacks.push_back(haystackOf(r));
    m_rows.push_back(std::move(r));
  }
  endInsertRows();
}

void LibraryDemoModel::reset(std::vector<LibraryRow> rows) {
  beginResetModel();
  m_rows.clear();
  m_haystacks.clear();
  m_rowOfPath.clear();
  endResetModel();
  upsert(std::move(rows));
}

int LibraryDemoModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
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
    case kSortRole:
      return librarySortKey(r, column);
    case kPathRole:
      return QFile::decodeName(QByteArray::fromStdString(r.path));
    case Qt::ToolTipRole:
      return column == LibraryColumn::File ? QFile::decodeName(QByteArray::fromStdString(r.path))
                                           : QVariant();
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

LibraryFilterModel::LibraryFilterModel(LibraryDemoModel& demos, QObject* parent)
    : QSortFilterProxyModel(parent), m_demos(demos) {
  setSourceModel(&demos);
  setSortRole(LibraryDemoModel::kSortRole);
  setDynamicSortFilter(true);
}

void LibraryFilterModel::setSearch(const QString& text) {
  const QString search = text.trimmed().toLower();
  if (search == m_search) return;
  m_search = search;
  invalidateFilter();
}

bool LibraryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  return m_search.isEmpty() || m_demos.haystack(sourceRow).contains(m_search);
}

}  // namespace obitrak::ui
