#include "ui/FragGridModel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "stats/RankedPlayers.h"
#include "ui/ColourRef.h"
#include "ui/ColumnWidths.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

const QString kTotalsHeader = QStringLiteral("Frgs (Kills/Dths)");
// Cells are drawn this far right of their left edge, and keep as much free at their right.
constexpr int kCellInset = 2;

// Paints the ordinary cells: the diagonal (self-kills) white on dark green, the current cell
// black on white instead of the usual highlight, the rest as the grid draws them.
class FragCellDelegate : public QStyledItemDelegate {
 public:
  FragCellDelegate(const FragGridView& view, const PlayerColourTable& colours)
      : QStyledItemDelegate(const_cast<FragGridView*>(&view)), m_view(view), m_colours(colours) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const FragGridModel& model = m_view.gridModel();
    CellFacts facts;
    facts.column = model.cellColumn(index);
    facts.row = model.cellRow(index);
    facts.current = m_view.currentIndex() == index;
    const CellPaint paint = fragGridCellPaint(facts, m_colours);
    painter->save();
    painter->fillRect(option.rect,
                      paint.fill == CellFill::Plain
                          ? option.palette.color(QPalette::Base)
                          : toQColor(paint.fill == CellFill::DarkGreen ? kDarkGreen : kWhite));
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(toQColor(paint.text));
    painter->drawText(option.rect.adjusted(kCellInset, kCellInset, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
  }

 private:
  const FragGridView& m_view;
  const PlayerColourTable& m_colours;
};

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
      } else if (row >= 1) {
        text = QString::number(ranked.kills(column, row, weapon));
      }
      m_texts << text;
    }
  }
  endResetModel();
}

QString FragGridModel::cellText(int column, int row) const {
  if (column < 0 || row < 0 || column >= m_shape.columns || row >= m_shape.rows) return {};
  return m_texts.value(row * m_shape.columns + column);
}

int FragGridModel::headerTeam(int column, int row) const {
  const int place = headerPlace(column, row);
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
      return cellText(column, row);
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

FragGridView::FragGridView(FragGridModel& model, QWidget* parent)
    : QTableView(parent), m_model(model) {
  setModel(&model);
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setFont(bold);
    // A section holds the cell and its one-pixel grid line.
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth + kGridLineWidth);
  verticalHeader()->setDefaultSectionSize(kDefaultRowHeight + kGridLineWidth);
  horizontalHeader()->setFixedHeight(kDefaultRowHeight + kGridLineWidth);
  verticalHeader()->setFixedWidth(kDefaultColumnWidth + kGridLineWidth);
  setCornerButtonEnabled(false);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  // Scroll bars appear only where the window is too small for the whole grid.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setItemDelegate(new FragCellDelegate(*this, model.colours()));
}

QRect FragGridView::cellRect(int column, int row) const {
  const FragGridShape& shape = m_model.shape();
  const QRect area = viewport()->geometry();
  const bool fixedColumn = column < shape.fixedColumns;
  const bool fixedRow = row < shape.fixedRows;
  const int x = fixedColumn ? verticalHeader()->geometry().x()
                            : area.x() + columnViewportPosition(column - shape.fixedColumns);
  const int y = fixedRow ? horizontalHeader()->geometry().y()
                         : area.y() + rowViewportPosition(row - shape.fixedRows);
  const int w = fixedColumn ? verticalHeader()->width() : columnWidth(column - shape.fixedColumns);
  const int h = fixedRow ? horizontalHeader()->height() : rowHeight(row - shape.fixedRows);
  return {x, y, w, h};
}

void FragGridView::setCurrentCell(int row, int column) {
  setCurrentIndex(m_model.indexOfCell(column, row));
}

int FragGridView::currentRow() const {
  return currentIndex().isValid() ? m_model.cellRow(currentIndex()) : -1;
}

int FragGridView::currentColumn() const {
  return currentIndex().isValid() ? m_model.cellColumn(currentIndex()) : -1;
}

void FragGridView::fitColumns() {
  const FragGridShape& shape = m_model.shape();
  const QFontMetrics metrics = fontMetrics();  // the headers have the same bold font
  const TextMargins margins = gridTextMargins(*this, kCellInset);
  std::vector<int> needed;
  for (int column = 0; column < shape.columns; ++column) {
    QStringList headers;
    QStringList cells;
    for (int row = 0; row < shape.rows; ++row) {
      const bool header = column < shape.fixedColumns || row < shape.fixedRows;
      (header ? headers : cells) << m_model.cellText(column, row);
    }
    needed.push_back(
        fittedColumnWidth(kDefaultColumnWidth + kGridLineWidth, metrics, headers, cells, margins));
  }
  m_model.setColumnWidths(needed);
  verticalHeader()->setFixedWidth(shape.columnWidths.front());
  for (int column = shape.fixedColumns; column < shape.columns; ++column) {
    horizontalHeader()->resizeSection(column - shape.fixedColumns,
                                      shape.columnWidths[static_cast<std::size_t>(column)]);
  }
}

void FragGridView::shapeChanged() {
  horizontalHeader()->setVisible(m_model.shape().fixedRows > 0);
  // Lay the new sections out now, so that the scroll bars follow the new grid at once.
  doItemsLayout();
  updateGeometries();
  QCoreApplication::sendPostedEvents(this, QEvent::LayoutRequest);
}

}  // namespace obitrak::ui
