#include "ui/ColumnWidths.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>

namespace obitrak::ui {

namespace {

constexpr int kGridLine = 1;
// Text layouts round a text's width up to the next pixel.
constexpr int kRounding = 1;

int widest(const QFontMetrics& metrics, const QStringList& texts) {
  int w = 0;
  for (const QString& text : texts) {
    if (!text.isEmpty()) w = std::max(w, metrics.horizontalAdvance(text));
  }
  return w;
}

}  // namespace

int fittedColumnWidth(int designWidth, const QFontMetrics& metrics, const QStringList& headers,
                      const QStringList& cells, TextMargins margins) {
  int width = designWidth;
  const int header = widest(metrics, headers);
  if (header > 0) width = std::max(width, header + margins.header);
  const int cell = widest(metrics, cells);
  if (cell > 0) width = std::max(width, cell + margins.cell);
  return width;
}

TextMargins gridTextMargins(const QTableView& view, int cellInset) {
  const QHeaderView* header = view.horizontalHeader();
  const int headerMargin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  return {2 * headerMargin + kGridLine + kRounding, 2 * cellInset + kGridLine + kRounding};
}

}  // namespace obitrak::ui
