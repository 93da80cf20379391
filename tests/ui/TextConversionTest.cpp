// The game's character set as the windows show it, row by row of the console font, and the
// texts of one line.

#include <QTest>

#include "ui/TextConversion.h"

using namespace obitrak::ui;

class TextConversionTest : public QObject {
  Q_OBJECT

 private slots:
  // Each of the font's 16 rows of 16 glyphs; a high-bit row shows as its low twin.
  void everyCodeHasAReadableCharacter() {
    const char16_t* const rows[8] = {
        u" +-+| |+-+\n_ >**", u"[]0123456789.---",  u" !\"#$%&'()*+,-./", u"0123456789:;<=>?",
        u"@ABCDEFGHIJKLMNO",  u"PQRSTUVWXYZ[\\]^_", u"`abcdefghijklmno",  u"pqrstuvwxyz{|}~<"};
    for (int code = 0; code < 256; ++code) {
      QCOMPARE(QChar(quakeCharacter(static_cast<unsigned char>(code))),
               QChar(rows[code / 16 % 8][code % 16]));
    }
  }

  // A line feed ends a line where the texts have lines, and shows as " / " where not.
  void demoTexts() {
    QCOMPARE(quakeLine("\x10"
                       "anticheat\x11 \x12\x1c\x19"),
             QStringLiteral("[anticheat] 0.7"));
    QCOMPARE(quakeLine("Z\xe5ro \xdb\xc1\xdd"), QStringLiteral("Zero [A]"));
    QCOMPARE(quakeLine("The Edge\nof it\x8a"), QStringLiteral("The Edge / of it / "));
    QCOMPARE(quakeText("The Edge\nof it\x8a"), QStringLiteral("The Edge\nof it\n"));
  }
};

QTEST_APPLESS_MAIN(TextConversionTest)
#include "TextConversionTest.moc"
