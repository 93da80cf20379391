// The log window: its grid, the header row that an empty log loses and a later scan
// restores, the colours of obituary and level-3 rows, and the scroll back at a new scan.

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "UiTestSupport.h"
#include "scan/DemoScan.h"
#include "ui/LogWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

void fillLog(DemoTables& tables, const std::vector<std::uint8_t>& levels, int repeat = 1) {
  tables.log = MessageLog{};
  for (int i = 0; i < repeat; ++i) {
    for (std::uint8_t level : levels) {
      tables.log.add(level, "level " + std::to_string(level) + " message WWWWWWWWWW", i);
    }
  }
  tables.log.logCount = static_cast<std::uint32_t>(tables.log.size());
}

int topRow(const QTableView& grid) {
  return grid.rowAt(0);
}

}  // namespace

class LogWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void gridHasTheDesignedShape() {
    TestApp app;
    ui::LogWindow window(app.state());
    QCOMPARE(window.objectName(), QStringLiteral("LogWindow"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Demo Log"));
    QTableView& grid = window.grid();
    QCOMPARE(grid.objectName(), QStringLiteral("Lg"));
    // The TIME column comes first and widens the window and the grid by its width.
    const int time = grid.columnWidth(ui::LogModel::Time);
    QCOMPARE(grid.horizontalHeader()->visualIndex(ui::LogModel::Time), 0);
    QCOMPARE(grid.geometry(), QRect(8, 8, 553 + time, 353));
    QCOMPARE(window.size(), QSize(578 + time, 398));
    // Sections hold the cell and its grid line.
    QCOMPARE(grid.columnWidth(0), 41);
    QCOMPARE(grid.columnWidth(1), 493);
    // The grid and its message column follow the window.
    window.show();
    window.resize(window.width() + 100, window.height() + 50);
    QTRY_COMPARE(window.height(), 448);
    QCOMPARE(grid.geometry(), QRect(8, 8, 653 + time, 403));
    QCOMPARE(grid.columnWidth(1), 593);
    QCOMPARE(grid.verticalHeader()->defaultSectionSize(), 16);
    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  }

  // Empty: one ordinary row with the header texts. After a scan with messages the header
  // is fixed again and the data rows follow in log order.
  void headerRowComesBackAfterAScanWithMessages() {
    TestApp app;
    ui::LogWindow window(app.state());
    window.refillNow();
    QTableView& grid = window.grid();
    QCOMPARE(grid.model()->rowCount(), 1);
    QVERIFY(grid.horizontalHeader()->isHidden());
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("TYPE"));
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("MESSAGE"));

