// The program without a mouse: menu letters and F10, the focus order after a demo opens,
// the second shortcuts, Escape in every secondary window; and the help that F1 opens.

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"
#include "ui/HelpWindow.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/LibraryWindow.h"
#include "ui/LogWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QMenu* openMenu() {
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

ui::SecondaryWindow* topWindow(const QString& name) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == name) return qobject_cast<ui::SecondaryWindow*>(top);
  }
  return nullptr;
}

}  // namespace

class KeyboardAndHelpTest : public QObject {
  Q_OBJECT

 private slots:
  // Alt and a menu's letter, and F10, open the menus; Escape closes them again.
  void menusOpenFromTheKeyboard_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+F") << QKeySequence(Qt::ALT | Qt::Key_F) << "&File";
    QTest::newRow("Alt+V") << QKeySequence(Qt::ALT | Qt::Key_V) << "&View";
    QTest::newRow("Alt+O") << QKeySequence(Qt::ALT | Qt::Key_O) << "&Options";
    QTest::newRow("Alt+H") << QKeySequence(Qt::ALT | Qt::Key_H) << "&Help";
    QTest::newRow("F10") << QKeySequence(Qt::Key_F10) << "&File";
  }
  void menusOpenFromTheKeyboard() {
    QFETCH(QKeySequence, key);
    QFETCH(QString, menu);
    TestApp app;
    app.showActive();
    QTest::keySequence(&app.form(), key);
    QTRY_VERIFY(openMenu() != nullptr);
    QCOMPARE(openMenu()->title(), menu);
    QTest::keyClick(openMenu(), Qt::Key_Escape);
  }

  // After a scan the grid has the focus; Tab goes round the filter, the box, the button (in
  // team play) and the grid.
  void tabReachesEveryControl() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("team.dm2"), teamDemo()));
    ui::MainWindow& form = app.form();
    QTRY_COMPARE(QApplication::focusWidget(), &grid(form));
    control<QCheckBox>(form, "TeamC")->click();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"WeaponList", "TeamC", "TeamScB", "Grid1"}));
  }

  // The usual keys beside the design's: Ctrl+Q ends the program, F1 opens the help, from
  // any window of the program.
  void secondShortcutsWorkEverywhere() {
    TestApp app;
    int exits = 0;
    app.form().setExitProgram([&] { ++exits; });
    app.showActive();
    app.windows->htmlColors().showAndRaise();
    QVERIFY(QTest::qWaitForWindowActive(&app.windows->htmlColors()));
    QTest::keyClick(&app.windows->htmlColors(), Qt::Key_F1);
    QTRY_VERIFY(app.windows->help().isActiveWindow());
    QTest::keyClick(&app.windows->help(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(exits, 1);
  }

  void escapeClosesEverySecondaryWindow_data() {
    QTest::addColumn<QString>("window");
    for (const char* name : {"General", "WeapWin", "LogWindow", "Graph", "TeamScores",
                             "HtmlColors", "LibraryWindow", "HelpWindow"}) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }
  void escapeClosesEverySecondaryWindow() {
    QFETCH(QString, window);
    TestApp app;
    app.showActive();
    ui::SecondaryWindow* shown = topWindow(window);
    QVERIFY(shown != nullptr);
    shown->showAndRaise();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : shown;
    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(!shown->isVisible());
  }

  // The help is the README's user sections: every one of them, with their pictures, and
  // links between them that lead to their headings.
  void helpShowsTheUserSections() {
    TestApp app;
    app.showActive();
    QTest::keyClick(&app.form(), Qt::Key_F1);
    ui::HelpWindow& help = app.windows->help();
    QTRY_VERIFY(help.isVisible());
    const QString text = help.browser().toPlainText();
    for (const char* heading : {"obitrak-report", "Death-message packs", "Desktop application",
                                "The demo library", "Files from strangers"}) {
      QVERIFY2(text.contains(QString::fromLatin1(heading)), heading);
    }
    QVERIFY(!text.contains(QStringLiteral("Reliability and speed")));
    const QVariant picture = help.browser().loadResource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("docs/main-window.png")));
    QVERIFY(!picture.value<QByteArray>().isEmpty() || !picture.value<QImage>().isNull());
    QMetaObject::invokeMethod(&help.browser(), "anchorClicked",
                              Q_ARG(QUrl, QUrl(QStringLiteral("#files-from-strangers"))));
    QVERIFY(help.browser().verticalScrollBar()->value() > 0);
  }

  void helpTakesTheMarkedPartOfTheReadme_data() {
    QTest::addColumn<QString>("readme");
    QTest::addColumn<QString>("help");
    QTest::newRow("between the marks")
        << "# Build\nmake\n<!-- help begins -->\n## Use\nRun it.\n<!-- help ends -->\n## Code\n"
        << "## Use\nRun it.";
    QTest::newRow("no end mark") << "<!-- help begins -->\nAll of it" << "All of it";
    QTest::newRow("no marks") << "Whole README" << "Whole README";
  }
  void helpTakesTheMarkedPartOfTheReadme() {
    QFETCH(QString, readme);
    QTEST(ui::helpMarkdown(readme), "help");
    QCOMPARE(ui::headingAnchor(QStringLiteral("Files from strangers")),
             QStringLiteral("files-from-strangers"));
    QCOMPARE(ui::headingAnchor(QStringLiteral("Totals over many demos: `--summary`")),
             QStringLiteral("totals-over-many-demos---summary"));
  }
};

OBITRAK_UI_TEST_MAIN(KeyboardAndHelpTest)
#include "KeyboardAndHelpTest.moc"
