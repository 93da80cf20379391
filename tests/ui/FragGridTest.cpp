// The decisions behind the frag grid: its shape and size, where the main window goes, how
// each cell is painted, the player colours and the dialogs' filters.

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMargins>
#include <QRect>
#include <QTest>

#include "UiTestSupport.h"
#include "scan/DemoScan.h"
#include "ui/ColumnWidths.h"
#include "ui/FileDialogs.h"
#include "ui/FragGrid.h"
#include "ui/FragGridView.h"
#include "ui/MainWindowGeometry.h"
#include "ui/PlayerColours.h"

using namespace obitrak::ui;

namespace {

constexpr GridSize kScreen{1024, 768};

PlayerColourTable filledColours() {
  PlayerColourTable colours;
  colours.fill();
  return colours;
}

}  // namespace

class FragGridTest : public QObject {
  Q_OBJECT

 private slots:
  void noPlayerGivesOneOrdinaryRow() {
    const FragGridShape shape = fragGridShape(0);
    QCOMPARE(shape.rows, 1);
    QCOMPARE(shape.columns, 2);
    QCOMPARE(shape.fixedRows, 0);
    QCOMPARE(shape.fixedColumns, 1);
    QCOMPARE(shape.size, (GridSize{205, 28}));
  }

  void twoPlayersGiveThreeRowsAndFourColumns() {
    const FragGridShape shape = fragGridShape(2);
    QCOMPARE(shape.rows, 3);
    QCOMPARE(shape.columns, 4);
    QCOMPARE(shape.fixedRows, 1);
    QCOMPARE(shape.size, (GridSize{407, 78}));
  }

  void windowFitsTheGridAndIsCentred() {
    QCOMPARE(mainWindowPlacement(fragGridShape(0).size, kScreen, false),
             (WindowRect{399, 270, 226, 228}));
    QCOMPARE(mainWindowPlacement(fragGridShape(2).size, kScreen, false),
             (WindowRect{298, 245, 428, 278}));
  }

  void centringTruncatesTheHalf() {
    // (1025 - 226) / 2 = 399.5 and (769 - 228) / 2 = 270.5
    QCOMPARE(mainWindowPlacement(fragGridShape(0).size, {1025, 769}, false),
             (WindowRect{399, 270, 226, 228}));
  }

  void gridWiderThanTheScreenTakesItsWidth() {
    // 30 players: 101 x 32 + 3 = 3235 wide, 25 x 31 + 3 = 778 high.
    const std::optional<WindowRect> r = mainWindowPlacement(fragGridShape(30).size, kScreen, false);
    QVERIFY(r.has_value());
    QCOMPARE(r->width, 1024);
    QCOMPARE(r->left, 0);
    QCOMPARE(r->height, 768);
    QCOMPARE(r->top, 0);
  }

  void gridTallerThanTheScreenTakesItsHeight() {
    const std::optional<WindowRect> r =
        mainWindowPlacement(fragGridShape(7).size, {1600, 300}, false);
    QCOMPARE(r, (WindowRect{(1600 - 933) / 2, 0, 933, 300}));
  }

  void maximisedWindowKeepsItsPlace() {
    QVERIFY(!mainWindowPlacement(fragGridShape(2).size, kScreen, true).has_value());
  }

