// The main window driven as a user drives it: the first picture, the menus, opening a demo,
// the weapon filter, "TeamPlay" and the grid's cells and colours.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

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
    QCOMPARE(item->text().remove(QLatin1Char('&')), caption);
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(item->isEnabled(), enabled);
  }

  void menusAreFileViewOptionsHelp() {
    TestApp app;
    QStringList titles;
    for (QAction* menu : app.form().menuBar()->actions()) titles << menu->text().remove('&');
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
             QStringLiteral("All files|*.*|Quake2 demo files|*.dm2;*.dm2.gz;*.mvd2;*.mvd2.gz"));
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
};

OBITRAK_UI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
