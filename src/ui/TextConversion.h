#pragma once

#include <QFile>
#include <QString>
#include <array>
#include <string>
#include <string_view>

namespace obitrak::ui {

// The game's own character set as the windows show it. The game draws every byte from its
// console font: the codes below 32 are glyphs of their own (brackets, gold digits, a dot,
// the parts of a bar and of a text box), and a byte with its high bit set is its low twin
// drawn in another colour. Each code maps to the readable character nearest its glyph; a
// line feed stays a line feed. Only the windows use this: the exports keep the bytes.
char16_t quakeCharacter(unsigned char code);

// Every byte of a demo text through the character table; line feeds are kept.
QString quakeText(std::string_view text);

// The same for places of one line (grid cells, boxes, the status bar, the legend): a line
// feed shows as " / ", so that nothing after it is lost.
QString quakeLine(std::string_view text);

// Texts of the program's own (menu items, labels), which are plain ASCII.
inline QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A path as the file system takes it.
inline std::string localFileName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace obitrak::ui