  // The window's outer frame fits the grid and the screen's free area; what the window
  // manager draws around the client area comes off it, wherever the frame is known.
  void clientRectLeavesTheFrameInsideTheFreeArea_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("client");
    const QRect screen(0, 0, 1280, 800);
    QTest::newRow("frame not known yet") << 2 << screen << QMargins() << QRect(426, 261, 428, 278);
    QTest::newRow("title bar and border")
        << 2 << screen << QMargins(1, 24, 1, 1) << QRect(427, 285, 426, 253);
    QTest::newRow("panel above the free area")
        << 2 << QRect(0, 30, 1280, 770) << QMargins(1, 24, 1, 1) << QRect(427, 300, 426, 253);
    QTest::newRow("second screen to the right")
        << 0 << QRect(1280, 0, 1024, 768) << QMargins(4, 30, 4, 4)
        << QRect(1280 + 399 + 4, 270 + 30, 218, 194);
    // 16 players: 1821 x 428 asks for more than the width there is.
    QTest::newRow("wider than the screen")
        << 16 << screen << QMargins(1, 24, 1, 1) << QRect(1, 24 + 86, 1278, 628 - 25);
  }

  void clientRectLeavesTheFrameInsideTheFreeArea() {
    QFETCH(int, players);
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QRect, client);
    const std::optional<WindowRect> r =
        mainWindowClientRect(fragGridShape(players).size,
                             {available.x(), available.y(), available.width(), available.height()},
                             {frame.left(), frame.top(), frame.right(), frame.bottom()}, false);
    QVERIFY(r.has_value());
    QCOMPARE(QRect(r->left, r->top, r->width, r->height), client);
    QVERIFY(!mainWindowClientRect(fragGridShape(players).size, {0, 0, 1280, 800}, {}, true));
  }

  // A column is as wide as designed, or as its header or its widest cell needs with the
  // margins of its kind of cell; the grid and the window follow the columns.
  void columnsFitTheirTexts() {
    const QFontMetrics m(designFont(QFont(), true));
    auto fitted = [&m](const QStringList& headers, const QStringList& cells) {
      return fittedColumnWidth(101, m, headers, cells, {9, 6});
    };
    QCOMPARE(fitted({"Ann"}, {"12", "0"}), 101);
    const QString totals = QStringLiteral("Frgs (Kills/Dths)");
    QCOMPARE(fitted({totals}, {"51 (61 / 58)"}), std::max(101, m.horizontalAdvance(totals) + 9));
    const QString skin = QStringLiteral("cyborg/disguiseXX");
    QCOMPARE(fitted({"Skin"}, {"male/grunt", skin}), std::max(101, m.horizontalAdvance(skin) + 6));
    FragGridShape shape = fragGridShape(2);
    fitColumnWidths(shape, {101, 90, 180, 130});
    QCOMPARE(shape.size, (GridSize{101 + 101 + 180 + 130 + 3, 78}));
  }

  // The first status panel keeps its designed 250 pixels (or its shorter text), the notice
  // panel all of its notice.
  void narrowestWindowKeepsBothPanels() {
    QCOMPARE(mainWindowMinimumWidth(420, 190), 250 + 190 + 12);
    QCOMPARE(mainWindowMinimumWidth(90, 190), 90 + 190 + 12);
    QCOMPARE(mainWindowPlacement(fragGridShape(0).size, kScreen, false, 452)->width, 452);
  }

  void gridKeepsItsSizeWhereItFits() {
    QCOMPARE(gridViewport({407, 78}, {500, 300}), (GridSize{407, 78}));
    QCOMPARE(gridViewport({407, 78}, {407, 78}), (GridSize{407, 78}));
  }

  void gridIsCutToTheRoomLeft() {
    QCOMPARE(gridViewport({912, 203}, {787, 300}), (GridSize{787, 203}));
    QCOMPARE(gridViewport({912, 203}, {1000, 90}), (GridSize{912, 90}));
    QCOMPARE(gridViewport({912, 203}, {-5, -5}), (GridSize{0, 0}));
  }

  // A grid cut in one direction takes the room of its scroll bar in the other where there
  // is room for it, so that the second scroll bar appears only when the cells do not fit.
  void scrollBarTakesRoomOfItsOwn() {
    QCOMPARE(gridViewport({1821, 428}, {1250, 478}, 15), (GridSize{1250, 443}));
    QCOMPARE(gridViewport({1821, 428}, {1250, 435}, 15), (GridSize{1250, 435}));
    QCOMPARE(gridViewport({600, 900}, {700, 500}, 15), (GridSize{615, 500}));
  }

  void headerPlaceIsTheRowOrTheColumn() {
    QCOMPARE(headerPlace(0, 3), 3);
    QCOMPARE(headerPlace(2, 0), 2);
    QCOMPARE(headerPlace(0, 0), 0);
    QCOMPARE(headerPlace(2, 3), 0);
  }

  void playerColoursAreWrittenByFill() {
    PlayerColourTable colours;
    for (int entry = 1; entry <= PlayerColourTable::kEntries; ++entry) {
      QCOMPARE(colours[entry], kBlack);
    }
    colours.fill();
    QCOMPARE(colours[1], colourRef(255, 0, 0));
    QCOMPARE(colours[2], colourRef(0, 128, 0));
    QCOMPARE(colours[3], colourRef(0, 0, 255));
    QCOMPARE(colours[13], colourRef(255, 255, 255));
    QCOMPARE(colours[14], colourRef(0, 255, 0));
    for (int entry = 15; entry <= 20; ++entry) QCOMPARE(colours[entry], kBlack);
    QCOMPARE(colours[0], kBlack);
    QCOMPARE(colours[21], kBlack);
  }

  void teamsBeyondTheTableCycleThroughTheWrittenColours() {
    QCOMPARE(teamColourEntry(0), 0);
    QCOMPARE(teamColourEntry(1), 1);
    QCOMPARE(teamColourEntry(20), 20);
    QCOMPARE(teamColourEntry(21), 1);
    QCOMPARE(teamColourEntry(34), 14);
    QCOMPARE(teamColourEntry(35), 1);
    QCOMPARE(teamColourEntry(64), 2);
  }

  void headerNamesTakeTheirTeamColour() {
    const PlayerColourTable colours = filledColours();
    CellFacts header;
    header.column = 0;
    header.row = 2;
    header.fixed = true;
    header.headerPlayerTeam = 1;
    QCOMPARE(fragGridCellPaint(header, colours),
             (CellPaint{CellFill::Fixed, colourRef(255, 0, 0)}));
    header.headerPlayerTeam = 3;
    QCOMPARE(fragGridCellPaint(header, colours).text, colourRef(0, 0, 255));
    header.headerPlayerTeam = 0;
    QCOMPARE(fragGridCellPaint(header, colours).text, kBlack);
    header.headerPlayerTeam = 16;
    QCOMPARE(fragGridCellPaint(header, colours).text, kBlack);
    header.headerPlayerTeam = 22;
    QCOMPARE(fragGridCellPaint(header, colours).text, colourRef(0, 128, 0));
  }

  void diagonalIsWhiteOnDarkGreenEvenWhenCurrent() {
    const PlayerColourTable colours = filledColours();
    CellFacts diagonal;
    diagonal.column = 2;
    diagonal.row = 2;
    QCOMPARE(fragGridCellPaint(diagonal, colours), (CellPaint{CellFill::DarkGreen, kWhite}));
    diagonal.current = true;
    QCOMPARE(fragGridCellPaint(diagonal, colours), (CellPaint{CellFill::DarkGreen, kWhite}));
  }

  void currentCellIsBlackOnWhite() {
    const PlayerColourTable colours = filledColours();
    CellFacts cell;
    cell.column = 3;
    cell.row = 1;
    QCOMPARE(fragGridCellPaint(cell, colours), (CellPaint{CellFill::Plain, kBlack}));
    cell.current = true;
    QCOMPARE(fragGridCellPaint(cell, colours), (CellPaint{CellFill::White, kBlack}));
  }

  void totalsHeaderOfAnEmptyGridIsAnOrdinaryCell() {
    // With no player the first row is not fixed; its totals header is the current cell.
    CellFacts cell;
    cell.column = 1;
    cell.row = 0;
    cell.current = true;
    QCOMPARE(fragGridCellPaint(cell, filledColours()), (CellPaint{CellFill::White, kBlack}));
  }

  // A click on a column's header sorts the rows by it, most first, then least first, then
  // in rank order again; a player's self-kills stay on his own column. Ctrl+C copies the
  // grid as it stands.
  void rowsSortByAClickedColumnAndCopy() {
    const PlayerColourTable colours = filledColours();
    obitrak::DemoTables tables;
    obitrak::DemoScanBytes(tables, obitrak::uitest::teamDemo());
    FragGridModel model(colours);
    FragGridView view(model);
    model.fill(tables, 0);
    view.fitColumns();
    view.shapeChanged();
    auto rows = [&model] {
      QStringList names;
      for (int row = 1; row < model.shape().rows; ++row) names << model.cellText(0, row);
      return names;
    };
    const QStringList rank{"Dee", "Cid", "Bob", "Ann"};
    QCOMPARE(rows(), rank);
    const QList<std::pair<int, QStringList>> clicks{{3, {"Ann", "Dee", "Cid", "Bob"}},
                                                    {3, rank},
                                                    {3, rank},
                                                    {5, rank},
                                                    {5, {"Ann", "Bob", "Cid", "Dee"}}};
    for (const auto& [column, order] : clicks) {
      emit view.horizontalHeader()->sectionClicked(column - 1);
      QCOMPARE(rows(), order);
    }
    QVERIFY(model.headerText(5, 0).endsWith(QStringLiteral(" \u25B4")));
    QCOMPARE(model.placeOfRow(1), 4);  // Ann, in the last column

    view.setFocus();
    QTest::keySequence(&view, QKeySequence::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("\tDee\tCid\tBob\tAnn\tFrgs (Kills/Dths)"));
    QCOMPARE(lines[1], QStringLiteral("Ann\t0\t0\t2\t0\t2 (2 / 9)"));
  }

  void storedFiltersBecomeQtFilters() {
    QCOMPARE(qtNameFilters(QStringLiteral("All files|*.*|Quake2 demo files|*.dm2;*.dm2.gz")),
             (QStringList{QStringLiteral("All files (*)"),
                          QStringLiteral("Quake2 demo files (*.dm2 *.dm2.gz)")}));
    QCOMPARE(qtNameFilters(QStringLiteral("Web pages|*.htm;*.html")),
             QStringList{QStringLiteral("Web pages (*.htm *.html)")});
    QCOMPARE(qtNameFilters(QString()), QStringList());
  }
};

OBITRAK_UI_TEST_MAIN(FragGridTest)
#include "FragGridTest.moc"
