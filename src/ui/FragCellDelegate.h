#pragma once

#include <QStyledItemDelegate>

#include "ui/PlayerColours.h"

namespace obitrak::ui {

class FragGridView;

// Paints the ordinary cells: the diagonal (self-kills) white on dark green, the current cell
// black on white instead of the usual highlight, the rest as the grid draws them.
class FragCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  FragCellDelegate(FragGridView& view, const PlayerColourTable& colours);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  const FragGridView& m_view;
  const PlayerColourTable& m_colours;
};

}  // namespace obitrak::ui
