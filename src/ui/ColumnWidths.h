#pragma once

#include <QFontMetrics>
#include <QStringList>

class QTableView;

namespace obitrak::ui {

// What a grid adds to a text's own width in each kind of cell: the margins left and right
// of it and the grid line.
struct TextMargins {
  int header = 0;
  int cell = 0;
};

// The width of a grid column (its grid line included): the designed width, or more where
// the column's header texts or its widest cell text would not fit in `metrics`.
int fittedColumnWidth(int designWidth, const QFontMetrics& metrics, const QStringList& headers,
                      const QStringList& cells, TextMargins margins);

// The margins of `view`: its style's around a header text, and the `cellInset` that its
// cells keep left and right of their text.
TextMargins gridTextMargins(const QTableView& view, int cellInset);

}  // namespace obitrak::ui
