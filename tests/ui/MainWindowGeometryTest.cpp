// The main window's size and place after a scan, under window managers that size it on
// their own, and grids larger than the window: every cell reachable, the headers in place.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "ui/FragGridView.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

// 64 players, each of whom kills the next one: every slot is ranked. The players arrive in
// the first blocks, as many as a block holds.
std::string sixtyFourPlayerDemo() {
  tools::DemoWriter w;
  w.serverData(34, "", 0, "Crowd");
  auto name = [](int client) { return "Crowd_" + std::to_string(100 + client).substr(1); };
  for (int c = 0; c < 64; ++c) {
    if (w.currentBlockSize() > 1300) w.endBlock();
    w.player(c, name(c), c % 2 ? "male/grunt" : "female/athena");
  }
  w.endBlock();
  for (int c = 0; c < 64; ++c) {
    for (int k = 0; k <= c % 3; ++k)
      w.print(1, name((c + 1) % 64) + " was railed by " + name(c) + "\n");
    w.endBlock();
  }
  return w.finish();
}

}  // namespace

class MainWindowGeometryTest : public QObject {
  Q_OBJECT

 private slots:
  // A window manager that sizes the window on its own while it maps it (seen with openbox:
  // the design size added to the grid's) has the window put back where the grid wants it.
  void windowManagersOwnSizeIsCorrectedAfterAScan() {
    TestApp app;
    app.showActive();
    app.openDuel();
    const QRect placed = app.form().geometry();
    app.form().setGeometry(placed.adjusted(0, 0, 336, 232));
    QTRY_COMPARE(app.form().geometry(), placed);
  }

