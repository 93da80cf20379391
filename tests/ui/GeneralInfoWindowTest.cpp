// The general information window: its boxes, the version labels, the time, the recording
// player, the scoreboard's agreement, the player grid and its height, the demo path in the
// status bar.

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "UiTestSupport.h"
#include "scan/DemoScan.h"
#include "ui/GeneralInfoWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QString box(ui::GeneralInfoWindow& window, const char* name) {
  return window.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
}

// Names `named` players in slots 1..named + gaps, leaving every third slot empty when
// `gaps` allows, and counts them as the tally would (all idle).
void namePlayers(DemoTables& tables, int named, int gaps) {
  tables.players = {};
  int slot = 0;
  for (int i = 1; i <= named; ++i) {
    ++slot;
    if (gaps > 0 && slot % 3 == 0) {
      --gaps;
      ++slot;
    }
    tables.players[slot].name = "P" + std::to_string(i);
    tables.players[slot].skin = "skin" + std::to_string(i);
  }
  tables.players.idleCount = static_cast<std::uint8_t>(named);
  tables.players.slotCount = static_cast<std::uint8_t>(slot);
}

QStringList gridColumn(const ui::PlayerListModel& model, int column) {
  QStringList texts;
  for (int row = 1; row < model.gridRows(); ++row) texts << model.cellText(column, row);
  return texts;
}

}  // namespace

class GeneralInfoWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void boxesShowTheDemoAndThePathOnActivation() {
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    QCOMPARE(window.objectName(), QStringLiteral("General"));
    QCOMPARE(window.windowTitle(), QStringLiteral("General demo informatiom"));
    DemoScanBytes(app.state().tables, duelDemo());
    app.state().demoPath = QStringLiteral("/demos/duel.dm2");
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(box(window, "MapBox"), QStringLiteral("Test Yard"));
    QCOMPARE(box(window, "MessageBox"), QStringLiteral("Test Yard"));
    QCOMPARE(box(window, "BspBox"), QStringLiteral("maps/testyard.bsp"));
    QCOMPARE(box(window, "PatchBox"), QStringLiteral("baseq2"));
    QCOMPARE(box(window, "ViewBox"), QStringLiteral("Ann"));
    auto* status = window.findChild<QStatusBar*>(QStringLiteral("StatusBar2"));
    QCOMPARE(status->findChild<QLabel*>()->text(), QStringLiteral("/demos/duel.dm2"));
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
      QVERIFY(edit->isReadOnly() && edit->isEnabled());  // the texts can be copied
      QVERIFY(edit->font().bold());
      QCOMPARE(edit->size(), QSize(145, 21));
    }
  }

  void versionLabels_data() {
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("label");
    QTest::newRow("25") << 25 << "3.00";
    QTest::newRow("29 is not listed") << 29 << "Unknown";
    QTest::newRow("34") << 34 << "3.18/3.19/3.20";
    QTest::newRow("35") << 35 << "Unknown";
  }
  void versionLabels() {
    QFETCH(int, protocol);
    QFETCH(QString, label);
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    app.state().tables.header.protocolVersion = protocol;
    window.refillNow();
    QCOMPARE(box(window, "VersionBox"), label);
  }

  void times_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "0 min 0 sec";
    QTest::newRow("3") << 3 << "0 min 3 sec";
    QTest::newRow("60") << 60 << "1 min 0 sec";
    QTest::newRow("754") << 754 << "12 min 34 sec";
    QTest::newRow("3600: no hours") << 3600 << "60 min 0 sec";
    QTest::newRow("-1 read as unsigned") << -1 << "71582788 min 15 sec";
  }
  void times() {
    QFETCH(int, seconds);
    QFETCH(QString, text);
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    app.state().tables.header.duration = seconds;
    window.refillNow();
    QCOMPARE(box(window, "TimeBox"), text);
  }

  void viewFrom_data() {
    QTest::addColumn<int>("viewPlayer");
    QTest::addColumn<QString>("name");
    QTest::newRow("client 0 is slot 1") << 0 << "P1";
    QTest::newRow("client 1 is slot 2") << 1 << "P2";
    QTest::newRow("64: no slot") << 64 << "";
    QTest::newRow("65535: no slot") << 65535 << "";
  }
  void viewFrom() {
    QFETCH(int, viewPlayer);
    QFETCH(QString, name);
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    namePlayers(app.state().tables, 2, 0);
    app.state().tables.header.viewPlayer = static_cast<std::uint16_t>(viewPlayer);
    window.refillNow();
    QCOMPARE(box(window, "ViewBox"), name);
  }

  // A server recording is nobody's view.
  void serverRecordingViewsFromNobody() {
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    DemoScanBytes(app.state().tables, recordedDuel());
    window.refillNow();
    QCOMPARE(box(window, "ViewBox"), QStringLiteral("server recording"));
    QCOMPARE(box(window, "VersionBox"), QStringLiteral("MVD2"));
  }

  void scoreboard_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("none") << "xv 0 yv 0 picn inventory"
                          << ""
                          << "";
    QTest::newRow("agrees") << "client 0 0 0 2 5 1 client 0 0 1 1 5 1"
                            << "agrees"
                            << "Ann: 2\nBob: 1";
    QTest::newRow("one differs") << "client 0 0 0 5 5 1 client 0 0 1 1 5 1"
                                 << "1 player differs"
                                 << "Ann: 5 (counted 2)\nBob: 1";
    QTest::newRow("two differ") << "client 0 0 0 5 5 1 client 0 0 1 0 5 1"
                                << "2 players differ"
                                << "Ann: 5 (counted 2)\nBob: 0 (counted 1)";
  }
  void scoreboard() {
    QFETCH(QString, layout);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    DemoScanBytes(app.state().tables, withBoard(duelDemo(), layout.toStdString()));
    window.refillNow();
    auto* scoreBox = window.findChild<QLineEdit*>(QStringLiteral("ScoreBox"));
    QCOMPARE(scoreBox->text(), text);
    QCOMPARE(scoreBox->toolTip(), toolTip);
    QCOMPARE(scoreBox->geometry(), QRect(72, 240, 145, 21));
  }

  void playerGridFollowsItsRows_data() {
    QTest::addColumn<int>("named");
    QTest::addColumn<int>("gaps");
    QTest::addColumn<int>("height");
    QTest::newRow("no named player") << 0 << 0 << 28;
    QTest::newRow("nine fit the window") << 9 << 0 << 253;
    QTest::newRow("ten") << 10 << 0 << 278;
    QTest::newRow("ten, empty slots between") << 10 << 3 << 278;
  }
  void playerGridFollowsItsRows() {
    QFETCH(int, named);
    QFETCH(int, gaps);
    QFETCH(int, height);
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    QCOMPARE(window.playerGrid().height(), 128);
    namePlayers(app.state().tables, named, gaps);
    window.refillNow();
    QCOMPARE(window.playerGrid().geometry(), QRect(224, 16, 206, height));
    const ui::PlayerListModel& model = window.playerModel();
    QCOMPARE(model.gridRows(), named + 1);
    QCOMPARE(model.cellText(0, 0), QStringLiteral("Player"));
    QCOMPARE(model.cellText(1, 0), QStringLiteral("Skin"));
    QStringList names;
    QStringList skins;
    for (int i = 1; i <= named; ++i) {
      names << QStringLiteral("P%1").arg(i);
      skins << QStringLiteral("skin%1").arg(i);
    }
    QCOMPARE(gridColumn(model, 0), names);
    QCOMPARE(gridColumn(model, 1), skins);
  }

  // Names of 20 characters and skins of 17 show whole: the columns are as wide as the grid's
  // own measure asks, and the window widens with the grid.
  void longNamesAndSkinsShowWhole() {
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    namePlayers(app.state().tables, 3, 0);
    app.state().tables.players[1].name = "Adrenaline Hunter XX";
    app.state().tables.players[2].skin = "cyborg/disguise99";
    window.refillNow();
    const QTableView& grid = window.playerGrid();
    const QAbstractItemView& view = grid;
    for (int column = 0; column < 2; ++column) {
      QVERIFY(grid.columnWidth(column) >= std::max(101, view.sizeHintForColumn(column)));
      QVERIFY(grid.columnWidth(column) >= grid.horizontalHeader()->sectionSizeHint(column));
    }
    QVERIFY(grid.geometry().right() < window.width());
  }

  // The long match's sixteen players: the grid ends above the status bar and scrolls to its
  // last row. A wider window widens the boxes, whose texts can be copied and show whole in
  // their tool tips.
  void longListScrollsAndBoxesGrow() {
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    namePlayers(app.state().tables, 16, 0);
    const std::string level = "The Longest Level Message Ever Written Into A Demo";
    app.state().tables.header.levelMessage = level;
    window.show();
    window.refillNow();
    QTableView& grid = window.playerGrid();
    auto* status = window.findChild<QStatusBar*>(QStringLiteral("StatusBar2"));
    QVERIFY(grid.geometry().bottom() < status->geometry().top());
    grid.scrollToBottom();
    const QRect last = grid.visualRect(grid.model()->index(15, 1));
    QVERIFY(!last.isEmpty() && grid.viewport()->rect().contains(last));
    QVERIFY(grid.columnViewportPosition(1) + grid.columnWidth(1) <= grid.viewport()->width());

    auto* message = window.findChild<QLineEdit*>(QStringLiteral("MessageBox"));
    const int boxWidth = message->width();
    const int right = window.width() - grid.geometry().right();
    const int wider = window.width() + 200;
    window.resize(wider, window.height());
    QTRY_COMPARE(window.width(), wider);
    QCOMPARE(message->width(), boxWidth + 200);
    QCOMPARE(window.width() - grid.geometry().right(), right);
    QCOMPARE(message->toolTip(), QString::fromStdString(level));
    message->selectAll();
    message->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(level));
  }

  // Once an activation finds no named player, the header row stays an ordinary row.
  void headerRowStaysOrdinaryAfterAnEmptyActivation() {
    TestApp app;
    ui::GeneralInfoWindow window(app.state());
    namePlayers(app.state().tables, 2, 0);
    window.refillNow();
    QVERIFY(window.playerModel().headerFixed());
    QCOMPARE(window.playerGrid().model()->rowCount(), 2);
    namePlayers(app.state().tables, 0, 0);
    window.refillNow();
    QVERIFY(!window.playerModel().headerFixed());
    QVERIFY(window.playerGrid().horizontalHeader()->isHidden());
    QCOMPARE(window.playerGrid().model()->index(0, 0).data().toString(), QStringLiteral("Player"));
    namePlayers(app.state().tables, 2, 0);
    window.refillNow();
    QVERIFY(!window.playerModel().headerFixed());
    QCOMPARE(window.playerGrid().model()->rowCount(), 3);
  }
};

OBITRAK_UI_TEST_MAIN(GeneralInfoWindowTest)
#include "GeneralInfoWindowTest.moc"
