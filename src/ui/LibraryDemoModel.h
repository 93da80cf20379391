#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/LibraryStore.h"

namespace obitrak::ui {

// The columns of the library's demo table, in order.
enum class LibraryColumn {
  File,
  Date,
  Map,
  LevelMessage,
  GameDir,
  Version,
  Duration,
  Players,
  Winner,
  WinnerFrags,
  Scoreboard,
  Count
};

// What a cell of the demo table reads: its text, and the key it sorts by.
QString libraryCellText(const LibraryRow& row, LibraryColumn column);
QVariant librarySortKey(const LibraryRow& row, LibraryColumn column);

// The demos of the library, one row each, added and updated as indexing reports them.
// Rows sort through Qt::UserRole, which holds numbers as numbers.
class LibraryDemoModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kSortRole = Qt::UserRole;
  static constexpr int kPathRole = Qt::UserRole + 1;

  explicit LibraryDemoModel(QObject* parent = nullptr);

  // Adds rows, or replaces those whose path is already listed.
  void upsert(std::vector<LibraryRow> rows);
  // Replaces every row.
  void reset(std::vector<LibraryRow> rows);
  const LibraryRow& row(int r) const { return m_rows.at(static_cast<std::size_t>(r)); }
  // Lower-case file path, map and player names of a row: what the filter box searches.
  const QString& haystack(int r) const { return m_haystacks.at(static_cast<std::size_t>(r)); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  static QString haystackOf(const LibraryRow& row);

  std::vector<LibraryRow> m_rows;
  std::vector<QString> m_haystacks;
  std::unordered_map<std::string, int> m_rowOfPath;
};

// The demo table as shown: filtered by the text of the filter box (file, map or player
// name, any case) and sorted by any column.
class LibraryFilterModel : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit LibraryFilterModel(LibraryDemoModel& demos, QObject* parent = nullptr);
  void setSearch(const QString& text);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  LibraryDemoModel& m_demos;
  QString m_search;
};

}  // namespace obitrak::ui
