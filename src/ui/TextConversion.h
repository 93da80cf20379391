#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace obitrak::ui {

// Demo texts are single-byte characters, shown as they are.
inline QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A path as the file system takes it.
inline std::string localFileName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace obitrak::ui
