// The HTML colours window: its buttons and swatches, the colour picker, the save on close
// and the load on every activation of the main window.

#include <QDir>
#include <QPushButton>
#include <QTest>

#include "UiTestSupport.h"
#include "export/HtmlColors.h"
#include "ui/HtmlColorsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

constexpr const char* kButtons[] = {"BackB", "FontB", "ACellB", "PCellB", "LinkB", "VLinkB"};
constexpr const char* kSwatches[] = {"BackS", "FontS", "ACellS", "PCellS", "LinkS", "VLinkS"};

QColor swatchCentre(QWidget& window, const char* swatch) {
  QWidget* s = window.findChild<QWidget*>(QString::fromLatin1(swatch));
  return s->grab().toImage().pixelColor(s->width() / 2, s->height() / 2);
}

QPushButton* button(QWidget& window, const char* name) {
  return window.findChild<QPushButton*>(QString::fromLatin1(name));
}

std::string settingsBytes(std::initializer_list<std::uint32_t> colours) {
  std::string bytes;
  for (std::uint32_t c : colours) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((c >> (8 * i)) & 0xFF));
  }
  return bytes;
}

// Shows the colours window of `app` the way the Options menu does.
ui::HtmlColorsWindow& showColours(TestApp& app) {
  menuItem(app.form(), "HTMLColors1")->trigger();
  ui::HtmlColorsWindow& colours = app.windows->htmlColors();
  colours.activateWindow();
  [&] { QVERIFY(QTest::qWaitForWindowActive(&colours)); }();
  return colours;
}

}  // namespace

class HtmlColorsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsHaveTheirNamesAndPlaces() {
    TestApp app;
    ui::HtmlColorsWindow& colours = app.windows->htmlColors();
    QCOMPARE(colours.windowTitle(), QStringLiteral("HTML File Colors"));
    for (std::size_t i = 0; i < kHtmlColorTable.size(); ++i) {
      QPushButton* b = button(colours, kButtons[i]);
      QVERIFY(b != nullptr);
      QCOMPARE(b->text(),
               QString::fromLatin1(kHtmlColorTable[i].name.data(),
                                   static_cast<qsizetype>(kHtmlColorTable[i].name.size())));
      QVERIFY(b->font().bold());
      const int y = 24 + 32 * static_cast<int>(i);
      QCOMPARE(b->geometry(), QRect(16, y, 129, 25));
      QCOMPARE(colours.findChild<QWidget*>(QString::fromLatin1(kSwatches[i]))->geometry(),
               QRect(152, y, 25, 25));
    }
  }

  void swatchesShowTheDefaultsWithoutASettingsFile() {
    TestApp app;
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    QCOMPARE(swatchCentre(colours, "BackS"), QColor(0, 0, 0));
    QCOMPARE(swatchCentre(colours, "FontS"), QColor(255, 255, 255));
    QCOMPARE(swatchCentre(colours, "ACellS"), QColor(64, 0, 0));
    QCOMPARE(swatchCentre(colours, "LinkS"), QColor(255, 213, 213));
  }

  void pickedColourTakesEffectAtOnce() {
    TestApp app;
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    QColor preset;
    colours.setColourDialog([&](QWidget*, const QColor& p) {
      preset = p;
      return QColor(255, 0, 0);
    });
    const QImage before = button(colours, "LinkB")->grab().toImage();
    QCOMPARE(countPixelsNear(before, before.rect(), QColor(255, 0, 0)), 0);
    QTest::mouseClick(button(colours, "LinkB"), Qt::LeftButton);
    QCOMPARE(preset, QColor(255, 213, 213));
    QCOMPARE(app.state().htmlColors[HtmlColorSet::Link], 0x0000FFu);
    QCOMPARE(swatchCentre(colours, "LinkS"), QColor(255, 0, 0));
    // The caption is drawn in the button's colour.
    const QImage caption = button(colours, "LinkB")->grab().toImage();
    QVERIFY(countPixelsNear(caption, caption.rect(), QColor(255, 0, 0)) > 0);
  }

  void cancelledPickerChangesNothing() {
    TestApp app;
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    colours.setColourDialog([](QWidget*, const QColor& p) { return p; });
    QTest::mouseClick(button(colours, "ACellB"), Qt::LeftButton);
    QCOMPARE(app.state().htmlColors, HtmlColorSet::defaults());
    QCOMPARE(swatchCentre(colours, "ACellS"), QColor(64, 0, 0));
  }

  void closingSavesTheSettingsBesideTheProgram() {
    TestApp app;
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    colours.setColourDialog([](QWidget*, const QColor&) { return QColor(1, 2, 3); });
    QTest::mouseClick(button(colours, "BackB"), Qt::LeftButton);
    QVERIFY(!QFile::exists(app.settingsFile()));
    colours.close();
    QCOMPARE(readBytes(app.settingsFile()),
             QByteArray::fromStdString(
                 settingsBytes({0x030201, 0xFFFFFF, 0x000040, 0x000033, 0xD5D5FF, 0x8080FF})));
  }

  void longSettingsFileIsReadFromItsStartAndTruncatedOnSave() {
    TestApp app;
    writeBytes(app.settingsFile(),
               settingsBytes({1, 2, 3, 4, 5, 6}) + std::string("trailing bytes"));
    app.showActive();
    QCOMPARE(app.state().htmlColors[HtmlColorSet::VLink], 6u);
    ui::HtmlColorsWindow& colours = showColours(app);
    QCOMPARE(swatchCentre(colours, "VLinkS"), QColor(6, 0, 0));
    colours.close();
    QCOMPARE(readBytes(app.settingsFile()).size(), 24);
  }

  void activatingTheMainWindowReloadsTheStoredColours() {
    TestApp app;
    writeBytes(app.settingsFile(), settingsBytes({7, 7, 7, 7, 7, 7}));
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    colours.setColourDialog([](QWidget*, const QColor&) { return QColor(0, 0, 255); });
    QTest::mouseClick(button(colours, "FontB"), Qt::LeftButton);
    QCOMPARE(app.state().htmlColors[HtmlColorSet::Font], 0xFF0000u);

    app.showActive();
    QCOMPARE(app.state().htmlColors[HtmlColorSet::Font], 7u);
    showColours(app);
    QCOMPARE(swatchCentre(colours, "FontS"), QColor(7, 0, 0));
  }

  void shortSettingsFileIsReportedOnceAndTheDefaultsKept() {
    MessageRecorder recorder;
    TestApp app;
    writeBytes(app.settingsFile(), std::string(10, '\x01'));
    app.showActive();
    QCOMPARE(recorder.messages, QStringList{"Could not read the HTML colours from " +
                                            app.settingsFile() + ": Read beyond end of file"});
    QCOMPARE(app.state().htmlColors, HtmlColorSet::defaults());
    showColours(app);
    app.showActive();
    QCOMPARE(recorder.messages.size(), 1);
  }

  void failedSaveIsShownAndKeepsTheColours() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    ui::HtmlColorsWindow& colours = showColours(app);
    // A folder where the settings file should be cannot be written as a file.
    QVERIFY(QDir(app.dir.path()).mkdir(QStringLiteral("obitrak.cfg")));
    colours.setColourDialog([](QWidget*, const QColor&) { return QColor(9, 9, 9); });
    QTest::mouseClick(button(colours, "PCellB"), Qt::LeftButton);
    colours.close();
    QCOMPARE(recorder.messages, QStringList{"Could not save the HTML colours to " +
                                            app.settingsFile() + ": Is a folder"});
    QVERIFY(!colours.isVisible());
    QCOMPARE(app.state().htmlColors[HtmlColorSet::PassiveCell], 0x090909u);
  }
};

OBITRAK_UI_TEST_MAIN(HtmlColorsWindowTest)
#include "HtmlColorsWindowTest.moc"
