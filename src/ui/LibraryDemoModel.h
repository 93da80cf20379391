#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>
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

// What a cell of the demo table reads.
QString libraryCellText(const LibraryRow& row, LibraryColumn column);
// Whether `a` goes before `b` when the table is sorted by `column` in ascending order.
bool libraryRowLess(const LibraryRow& a, const LibraryRow& b, LibraryColumn column);

// The demos of the library, one row each, added and updated as indexing reports them. The
// model filters and sorts itself: a library of tens of thousands of demos is filtered by a
// plain pass over prepared texts and sorted by comparing the rows' own fields, without a
// proxy model in between.
class LibraryDemoModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kPathRole = Qt::UserRole + 1;

  explicit LibraryDemoModel(QObject* parent = nullptr);

  // Adds rows, or replaces those whose path is already listed.
  void upsert(std::vector<LibraryRow> rows);
  // Replaces every row.
  void reset(std::vector<LibraryRow> rows);
  // Shows only the rows whose file path, map or a player name contains `text`, any case.
  void setSearch(const QString& text);

  // Every demo, shown or not.
  int demoCount() const { return static_cast<int>(m_rows.size()); }
  // The demo shown in row `r`.
  const LibraryRow& row(int r) const;
  int sortColumn() const { return m_sortColumn; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  static QString haystackOf(const LibraryRow& row);
  bool accepted(int demo) const;
  bool before(int a, int b) const;
  void prepareSortKeys();
  void rebuildShown();
  void reorder(const std::function<void()>& arrange);

  std::vector<LibraryRow> m_rows;
  std::vector<QString> m_haystacks;  // lower-case path, map and names of each demo
  std::unordered_map<std::string, int> m_demoOfPath;
  std::vector<int> m_shown;  // the demos shown, in their order
  QString m_search;
  int m_sortColumn = -1;  // -1: in the order the demos came
  // The lower-case texts of the sort column, by demo, while it is a column of text.
  std::vector<QString> m_sortKeys;
  int m_sortKeysColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

}  // namespace obitrak::ui
