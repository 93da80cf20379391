#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace obitrak::ui {

// One use of a file dialog: its name, its filter string as stored ("Text|*.txt|..."), the
// preselected filter (counted from 1), the file name it starts with and, for a save, the
// extension that a name typed without one gets.
struct FileDialogRequest {
  QString name;
  QString filter;
  int selectedFilter = 1;
  QString fileName;
  QString defaultSuffix;
};

// Runs a file dialog: the chosen file, or nothing when the user cancels.
using FileDialog =
    std::function<std::optional<QString>(QWidget* parent, const FileDialogRequest& request)>;

std::optional<QString> runOpenFileDialog(QWidget* parent, const FileDialogRequest& request);
// The save dialog asks before it replaces a file that exists.
std::optional<QString> runSaveFileDialog(QWidget* parent, const FileDialogRequest& request);

// The stored filter string as Qt's name filters: "All files|*.*|Web pages|*.htm" gives
// "All files (*)" and "Web pages (*.htm)". "*.*" means every file, also one without a dot.
QStringList qtNameFilters(const QString& storedFilter);

}  // namespace obitrak::ui
