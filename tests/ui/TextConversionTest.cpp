// The game's character set as the windows show it, row by row of the console font, and the
// texts of one line.

#include <QTest>

#include "ui/TextConversion.h"

using namespace obitrak::ui;

class TextConversionTest : public QObject {
  Q_OBJECT

 private slots:
  // Each row of the font's 16 x 16 glyphs; a high-bit row shows as its low twin.
  void everyCodeHasAReadableCharacter_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<QString>("shown");
    const char16_t* const rows[8] = {
        u" +-+| |+-+\n_ >**", u"[]0123456789.---",  u" !\"#$%&'()*+,-./", u"0123456789:;<=>?",
        u"@ABCDEFGHIJKLMNO",  u"PQRSTUVWXYZ[\\]^_", u"`abcdefghijklmno",  u"pqrstuvwxyz{|}~<"};
    for (int row = 0; row < 16; ++row) {
      const QByteArray name = QByteArray::number(row * 16, 16).rightJustified(2, '0');
      QTest::newRow(name.constData()) << row * 16 << QString::fromUtf16(rows[row % 8]);
    }
  }
  void everyCodeHasAReadableCharacter() {
    QFETCH(int, first);
    QFETCH(QString, shown);
    QString row;
    for (int code = first; code < first + 16; ++code) {
      row += QChar(quakeCharacter(static_cast<unsigned char>(code)));
    }
    QCOMPARE(row, shown);
  }

  void demoTexts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::newRow("bracketed tag") << QByteArray(
                                          "\x10"
                                          "anticheat\x11 kicked Bob")
                                   << "[anticheat] kicked Bob"
                                   << "[anticheat] kicked Bob";
    QTest::newRow("gold digits and dots") << QByteArray("\x12\x1c\x19\x13") << "0.71"
                                          << "0.71";
    QTest::newRow("coloured letters") << QByteArray("Z\xe5ro \xdb\xc1\xdd") << "Zero [A]"
                                      << "Zero [A]";
    QTest::newRow("two lines") << QByteArray("The Edge\nof the World") << "The Edge\nof the World"
                               << "The Edge / of the World";
    QTest::newRow("coloured line feed") << QByteArray(
                                               "a\x8a"
                                               "b")
                                        << "a\nb"
                                        << "a / b";
    QTest::newRow("empty") << QByteArray() << QString() << QString();
  }
  void demoTexts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, line);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    QCOMPARE(quakeText(view), text);
    QCOMPARE(quakeLine(view), line);
  }
};

QTEST_APPLESS_MAIN(TextConversionTest)
#include "TextConversionTest.moc"
