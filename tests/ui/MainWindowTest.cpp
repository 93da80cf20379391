// The main window driven as a user drives it: menus, opening demos, the weapon filter,
// "TeamPlay", the grid's cells and colours, the command line and failures.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "ui/AboutDialog.h"
#include "ui/FragGridModel.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/LogWindow.h"
#include "ui/ScanProgressDialog.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

template <typename T>
T* control(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

// Records whether a window was shown.
class ShowRecorder : public QObject {
 public:
  explicit ShowRecorder(QWidget& window) { window.installEventFilter(this); }
  QStringList events;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) events << QStringLiteral("show");
    if (event->type() == QEvent::Hide) events << QStringLiteral("hide");
    return false;
  }
};

// The pixels of one grid cell, as the user sees them.
QImage grabCell(ui::MainWindow& form, int column, int row) {
  ui::FragGridView& g = grid(form);
  return g.grab(g.cellRect(column, row)).toImage();
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);

QRect wholeImage(const QImage& image) {
  return image.rect();
}

// Every header of the frag grid is as wide as its text needs in the style's own measure.
void verifyHeadersWhole(ui::FragGridView& g) {
  const QHeaderView& top = *g.horizontalHeader();
  for (int section = 0; section < top.count(); ++section) {
    QVERIFY2(top.sectionSize(section) >= top.sectionSizeHint(section),
             qPrintable(top.model()->headerData(section, Qt::Horizontal).toString()));
  }
  QVERIFY(g.verticalHeader()->width() >= g.verticalHeader()->sizeHint().width());
}

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

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithThePictureAndNoDemo() {
    TestApp app;
    app.showActive();
    ui::MainWindow& form = app.form();
    QCOMPARE(form.windowTitle(), QStringLiteral("Obitrak - Quake2 DM2 Analyzer by Kes"));
    QVERIFY(control<QLabel>(form, "Image1")->isVisible());
    QVERIFY(!control<QComboBox>(form, "WeaponList")->isVisible());
    QVERIFY(!control<QCheckBox>(form, "TeamC")->isVisible());
    QVERIFY(!control<QPushButton>(form, "TeamScB")->isVisible());
    QVERIFY(!grid(form).isVisible());
    QCOMPARE(control<QLabel>(form, "StatusPanel0")->text(), QString());
    QCOMPARE(control<QLabel>(form, "StatusPanel1")->text(), QString());
    QCOMPARE(form.demoPath(), QString());
  }

  void menuItemsHaveTheirCaptionsShortcutsAndStates_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");
    auto row = [](const char* name, const char* caption, QKeySequence key, bool enabled) {
      QTest::newRow(name) << QString::fromLatin1(caption) << key << enabled;
    };
    row("OpenDM21", "Open DM2", QKeySequence(QStringLiteral("Ctrl+O")), true);
    row("Exportdescription1", "Export description", QKeySequence(QStringLiteral("Ctrl+D")), false);
    row("ExportdescriptiontoHTML1", "Export description to HTML",
        QKeySequence(QStringLiteral("Ctrl+W")), false);
    row("Exportlog1", "Export log", QKeySequence(QStringLiteral("Ctrl+L")), false);
    row("Exit1", "Exit", QKeySequence(QStringLiteral("Ctrl+X")), true);
    row("GeneralinfoaboutDM21", "General info", QKeySequence(QStringLiteral("I")), false);
    row("Weaponsstats1", "Weapons stats", QKeySequence(QStringLiteral("W")), false);
    row("Demolog1", "Log", QKeySequence(QStringLiteral("L")), false);
    row("Timegraph1", "Time graph", QKeySequence(QStringLiteral("T")), false);
    row("Teamscores1", "Team scores", QKeySequence(QStringLiteral("E")), false);
    row("HTMLColors1", "HTML Colors", QKeySequence(), true);
    row("About1", "About", QKeySequence(QStringLiteral("Ctrl+H")), true);
  }

  void menuItemsHaveTheirCaptionsShortcutsAndStates() {
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);
    TestApp app;
    QAction* item = menuItem(app.form(), QTest::currentDataTag());
    QVERIFY(item != nullptr);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(item->isEnabled(), enabled);
  }

  void menusAreFileViewOptionsHelp() {
    TestApp app;
    QStringList titles;
    for (QAction* menu : app.form().menuBar()->actions()) titles << menu->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("File"), QStringLiteral("View"),
                                  QStringLiteral("Options"), QStringLiteral("Help")}));
  }

  void statusBarHasTwoPanels() {
    TestApp app;
    app.showActive();
    QStatusBar* bar = app.form().statusBar();
    QCOMPARE(bar->height(), 19);
    QCOMPARE(control<QLabel>(app.form(), "StatusPanel0")->width(), 250);
    QVERIFY(control<QLabel>(app.form(), "StatusPanel1")->width() >= 50);
  }

  void weaponFilterListsTheThirteenItems() {
    TestApp app;
    auto* list = control<QComboBox>(app.form(), "WeaponList");
    QCOMPARE(list->count(), 13);
    QCOMPARE(list->itemText(0), QStringLiteral("All weapons"));
    QCOMPARE(list->itemText(9), QStringLiteral("9 - Railgun"));
    QCOMPARE(list->itemText(10), QStringLiteral("0 - BFG"));
    QCOMPARE(list->itemText(12), QStringLiteral("TeleFrags"));
  }

  void openingADemoFillsTheGrid() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);

    QCOMPARE(app.openRequests.size(), std::size_t{1});
    QCOMPARE(app.openRequests[0].name, QStringLiteral("OpenDemo"));
    QCOMPARE(app.openRequests[0].filter,
             QStringLiteral("All files|*.*|Quake2 demo files|*.dm2;*.dm2.gz"));
    QCOMPARE(app.openRequests[0].selectedFilter, 2);

    ui::MainWindow& form = app.form();
    QCOMPARE(form.windowTitle(), demo);
    QCOMPARE(grid(form).rowCount(), 3);
    QCOMPARE(grid(form).columnCount(), 4);
    const QStringList expected[] = {
        {"", "Ann", "Bob", "Frgs (Kills/Dths)"},
        {"Ann", "1", "3", "2 (3 / 2)"},
        {"Bob", "1", "0", "1 (1 / 3)"},
    };
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 4; ++column) {
        QCOMPARE(cell(form, column, row), expected[row][column]);
      }
    }
    // Three columns of the designed 101 pixels; the totals column fits its header.
    verifyHeadersWhole(grid(form));
    const int totals = grid(form).columnWidth(2);
    QVERIFY(totals >= 101);
    QTRY_COMPARE(grid(form).size(), QSize(303 + totals + 3, 78));
    QCOMPARE(form.frameGeometry().size(), QSize(303 + totals + 3 + 21, 278));
    // The rows fit: neither scroll bar shows.
    QVERIFY(!grid(form).verticalScrollBar()->isVisible());
    QVERIFY(!grid(form).horizontalScrollBar()->isVisible());
    const QRect screen = form.screen()->geometry();
    QCOMPARE(
        form.frameGeometry().topLeft(),
        QPoint((screen.width() - form.frameGeometry().width()) / 2, (screen.height() - 278) / 2));
  }

  void openingADemoRevealsTheControlsAndMenus() {
    TestApp app;
    app.showActive();
    app.openDuel();
    ui::MainWindow& form = app.form();
    QVERIFY(!control<QLabel>(form, "Image1")->isVisible());
    QVERIFY(control<QComboBox>(form, "WeaponList")->isVisible());
    QCOMPARE(control<QComboBox>(form, "WeaponList")->currentIndex(), 0);
    QVERIFY(control<QCheckBox>(form, "TeamC")->isVisible());
    QVERIFY(!control<QCheckBox>(form, "TeamC")->isChecked());
    QVERIFY(!control<QPushButton>(form, "TeamScB")->isVisible());
    QVERIFY(grid(form).isVisible());
    for (const char* name : {"GeneralinfoaboutDM21", "Weaponsstats1", "Demolog1", "Timegraph1",
                             "Exportdescription1", "ExportdescriptiontoHTML1", "Exportlog1"}) {
      QVERIFY2(menuItem(form, name)->isEnabled(), name);
    }
    QVERIFY(!menuItem(form, "Teamscores1")->isEnabled());
    QCOMPARE(control<QLabel>(form, "StatusPanel0")->text(),
             QStringLiteral("Map: Test Yard ( maps/testyard.bsp )"));
    QCOMPARE(control<QLabel>(form, "StatusPanel1")->text(), QString());
  }

  void gridCellsArePaintedAsDesigned() {
    TestApp app;
    app.showActive();
    app.openDuel();
    ui::MainWindow& form = app.form();
    // The diagonal is dark green with white text; the current cell is white.
    const QImage diagonal = grabCell(form, 2, 2);
    QVERIFY(countPixelsNear(diagonal, wholeImage(diagonal), kGreen, 2) >
            diagonal.width() * diagonal.height() / 2);
    QVERIFY(countPixelsNear(diagonal, wholeImage(diagonal), Qt::white, 60) > 0);
    grid(form).setCurrentCell(1, 2);
    const QImage current = grabCell(form, 2, 1);
    QVERIFY(countPixelsNear(current, wholeImage(current), Qt::white, 0) >
            current.width() * current.height() / 2);
    QVERIFY(countPixelsNear(current, wholeImage(current), Qt::black, 60) > 0);
  }

  void noRankedPlayerGivesTheSmallestGrid() {
    TestApp app;
    StandInWindow graph(app.state());
    ui::MainWindowLinks windows;
    windows.timeGraph = &graph;
    app.form().setLinks(windows);
    app.showActive();
    app.open(app.demo(QStringLiteral("idle.dm2"), idleDemo()));
    ui::MainWindow& form = app.form();
    QCOMPARE(grid(form).rowCount(), 1);
    QCOMPARE(grid(form).columnCount(), 2);
    QCOMPARE(cell(form, 0, 0), QString());
    QCOMPARE(cell(form, 1, 0), QStringLiteral("Frgs (Kills/Dths)"));
    // The totals header is an ordinary cell here, drawn 2 pixels in, and fits whole.
    const int totals = grid(form).columnWidth(0);
    QVERIFY(totals >= 101);
    QVERIFY(totals > grid(form).fontMetrics().horizontalAdvance(cell(form, 1, 0)) + 2);
    QTRY_COMPARE(grid(form).size(), QSize(101 + totals + 3, 28));
    // The window is no narrower than its status bar needs.
    const int frame = form.frameGeometry().width() - form.width();
    QCOMPARE(form.frameGeometry().size(),
             QSize(std::max(101 + totals + 3 + 21, form.minimumWidth() + frame), 228));
    // With nobody ranked the totals header is the one cell the user can select.
    QVERIFY(grid(form).gridModel().indexOfCell(1, 0).flags() & Qt::ItemIsSelectable);
    QVERIFY(!grid(form).gridModel().indexOfCell(0, 0).isValid());
    menuItem(form, "Timegraph1")->trigger();
    QVERIFY(!graph.isVisible());
  }

  void userPickOfAWeaponRetallies() {
    TestApp app;
    app.showActive();
    app.openDuel();
    ui::MainWindow& form = app.form();
    pickWeapon(form, 9);
    QCOMPARE(control<QComboBox>(form, "WeaponList")->currentText(), QStringLiteral("9 - Railgun"));
    QCOMPARE(rowNames(form), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QCOMPARE(cell(form, 1, 1), QStringLiteral("0"));
    QCOMPARE(cell(form, 2, 1), QStringLiteral("3"));
    QCOMPARE(cell(form, 1, 2), QStringLiteral("0"));
    QCOMPARE(cell(form, 3, 1), QStringLiteral("3 (3 / 0)"));
    QCOMPARE(cell(form, 3, 2), QStringLiteral("0 (0 / 3)"));
  }

  void programmaticPickOfAWeaponRunsNoHandler() {
    TestApp app;
    app.showActive();
    app.openDuel();
    ui::MainWindow& form = app.form();
    control<QComboBox>(form, "WeaponList")->setCurrentIndex(9);
    QCOMPARE(cell(form, 1, 1), QStringLiteral("1"));
    QCOMPARE(cell(form, 1, 2), QStringLiteral("1"));
    QCOMPARE(cell(form, 3, 1), QStringLiteral("2 (3 / 2)"));
  }

  void teamPlayReranksAndColoursTheNames() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("teams.dm2"), teamDemo()));
    ui::MainWindow& form = app.form();
    QCOMPARE(rowNames(form), (QStringList{"Dee", "Cid", "Bob", "Ann"}));
    pickWeapon(form, 9);

    auto* teamPlay = control<QCheckBox>(form, "TeamC");
    QTest::mouseClick(teamPlay, Qt::LeftButton);
    QVERIFY(teamPlay->isChecked());
    QCOMPARE(control<QComboBox>(form, "WeaponList")->currentIndex(), 0);
    // Cid's four kills were of his teammate Ann: they cost him four frags.
    QCOMPARE(rowNames(form), (QStringList{"Dee", "Bob", "Ann", "Cid"}));
    QCOMPARE(cell(form, 5, 4), QStringLiteral("-4 (4 / 3)"));
    QVERIFY(control<QPushButton>(form, "TeamScB")->isVisible());
    QVERIFY(menuItem(form, "Teamscores1")->isEnabled());

    // Teams are numbered in the order of the free-for-all ranking: Dee 1, Cid and Ann 2,
    // Bob 3; their names are drawn red, green and blue in both headers.
    const QColor teamColour[] = {kRed, kBlue, kGreen, kGreen};  // Dee, Bob, Ann, Cid
    const QColor otherColours[][2] = {
        {kBlue, kGreen}, {kRed, kGreen}, {kRed, kBlue}, {kRed, kBlue}};
    for (int place = 1; place <= 4; ++place) {
      for (const QImage& header : {grabCell(form, 0, place), grabCell(form, place, 0)}) {
        const QColor& own = teamColour[place - 1];
        QVERIFY2(countPixelsNear(header, wholeImage(header), own) > 0,
                 qPrintable(cell(form, 0, place)));
        for (const QColor& other : otherColours[place - 1]) {
          QCOMPARE(countPixelsNear(header, wholeImage(header), other), 0);
        }
      }
    }
  }

  void uncheckingTeamPlayTurnsTheNamesBlack() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("teams.dm2"), teamDemo()));
    ui::MainWindow& form = app.form();
    auto* teamPlay = control<QCheckBox>(form, "TeamC");
    QTest::mouseClick(teamPlay, Qt::LeftButton);
    QTest::mouseClick(teamPlay, Qt::LeftButton);
    QVERIFY(!teamPlay->isChecked());
    QVERIFY(!control<QPushButton>(form, "TeamScB")->isVisible());
    QVERIFY(!menuItem(form, "Teamscores1")->isEnabled());
    QCOMPARE(rowNames(form), (QStringList{"Dee", "Cid", "Bob", "Ann"}));
    for (int place = 1; place <= 4; ++place) {
      const QImage header = grabCell(form, 0, place);
      for (const QColor& colour : {kRed, kGreen, kBlue}) {
        QCOMPARE(countPixelsNear(header, wholeImage(header), colour), 0);
      }
      QVERIFY(countPixelsNear(header, wholeImage(header), Qt::black, 60) > 0);
    }
  }

  void teamScoresButtonTalliesAllWeaponsWithoutRefillingTheGrid() {
    TestApp app;
    StandInWindow teamScores(app.state());
    ui::MainWindowLinks windows;
    windows.teamScores = &teamScores;
    app.form().setLinks(windows);
    app.showActive();
    app.open(app.demo(QStringLiteral("teams.dm2"), teamDemo()));
    ui::MainWindow& form = app.form();
    QTest::mouseClick(control<QCheckBox>(form, "TeamC"), Qt::LeftButton);
    pickWeapon(form, 9);
    const QString railTotals = cell(form, 5, 1);
    QCOMPARE(railTotals, QStringLiteral("5 (5 / 0)"));

    QTest::mouseClick(control<QPushButton>(form, "TeamScB"), Qt::LeftButton);
    QVERIFY(teamScores.isVisible());
    QCOMPARE(cell(form, 5, 1), railTotals);
    // The tables hold the all-weapons team-play tally: Cid at -4.
    const PlayerTable& players = app.state().tables.players;
    QCOMPARE(players[3].name.str(), std::string("Cid"));
    QCOMPARE(players[3].frags, -4);
  }

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

  void sampleDemoShowsItsRankedPlayers() {
    TestApp app;
    app.showActive();
    app.open(sampleDemo());
    ui::MainWindow& form = app.form();
    // Zero's name has a high-bit "e", the game's coloured twin of the letter.
    QCOMPARE(rowNames(form),
             (QStringList{"Mira", "Havoc", "Zero", "Vex", "Gorgon", "Nyx", "Blink"}));
    QCOMPARE(cell(form, 8, 1), QStringLiteral("51 (61 / 58)"));
    QCOMPARE(cell(form, 2, 1), QStringLiteral("16"));
  }

  void missingDemoShowsTheMessageAndChangesNothing() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    ShowRecorder progress(app.windows->progress());
    app.open(app.file(QStringLiteral("missing.dm2")));

    QCOMPARE(recorder.messages, QStringList{QStringLiteral("File not found")});
    ui::MainWindow& form = app.form();
    QCOMPARE(form.windowTitle(), demo);
    QCOMPARE(form.demoPath(), demo);
    QCOMPARE(rowNames(form), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QCOMPARE(cell(form, 3, 1), QStringLiteral("2 (3 / 2)"));
    QVERIFY(!app.windows->progress().isVisible());
    QVERIFY(menuItem(form, "Exportlog1")->isEnabled());
  }

  void missingDemoAtStartLeavesThePicture() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    app.open(app.file(QStringLiteral("missing.dm2")));
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("File not found")});
    QCOMPARE(app.form().windowTitle(), ui::MainWindow::kCaption);
    QVERIFY(control<QLabel>(app.form(), "Image1")->isVisible());
    QVERIFY(!menuItem(app.form(), "Exportlog1")->isEnabled());
    QCOMPARE(app.form().demoPath(), QString());
  }

  void cancellingTheOpenDialogChangesNothing() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    app.open(QString());
    QCOMPARE(app.openRequests.size(), std::size_t{2});
    // The dialog starts at the demo that is loaded.
    QCOMPARE(app.openRequests[1].fileName, demo);
    QCOMPARE(app.form().windowTitle(), demo);
    QCOMPARE(cell(app.form(), 3, 1), QStringLiteral("2 (3 / 2)"));
  }

  void progressWindowIsShownWhileScanning() {
    TestApp app;
    app.showActive();
    ShowRecorder progress(app.windows->progress());
    app.openDuel();
    QCOMPARE(progress.events, (QStringList{QStringLiteral("show"), QStringLiteral("hide")}));
    QVERIFY(!app.windows->progress().isVisible());
  }

  void oversizedBlockIsReportedInTheStatusBar() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("bad.dm2"), badBlockDemo()));
    auto* notice = control<QLabel>(app.form(), "StatusPanel1");
    QCOMPARE(notice->text(), QStringLiteral("BAD BLOCK. READING STOPPED."));
    QCOMPARE(rowNames(app.form()), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    // The notice stays whole however small the user makes the window, and the level's
    // panel keeps its designed width beside it.
    app.form().resize(100, app.form().height());
    QTRY_VERIFY(notice->contentsRect().width() >=
                notice->fontMetrics().horizontalAdvance(notice->text()));
    auto* level = control<QLabel>(app.form(), "StatusPanel0");
    QVERIFY(level->width() >= std::min(250, level->fontMetrics().horizontalAdvance(level->text()) +
                                                2 * level->frameWidth()));
    QVERIFY(notice->geometry().left() >= level->geometry().right());
  }

  void viewItemsShowTheirWindowsOnlyWithADemo() {
    TestApp app;
    StandInWindow general(app.state()), weapons(app.state()), graph(app.state());
    ui::LogWindow log(app.state());
    ui::MainWindowLinks windows;
    windows.general = &general;
    windows.weapons = &weapons;
    windows.log = &log;
    windows.timeGraph = &graph;
    app.form().setLinks(windows);
    app.showActive();
    ui::MainWindow& form = app.form();
    QMetaObject::invokeMethod(&form, "showGeneralInfo");
    QMetaObject::invokeMethod(&form, "showWeaponsStats");
    QMetaObject::invokeMethod(&form, "showLog");
    QMetaObject::invokeMethod(&form, "showTimeGraph");
    for (QWidget* w : std::initializer_list<QWidget*>{&general, &weapons, &log, &graph})
      QVERIFY(!w->isVisible());

    app.openDuel();
    app.showActive();
    for (const char* name : {"GeneralinfoaboutDM21", "Weaponsstats1", "Demolog1", "Timegraph1"}) {
      menuItem(form, name)->trigger();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{&general, &weapons, &log, &graph})
      QVERIFY(w->isVisible());
  }

  void viewLettersWorkWhileTheMainWindowIsActive() {
    TestApp app;
    StandInWindow general(app.state());
    ui::MainWindowLinks windows;
    windows.general = &general;
    app.form().setLinks(windows);
    app.showActive();
    app.openDuel();
    app.showActive();
    QTest::keyClick(&app.form(), Qt::Key_I);
    QVERIFY(general.isVisible());
  }

  void viewItemsStayQuietWithoutTheirWindows() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    app.openDuel();
    for (const char* name : {"GeneralinfoaboutDM21", "Weaponsstats1", "Demolog1", "Timegraph1"}) {
      menuItem(app.form(), name)->trigger();
    }
    QTest::mouseClick(control<QCheckBox>(app.form(), "TeamC"), Qt::LeftButton);
    menuItem(app.form(), "Teamscores1")->trigger();
    QCOMPARE(recorder.messages, QStringList());
    QVERIFY(app.form().isVisible());
  }

  void aboutIsShownModallyAndClosedByOk() {
    TestApp app;
    app.showActive();
    QString caption;
    bool modal = false;
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      QVERIFY(dialog != nullptr);
      caption = dialog->windowTitle();
      modal = dialog->isModal();
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    menuItem(app.form(), "About1")->trigger();
    QCOMPARE(caption, QStringLiteral("About this program"));
    QVERIFY(modal);
    QVERIFY(!app.windows->aboutDialog().isVisible());
    QCOMPARE(app.form().windowTitle(), ui::MainWindow::kCaption);
  }

  void htmlColorsItemShowsTheColoursWindow() {
    TestApp app;
    app.showActive();
    menuItem(app.form(), "HTMLColors1")->trigger();
    QWidget& colours = app.windows->htmlColors();
    QVERIFY(colours.isVisible());
    QCOMPARE(colours.windowTitle(), QStringLiteral("HTML File Colors"));
  }

  void exitEndsTheProgram() {
    TestApp app;
    int exits = 0;
    app.form().setExitProgram([&] { ++exits; });
    menuItem(app.form(), "Exit1")->trigger();
    QCOMPARE(exits, 1);
    app.form().show();
    app.form().close();
    QCOMPARE(exits, 2);
  }

  void commandLineDemoIsScannedAndDescribedAtStart() {
    QTemporaryDir demos;
    const QString demo = demos.filePath(QStringLiteral("duel.dm2"));
    writeBytes(demo, duelDemo());
    TestApp app({demo, QStringLiteral("-descr")});
    app.showActive();
    QCOMPARE(app.form().windowTitle(), demo);
    QCOMPARE(rowNames(app.form()), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QVERIFY(app.saveRequests.empty());

    const QString written = demos.filePath(QStringLiteral("duel.txt"));
    QVERIFY(QFile::exists(written));
    DemoTables tables;
    DemoScan(tables, QFile::encodeName(demo).toStdString());
    const std::string expected = demos.filePath(QStringLiteral("expected.txt")).toStdString();
    ExportTextDescription(tables, QFile::encodeName(demo).toStdString(), false, expected);
    QCOMPARE(readBytes(written), readBytes(QString::fromStdString(expected)));
    QVERIFY(app.form().isVisible());
  }

  void commandLineDemoIsScannedOnlyOnce() {
    MessageRecorder recorder;
    QTemporaryDir demos;
    const QString demo = demos.filePath(QStringLiteral("duel.dm2"));
    writeBytes(demo, duelDemo());
    TestApp app({demo});
    app.showActive();
    QCOMPARE(app.form().windowTitle(), demo);
    QFile::remove(demo);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    app.showActive();
    QCOMPARE(recorder.messages, QStringList());
    QCOMPARE(app.form().windowTitle(), demo);
  }

  void capitalDescrOnlyScans() {
    QTemporaryDir demos;
    const QString demo = demos.filePath(QStringLiteral("duel.dm2"));
    writeBytes(demo, duelDemo());
    TestApp app({demo, QStringLiteral("-DESCR")});
    app.showActive();
    QCOMPARE(app.form().windowTitle(), demo);
    QCOMPARE(QDir(demos.path()).entryList(QDir::Files), QStringList{QStringLiteral("duel.dm2")});
  }

  void missingCommandLineDemoIsReportedOnce() {
    MessageRecorder recorder;
    QTemporaryDir demos;
    TestApp app({demos.filePath(QStringLiteral("gone.dm2")), QStringLiteral("-descr")});
    app.showActive();
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("File not found")});
    QCOMPARE(app.form().windowTitle(), ui::MainWindow::kCaption);
    QCOMPARE(QDir(demos.path()).entryList(QDir::Files), QStringList());
  }

  void exceptionsReachingTheEventLoopAreShown() {
    MessageRecorder recorder;
    struct Thrower : QObject {
      bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("Disk full");
        return QObject::event(e);
      }
    } thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTRY_COMPARE(recorder.messages, QStringList{QStringLiteral("Disk full")});
  }

  void realDemosOpen() {
    const QString dir = realDemosDir();
    if (dir.isEmpty()) QSKIP("no real demos: ../shared/demos beside the project is absent");
    const QStringList demos = QDir(dir).entryList({QStringLiteral("*.dm2")}, QDir::Files);
    QVERIFY(!demos.isEmpty());
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    for (const QString& name : demos) {
      const QString path = QDir(dir).filePath(name);
      app.open(path);
      QCOMPARE(app.form().windowTitle(), path);
      const int n = app.state().tables.players.playerCount;
      QCOMPARE(grid(app.form()).rowCount(), n + 1);
      QCOMPARE(grid(app.form()).columnCount(), n + 2);
      QCOMPARE(cell(app.form(), n + 1, 0), QStringLiteral("Frgs (Kills/Dths)"));
      verifyHeadersWhole(grid(app.form()));
    }
    QCOMPARE(recorder.messages, QStringList());
  }
};

OBITRAK_UI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
