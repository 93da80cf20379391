#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace obitrak::ui {

// The demo that a drop on the main window opens: the path of its one URL when that names
// an existing local file. Several URLs, none (a text), a folder or a remote URL open
// nothing.
std::optional<QString> droppedDemoFile(const QList<QUrl>& urls);

}  // namespace obitrak::ui
