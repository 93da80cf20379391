#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace obitrak::ui {

QStringList qtNameFilters(const QString& storedFilter) {
  const QStringList parts = storedFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

namespace {

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setObjectName(request.name);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  const QStringList filters = qtNameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.selectedFilter >= 1 && request.selectedFilter <= filters.size()) {
    dialog.selectNameFilter(filters[request.selectedFilter - 1]);
  }
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> runOpenFileDialog(QWidget* parent, const FileDialogRequest& request) {
  return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> runSaveFileDialog(QWidget* parent, const FileDialogRequest& request) {
  return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

}  // namespace obitrak::ui
