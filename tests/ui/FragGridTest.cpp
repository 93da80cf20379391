// The decisions behind the frag grid: its shape and size, where the main window goes, how
// each cell is painted, the player colours and the dialogs' filters.

#include <QMargins>
#include <QRect>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/ColumnWidths.h"
#include "ui/FileDialogs.h"
#include "ui/FragGrid.h"
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
  // margins of its kind of cell.
  void columnsFitTheirTexts_data() {
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("deciding");  // the text that sets the width; none: designed
    QTest::addColumn<bool>("header");
    QTest::newRow("short names") << QStringList{"Ann"} << QStringList{"12", "0"} << QString()
                                 << false;
    QTest::newRow("totals header") << QStringList{"Frgs (Kills/Dths)"}
                                   << QStringList{"51 (61 / 58)"} << "Frgs (Kills/Dths)" << true;
    QTest::newRow("20-character name") << QStringList{"", "Adrenaline Hunter XX", "Bob"}
                                       << QStringList() << "Adrenaline Hunter XX" << true;
    QTest::newRow("wide cell") << QStringList{"Skin"}
                               << QStringList{"male/grunt", "cyborg/disguiseXX"}
                               << "cyborg/disguiseXX" << false;
    QTest::newRow("nothing") << QStringList() << QStringList() << QString() << false;
  }
  void columnsFitTheirTexts() {
    QFETCH(QStringList, headers);
    QFETCH(QStringList, cells);
    QFETCH(QString, deciding);
    QFETCH(bool, header);
    QFont bold = designFont(QFont(), true);
    const QFontMetrics metrics(bold);
    const TextMargins margins{9, 6};
    const int width = fittedColumnWidth(101, metrics, headers, cells, margins);
    const int expected = deciding.isEmpty() ? 101
                                            : metrics.horizontalAdvance(deciding) +
                                                  (header ? margins.header : margins.cell);
    QCOMPARE(width, std::max(101, expected));
  }

  void gridSizeFollowsItsColumns() {
    FragGridShape shape = fragGridShape(2);
    fitColumnWidths(shape, {101, 90, 180, 130});
    QCOMPARE(shape.columnWidths, (std::vector<int>{101, 101, 180, 130}));
    QCOMPARE(shape.size, (GridSize{101 + 101 + 180 + 130 + 3, 78}));
    fitColumnWidths(shape, {});
    QCOMPARE(shape.size, (GridSize{407, 78}));
  }

  // The first status panel keeps its designed 250 pixels (or its shorter text), the notice
  // panel all of its notice.
  void narrowestWindowKeepsBothPanels_data() {
    QTest::addColumn<int>("panel0");
    QTest::addColumn<int>("panel1");
    QTest::addColumn<int>("width");
    QTest::newRow("no notice") << 240 << 4 << 256;
    QTest::newRow("long level name and a notice") << 420 << 190 << 452;
    QTest::newRow("short level name") << 90 << 190 << 292;
  }
  void narrowestWindowKeepsBothPanels() {
    QFETCH(int, panel0);
    QFETCH(int, panel1);
    QFETCH(int, width);
    QCOMPARE(mainWindowMinimumWidth(panel0, panel1), width);
    const std::optional<WindowRect> r =
        mainWindowPlacement(fragGridShape(0).size, kScreen, false, width);
    QCOMPARE(r->width, std::max(226, width));
    QCOMPARE(r->left, (kScreen.width - r->width) / 2);
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
  void scrollBarTakesRoomOfItsOwn_data() {
    QTest::addColumn<QSize>("grid");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<QSize>("viewport");
    QTest::newRow("16 players on 1280 x 800")
        << QSize(1821, 428) << QSize(1250, 478) << QSize(1250, 443);
    QTest::newRow("no room below") << QSize(1821, 428) << QSize(1250, 435) << QSize(1250, 435);
    QTest::newRow("cut below") << QSize(600, 900) << QSize(700, 500) << QSize(615, 500);
    QTest::newRow("cut below, no room beside")
        << QSize(600, 900) << QSize(610, 500) << QSize(610, 500);
    QTest::newRow("fits") << QSize(407, 78) << QSize(500, 300) << QSize(407, 78);
  }
  void scrollBarTakesRoomOfItsOwn() {
    QFETCH(QSize, grid);
    QFETCH(QSize, room);
    QFETCH(QSize, viewport);
    const GridSize size =
        gridViewport({grid.width(), grid.height()}, {room.width(), room.height()}, 15);
    QCOMPARE(QSize(size.width, size.height), viewport);
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
