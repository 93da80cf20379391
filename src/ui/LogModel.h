#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "scan/DemoTables.h"

namespace obitrak::ui {

// How a log row is written: obituary rows (print level 1) in red, level-3 rows in bold
// green, every other row in the ordinary text colour. Both columns of a row look alike.
struct LogRowStyle {
  bool ownColour = false;  // false: the ordinary text colour
  std::uint32_t colour = 0;
  bool bold = false;
  bool operator==(const LogRowStyle&) const = default;
};

LogRowStyle logRowStyle(std::uint8_t level);

// A message's time in the demo as minutes and seconds: "0:07", "12:34", "245:00".
QString logTimeText(std::int32_t seconds);

// The log grid's contents: a TYPE column with the print level, a MESSAGE column with the
// text and a TIME column with the minute and second of the demo, one row per MessageLog
// entry, read from the log as the view asks for them (the log may hold a million messages;
// nothing is copied). The header row ("TYPE", "MESSAGE", "TIME") is the view's fixed header
// while the log has entries; an empty log shows it as the one ordinary row.
class LogModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Type, Message, Time, ColumnCount };

  explicit LogModel(const MessageLog& log, QObject* parent = nullptr);

  // Takes the log's current entry count; the rows show the log as it is from now on.
  void fill();

  int entries() const { return m_entries; }
  bool headerFixed() const { return m_entries > 0; }
  // The text of the design's cell (column, row), row 0 being the header row.
  QString cellText(int column, int row) const;
  // The MessageLog entry that a model row shows; 0 for the header row.
  int entryOfRow(int row) const { return headerFixed() ? row + 1 : 0; }
  // The next model row after `from` (before it, going back) whose message contains `text`,
  // any case, as the grid shows it; the search goes round the log once. -1 for none.
  int findRow(const QString& text, int from, bool forward) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // The entry `r` (1-based) while the log still holds it, else nothing.
  const LogRecord* record(int r) const;

  const MessageLog& m_log;
  int m_entries = 0;
};

}  // namespace obitrak::ui
