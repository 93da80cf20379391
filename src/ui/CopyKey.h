#pragma once

#include <QString>
#include <functional>

class QAbstractItemView;

namespace obitrak::ui {

// Makes the platform's copy key (Ctrl+C) on `view` put `text()` on the clipboard, instead of
// the one current cell that a view copies by itself.
void copyWithKey(QAbstractItemView& view, std::function<QString()> text);

// Rows of cells as text to paste into a chat or a spreadsheet: cells between tabs, a line
// a row.
QString tabSeparated(const QList<QStringList>& rows);

}  // namespace obitrak::ui
