#include "ui/FragGridView.h"

#include <QCoreApplication>
#include <QHeaderView>

#include "ui/ColumnWidths.h"
#include "ui/CopyKey.h"
#include "ui/FragCellDelegate.h"

namespace obitrak::ui {

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
  // Arrows move between the cells; Tab goes on to the window's other controls.
  setTabKeyNavigation(false);
  // A click on a column's header sorts the rows by it; Ctrl+C copies the whole grid.
  horizontalHeader()->setSectionsClickable(true);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    m_model.cycleSort(section + m_model.shape().fixedColumns);
    fitColumns();
    shapeChanged();
  });
  copyWithKey(*this, [this] { return m_model.gridText(); });
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
  const TextMargins margins = gridTextMargins(*this, kFragCellInset);
  std::vector<int> needed;
  for (int column = 0; column < shape.columns; ++column) {
    QStringList headers;
    QStringList cells;
    for (int row = 0; row < shape.rows; ++row) {
      const bool header = column < shape.fixedColumns || row < shape.fixedRows;
      (header ? headers : cells) << (header ? m_model.headerText(column, row)
                                            : m_model.cellText(column, row));
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
