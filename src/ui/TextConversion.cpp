#include "ui/TextConversion.h"

#include "scan/GameCharacters.h"

namespace obitrak::ui {

namespace {

const QString kLineSeparator = QStringLiteral(" / ");

}  // namespace

char16_t quakeCharacter(unsigned char code) {
  return static_cast<char16_t>(gameCharacter(code));
}

QString quakeText(std::string_view text) {
  QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  qsizetype i = 0;
  for (char c : text) out[i++] = QChar(quakeCharacter(static_cast<unsigned char>(c)));
  return out;
}

QString quakeLine(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    const char16_t shown = quakeCharacter(static_cast<unsigned char>(c));
    if (shown == u'\n') {
      out += kLineSeparator;
    } else {
      out += QChar(shown);
    }
  }
  return out;
}

}  // namespace obitrak::ui
