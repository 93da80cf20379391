#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

// The console font's first 128 glyphs, one row of the font (16 codes) a line:
//   0x00..0x0F  blank, the corners and edges of a text box around its blank middle (1..9),
//               the line feed, the input cursor, blank, an arrow to the right, two bullets
//   0x10..0x1F  brackets, the gold digits 0..9, a dot, the left end, middle and right end
//               of a bar
//   0x20..0x7E  the ordinary characters; 0x7F an arrow to the left
constexpr std::u16string_view kLowHalf =
    u" +-+| |+-+\n_ >**"
    u"[]0123456789.---"
    u" !\"#$%&'()*+,-./"
    u"0123456789:;<=>?"
    u"@ABCDEFGHIJKLMNO"
    u"PQRSTUVWXYZ[\\]^_"
    u"`abcdefghijklmno"
    u"pqrstuvwxyz{|}~<";
static_assert(kLowHalf.size() == 128);

const QString kLineSeparator = QStringLiteral(" / ");

}  // namespace

char16_t quakeCharacter(unsigned char code) {
  return kLowHalf[code & 0x7F];
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