  // However small the user makes it, the window keeps the filter, "TeamPlay", "Team Scores"
  // and the grid's first cells.
  void shrunkWindowKeepsItsControls() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("team.dm2"), teamDemo()));
    control<QCheckBox>(app.form(), "TeamC")->click();
    // The smallest client area the window can be given still holds them.
    const QRect area(QPoint(0, 0), app.form().centralWidget()->minimumSize());
    for (const char* name : {"WeaponList", "TeamC", "TeamScB"}) {
      auto* w = control<QWidget>(app.form(), name);
      QVERIFY2(area.contains(w->geometry()), name);
    }
    ui::FragGridView& g = grid(app.form());
    const QRect firstRow(g.geometry().topLeft(),
                         QSize(g.verticalHeader()->width() + g.columnWidth(0),
                               g.horizontalHeader()->height() + g.rowHeight(0)));
    QVERIFY(area.contains(firstRow));
  }

  // A grid without a ranked player says why in the grid's place.
  void emptyGridSaysWhy_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("note");
    QTest::newRow("players, no kill") << "idle"
                                      << "No kills counted: see the log";
    QTest::newRow("no player") << "empty"
                               << "No players in this demo";
    QTest::newRow("kills") << "duel"
                           << "";
  }
  void emptyGridSaysWhy() {
    QFETCH(QString, demo);
    QFETCH(QString, note);
    tools::DemoWriter empty;
    empty.serverData(34, "", 0, "Nobody").endBlock();
    const std::string bytes = demo == "idle"    ? idleDemo()
                              : demo == "empty" ? empty.finish()
                                                : duelDemo();
    TestApp app;
    app.showActive();
    app.open(app.demo(demo + ".dm2", bytes));
    auto* label = control<QLabel>(app.form(), "GridNote");
    QCOMPARE(label->isVisible() ? label->text() : QString(), note);
    if (!note.isEmpty()) QVERIFY(app.form().centralWidget()->rect().contains(label->geometry()));
  }

  void maximisedWindowKeepsItsSizeAndPlace() {
    TestApp app;
    app.form().showMaximized();
    QVERIFY(QTest::qWaitForWindowActive(&app.form()));
    app.openDuel();
    const QRect before = app.form().frameGeometry();
    auto* list = control<QComboBox>(app.form(), "WeaponList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(cell(app.form(), 2, 1), QStringLiteral("0"));
    QCOMPARE(app.form().frameGeometry(), before);
  }

  void gridLargerThanTheWindowScrollsToEveryCell() {
    TestApp app;
    app.showActive();
    const QRect screen = app.form().screen()->geometry();
    if (screen.width() >= 933) QSKIP("the screen is wide enough for the sample's grid");
    app.open(sampleDemo());
    ui::MainWindow& form = app.form();
    ui::FragGridView& g = grid(form);
    QCOMPARE(g.columnCount(), 9);
    QCOMPARE(form.frameGeometry().width(), screen.width());
    QCOMPARE(form.frameGeometry().left(), screen.left());
    QTRY_VERIFY(g.width() < 912);
    QVERIFY(g.geometry().right() < form.centralWidget()->width());
    QTRY_VERIFY(g.horizontalScrollBar()->isVisible());
    // The rows fit: the grid takes the room of its scroll bar below, and nothing scrolls
    // up and down.
    QVERIFY(!g.verticalScrollBar()->isVisible());
    QVERIFY(g.geometry().bottom() < form.centralWidget()->height());
    // The user reaches the last column by keyboard, and it scrolls into view.
    g.setFocus();
    g.setCurrentCell(7, 7);
    QTest::keyClick(&g, Qt::Key_Right);
    QCOMPARE(g.currentColumn(), 8);
    const QRect last = g.visualRect(g.gridModel().indexOfCell(8, 7));
    QVERIFY(g.viewport()->rect().contains(last.center()));
    QCOMPARE(cell(form, 8, 0), QStringLiteral("Frgs (Kills/Dths)"));
  }

  void sixtyFourRankedPlayersAreAllReachable() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("crowd.dm2"), sixtyFourPlayerDemo()));
    ui::MainWindow& form = app.form();
    ui::FragGridView& g = grid(form);
    QCOMPARE(g.rowCount(), 65);
    QCOMPARE(g.columnCount(), 66);
    // The window takes the screen, and the grid what the window has room for.
    const QRect screen = form.screen()->geometry();
    QVERIFY(form.frameGeometry().width() <= screen.width());
    QVERIFY(form.frameGeometry().height() <= screen.height());
    QVERIFY(g.geometry().right() < form.centralWidget()->width());
    QVERIFY(g.geometry().bottom() < form.centralWidget()->height());
    QTRY_VERIFY(g.horizontalScrollBar()->isVisible());
    QTRY_VERIFY(g.verticalScrollBar()->isVisible());
    // The far corner, the last player's totals, comes into view when the user moves there.
    g.setFocus();
    g.setCurrentCell(64, 64);
    QTest::keyClick(&g, Qt::Key_Right);
    QCOMPARE(g.currentColumn(), 65);
    const QRect corner = g.visualRect(g.gridModel().indexOfCell(65, 64));
    QVERIFY(g.viewport()->rect().contains(corner.center()));
    // Last place: of those with one frag, the lowest slot.
    QCOMPARE(cell(form, 0, 64), QStringLiteral("Crowd_00"));
    QCOMPARE(cell(form, 65, 64), QStringLiteral("1 (1 / 1)"));
  }

  // The header row and the name column stay where they are while the cells scroll under
  // them, and name the players of the cells in view.
  void sixtyFourPlayerHeadersStayInPlace() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("crowd.dm2"), sixtyFourPlayerDemo()));
    ui::FragGridView& g = grid(app.form());
    QHeaderView& top = *g.horizontalHeader();
    QHeaderView& left = *g.verticalHeader();
    const QRect topBefore = top.geometry();
    const QRect leftBefore = left.geometry();
    g.scrollTo(g.gridModel().indexOfCell(65, 64));
    QVERIFY(g.columnAt(0) > 0 && g.rowAt(0) > 0);
    QCOMPARE(top.geometry(), topBefore);
    QCOMPARE(left.geometry(), leftBefore);
    QVERIFY(top.isVisible() && left.isVisible());
    QCOMPARE(top.logicalIndexAt(0), g.columnAt(0));
    QCOMPARE(left.logicalIndexAt(0), g.rowAt(0));
    const QImage names = g.grab(leftBefore).toImage();
    QVERIFY(countPixelsNear(names, names.rect(), Qt::black, 60) > 0);
  }
};

OBITRAK_UI_TEST_MAIN(MainWindowGeometryTest)
#include "MainWindowGeometryTest.moc"
