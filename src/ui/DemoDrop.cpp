#include "ui/DemoDrop.h"

#include <QFileInfo>

namespace obitrak::ui {

std::optional<QString> droppedDemoFile(const QList<QUrl>& urls) {
  if (urls.size() != 1 || !urls.constFirst().isLocalFile()) return std::nullopt;
  const QString path = urls.constFirst().toLocalFile();
  if (!QFileInfo(path).isFile()) return std::nullopt;
  return path;
}

}  // namespace obitrak::ui