    DemoScanBytes(app.state().tables, duelDemo());
    window.refillNow();
    QVERIFY(!grid.horizontalHeader()->isHidden());
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("MESSAGE"));
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("1"));
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("Bob was railed by Ann"));
    QCOMPARE(grid.model()->index(4, 1).data().toString(), QStringLiteral("Ann died."));
  }

  // The game's own characters read as what they look like; a message of several lines shows
  // them all in its row, and as lines in its tool tip.
  void messagesShowTheGameCharactersAndEveryLine() {
    TestApp app;
    app.state().tables.log.add(2,
                               "\x10"
                               "anticheat\x11 kicked Bob\nfor aiming",
                               0);
    app.state().tables.log.logCount = 1;
    ui::LogWindow window(app.state());
    const QModelIndex cell = window.grid().model()->index(0, 1);
    QCOMPARE(cell.data().toString(), QStringLiteral("[anticheat] kicked Bob / for aiming"));
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(),
             QStringLiteral("[anticheat] kicked Bob\nfor aiming"));
  }

  void rowColours_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("bold");
    QTest::newRow("obituary: red") << 1 << QColor(255, 0, 0) << false;
    QTest::newRow("level 3: bold green") << 3 << QColor(0, 128, 0) << true;
  }
  // One row of each level 0..3; the row of `level` shows its colour in both columns, the
  // level-0 row does not.
  void rowColours() {
    QFETCH(int, level);
    QFETCH(QColor, colour);
    QFETCH(bool, bold);
    TestApp app;
    fillLog(app.state().tables, {0, 1, 2, 3});
    ui::LogWindow window(app.state());
    window.show();
    window.refillNow();
    QTableView& grid = window.grid();
    const QImage image = grid.viewport()->grab().toImage();
    for (int column = 0; column < 2; ++column) {
      const QModelIndex cell = grid.model()->index(level, column);
      QVERIFY2(countPixelsNear(image, grid.visualRect(cell), colour, 60) > 0,
               qPrintable(QStringLiteral("column %1").arg(column)));
      QVERIFY(countPixelsNear(image, grid.visualRect(grid.model()->index(0, column)), colour, 60) ==
              0);
      QCOMPARE(cell.data(Qt::FontRole).value<QFont>().bold(), bold);
    }
  }

  // Ctrl+F opens the find bar; Enter and F3 go to the next message holding the text, any
  // case, round the log; Shift+F3 goes back; Escape closes the bar, then the window.
  void findBarJumpsToMatchingMessages() {
    TestApp app;
    DemoScanBytes(app.state().tables, duelDemo());
    ui::LogWindow window(app.state());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* find = window.findChild<QLineEdit*>(QStringLiteral("LogFind"));
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(find->hasFocus());
    QTest::keyClicks(find, QStringLiteral("bob"));
    QList<int> rows;
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_F3), QKeySequence(Qt::Key_F3),
          QKeySequence(Qt::Key_F3), QKeySequence(Qt::Key_F3),
          QKeySequence(Qt::SHIFT | Qt::Key_F3)}) {
      QTest::keySequence(find, key);
      const QModelIndexList selected = window.grid().selectionModel()->selectedRows();
      rows << (selected.size() == 1 ? selected.front().row() : -1);
    }
    QCOMPARE(rows, (QList<int>{0, 1, 2, 3, 0, 3}));
    find->setText(QStringLiteral("zed"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("LogFindNote"))->text(), "Not found");
    QTest::keyClick(find, Qt::Key_Escape);
    QVERIFY(!find->isVisible() && window.isVisible());
    QTest::keyClick(&window.grid(), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
  }

  // Ctrl+C copies the selected rows, time, type and message between tabs.
  void copyTakesTheSelectedRows() {
    TestApp app;
    fillLog(app.state().tables, {1, 3}, 40);
    ui::LogWindow window(app.state());
    window.refillNow();
    QTableView& grid = window.grid();
    grid.selectionModel()->select(grid.model()->index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.selectionModel()->select(grid.model()->index(62, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.setFocus();
    QTest::keySequence(&grid, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("0:00\t3\tlevel 3 message WWWWWWWWWW\n"
                            "0:31\t1\tlevel 1 message WWWWWWWWWW"));
  }

  // A scan's start scrolls back to the first data row; an activation keeps the place in
  // an unchanged log and starts again at the top of a changed one.
  void scrollsBackToTheFirstDataRow() {
    TestApp app;
    fillLog(app.state().tables, {0, 1, 2, 3}, 250);
    ui::LogWindow window(app.state());
    window.show();
    window.refillNow();
    QTableView& grid = window.grid();
    QCOMPARE(grid.model()->rowCount(), 1000);
    grid.scrollToBottom();
    QVERIFY(topRow(grid) > 900);
    window.scanStarted();
    QCOMPARE(topRow(grid), 0);

    grid.verticalScrollBar()->setValue(500);
    window.refillNow();
    QCOMPARE(topRow(grid), 500);
    fillLog(app.state().tables, {1, 3}, 400);
    window.refillNow();
    QCOMPARE(topRow(grid), 0);
  }
};

OBITRAK_UI_TEST_MAIN(LogWindowTest)
#include "LogWindowTest.moc"
