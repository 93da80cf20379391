// The program without a mouse: menu letters and F10, the focus order after a demo opens,
// the second shortcuts, Escape in every secondary window; and the help that F1 opens.

#include <QCheckBox>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"
#include "ui/HelpWindow.h"
#include "ui/HtmlColorsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

class KeyboardAndHelpTest : public QObject {
  Q_OBJECT

 private slots:
  void menusOpenFromTheKeyboard_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+F") << QKeySequence(Qt::ALT | Qt::Key_F) << "&File";
    QTest::newRow("Alt+V") << QKeySequence(Qt::ALT | Qt::Key_V) << "&View";
    QTest::newRow("Alt+H") << QKeySequence(Qt::ALT | Qt::Key_H) << "&Help";
    QTest::newRow("F10") << QKeySequence(Qt::Key_F10) << "&File";
  }
  void menusOpenFromTheKeyboard() {
    QFETCH(QKeySequence, key);
    TestApp app;
    app.showActive();
    QTest::keySequence(&app.form(), key);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QTEST(menu->title(), "menu");
    QTest::keyClick(menu, Qt::Key_Escape);
  }

  // After a scan the grid has the focus; Tab goes round the filter, the box, the button (in
  // team play) and the grid.
  void tabReachesEveryControl() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("team.dm2"), teamDemo()));
    QTRY_COMPARE(QApplication::focusWidget(), &grid(app.form()));
    control<QCheckBox>(app.form(), "TeamC")->click();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"WeaponList", "TeamC", "TeamScB", "Grid1"}));
  }

  // F1 opens the help and Ctrl+Q ends the program from any window; Escape closes them all
  // but the main window.
  void keysWorkInEveryWindow() {
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
    int closed = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<ui::SecondaryWindow*>(top);
      if (window == nullptr) continue;
      window->showAndRaise();
      QVERIFY(QTest::qWaitForWindowActive(window));
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus != nullptr ? focus : window, Qt::Key_Escape);
      QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
      ++closed;
    }
    QCOMPARE(closed, 8);
  }

  // The help is the README's user sections with their pictures; its links lead to them.
  void helpShowsTheUserSections() {
    TestApp app;
    app.showActive();
    QTest::keyClick(&app.form(), Qt::Key_F1);
    QTextBrowser& help = app.windows->help().browser();
    QTRY_VERIFY(help.isVisible());
    for (const char* heading : {"obitrak-report", "Death-message packs", "Desktop application",
                                "The demo library", "Files from strangers"}) {
      QVERIFY2(help.toPlainText().contains(QString::fromLatin1(heading)), heading);
    }
    QVERIFY(!help.toPlainText().contains(QStringLiteral("Reliability and speed")));
    QVERIFY(
        !help.loadResource(QTextDocument::ImageResource, QUrl("docs/main-window.png")).isNull());
    emit help.anchorClicked(QUrl(QStringLiteral("#files-from-strangers")));
    QVERIFY(help.verticalScrollBar()->value() > 0);
    QCOMPARE(ui::helpMarkdown("# Build\n<!-- help begins -->\n## Use\n<!-- help ends -->\n## Code"),
             QStringLiteral("## Use"));
    QCOMPARE(ui::helpContents(QStringLiteral("## Use it\ntext\n### The `-j` option\n")),
             QStringLiteral("- [Use it](#use-it)\n  - [The `-j` option](#the--j-option)\n"));
  }
};

OBITRAK_UI_TEST_MAIN(KeyboardAndHelpTest)
#include "KeyboardAndHelpTest.moc"
