#include "ui/FragCellDelegate.h"

#include <QPainter>

#include "ui/ColourRef.h"
#include "ui/FragGridView.h"

namespace obitrak::ui {

FragCellDelegate::FragCellDelegate(FragGridView& view, const PlayerColourTable& colours)
    : QStyledItemDelegate(&view), m_view(view), m_colours(colours) {}

void FragCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const FragGridModel& model = m_view.gridModel();
  CellFacts facts;
  facts.column = model.cellColumn(index);
  // The diagonal is where a row's player meets his own column, wherever the rows stand.
  facts.row = model.placeOfRow(model.cellRow(index));
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
  painter->drawText(option.rect.adjusted(kFragCellInset, kFragCellInset, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
  painter->restore();
}

}  // namespace obitrak::ui
