#include "ui/LogModel.h"

#include <QBrush>
#include <QFont>
#include <climits>

#include "ui/ColourRef.h"
#include "ui/PlayerColours.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr std::uint8_t kObituaryLevel = 1;
constexpr std::uint8_t kHighlightLevel = 3;
constexpr std::uint32_t kRed = colourRef(255, 0, 0);

const QString kHeader[LogModel::ColumnCount] = {QStringLiteral("TYPE"), QStringLiteral("MESSAGE"),
                                                QStringLiteral("TIME")};

}  // namespace

LogRowStyle logRowStyle(std::uint8_t level) {
  if (level == kObituaryLevel) return {true, kRed, false};
  if (level == kHighlightLevel) return {true, kDarkGreen, true};
  return {};
}

QString logTimeText(std::int32_t seconds) {
  const auto s = static_cast<std::uint32_t>(seconds);
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

LogModel::LogModel(const MessageLog& log, QObject* parent)
    : QAbstractTableModel(parent), m_log(log) {}

void LogModel::fill() {
  beginResetModel();
  const std::size_t kept = std::min<std::size_t>(m_log.logCount, m_log.size());
  m_entries = static_cast<int>(std::min<std::size_t>(kept, INT_MAX - 1));
  endResetModel();
}

// The view may repaint while a new scan rewrites the log, before the next fill: rows that
// the log no longer holds read as empty.
const LogRecord* LogModel::record(int r) const {
  if (r < 1 || static_cast<std::size_t>(r) > m_log.size()) return nullptr;
  return &m_log[static_cast<std::uint32_t>(r)];
}

QString LogModel::cellText(int column, int row) const {
  if (column < 0 || column >= ColumnCount || row < 0 || row > m_entries) return {};
  if (row == 0) return kHeader[column];
  const LogRecord* rec = record(row);
  if (rec == nullptr) return {};
  if (column == Type) return QString::number(rec->level);
  if (column == Time) return logTimeText(rec->time);
  return quakeLine(rec->text);
}

int LogModel::findRow(const QString& text, int from, bool forward) const {
  const int rows = rowCount();
  if (text.isEmpty() || !headerFixed()) return -1;
  for (int step = 1; step <= rows; ++step) {
    const int row = ((forward ? from + step : from - step) % rows + rows) % rows;
    if (cellText(Message, entryOfRow(row)).contains(text, Qt::CaseInsensitive)) return row;
  }
  return -1;
}

int LogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : (headerFixed() ? m_entries : 1);
}

int LogModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int r = entryOfRow(index.row());
  if (role == Qt::DisplayRole) return cellText(index.column(), r);
  if (role != Qt::ForegroundRole && role != Qt::FontRole && role != Qt::ToolTipRole) return {};
  const LogRecord* rec = r > 0 ? record(r) : nullptr;
  if (rec == nullptr) return {};
  // The whole message, its lines as lines, for one that is longer than its cell.
  if (role == Qt::ToolTipRole) return index.column() == Message ? quakeText(rec->text) : QVariant();
  const LogRowStyle style = logRowStyle(rec->level);
  if (role == Qt::ForegroundRole) {
    return style.ownColour ? QVariant(QBrush(toQColor(style.colour))) : QVariant();
  }
  if (!style.bold) return {};
  // Only the weight is set, so the view's own font supplies the rest.
  QFont bold;
  bold.setBold(true);
  return bold;
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return cellText(section, 0);
}

Qt::ItemFlags LogModel::flags(const QModelIndex& index) const {
  return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

}  // namespace obitrak::ui
