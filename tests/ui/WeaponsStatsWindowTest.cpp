// The weapons statistics window: its rows and the kills of each weapon.

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <map>

#include "UiTestSupport.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "ui/WeaponsStatsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QStringList column(const ui::WeaponsStatsModel& model, int c) {
  QStringList texts;
  for (int row = 0; row < model.rowCount(); ++row) texts << model.cellText(c, row);
  return texts;
}

}  // namespace

class WeaponsStatsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The rows are the weapon filter's items after "All weapons"; all of them show at once.
  void rowsAreTheWeaponFilterItems() {
    TestApp app;
    app.openDuel();
    ui::WeaponsStatsWindow window(app.state());
    QCOMPARE(window.objectName(), QStringLiteral("WeapWin"));
    QStringList items{QStringLiteral("Weapon")};
    auto* filter = app.form().findChild<QComboBox*>(QStringLiteral("WeaponList"));
    for (int i = 1; i < filter->count(); ++i) items << filter->itemText(i);
    QCOMPARE(column(window.model(), 0), items);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = window.findChild<QTableView*>(QStringLiteral("WT"));
    QVERIFY(grid->rowViewportPosition(12) + grid->rowHeight(12) <= grid->viewport()->height());
    QVERIFY(!grid->verticalScrollBar()->isVisible());
  }

  // A click on "Kills" sorts the weapons by their kills, most first, then least first; a
  // click on "Weapon" puts them in order again. Ctrl+C copies the grid as text.
  void weaponsSortByKillsAndCopy() {
    TestApp app;
    app.open(app.demo(QStringLiteral("team.dm2"), teamDemo()));
    ui::WeaponsStatsWindow window(app.state());
    window.show();
    window.refillNow();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("WT"));
    auto click = [grid](int column) {
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                        grid->visualRect(grid->model()->index(0, column)).center());
    };
    const QStringList inOrder = column(window.model(), 0);
    click(1);
    QCOMPARE(column(window.model(), 1).mid(1, 4), (QStringList{"5", "4", "3", "2"}));
    QCOMPARE(window.model().cellText(0, 1), QStringLiteral("9 - Railgun"));
    QCOMPARE(window.model().index(1, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("9 - Railgun"));
    click(1);
    QCOMPARE(column(window.model(), 1).last(), QStringLiteral("5"));
    click(0);
    QCOMPARE(column(window.model(), 0), inOrder);

    grid->setFocus();
    QTest::keySequence(grid, QKeySequence::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines[0], QStringLiteral("Weapon\tKills"));
    QCOMPARE(lines[9], QStringLiteral("9 - Railgun\t5"));
  }

  void rowsSumToTheRankedPlayersKills_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("railgun");
    QTest::newRow("duel") << QStringLiteral("duel") << QStringLiteral("3");
    QTest::newRow("teams") << QStringLiteral("team") << QStringLiteral("5");
    QTest::newRow("no ranked player") << QStringLiteral("idle") << QStringLiteral("0");
    QTest::newRow("sample") << QStringLiteral("sample") << QString();
  }

  void rowsSumToTheRankedPlayersKills() {
    QFETCH(QString, demo);
    QFETCH(QString, railgun);
    const std::map<QString, std::string> demos{{QStringLiteral("duel"), duelDemo()},
                                               {QStringLiteral("team"), teamDemo()},
                                               {QStringLiteral("idle"), idleDemo()}};
    TestApp app;
    app.open(demos.count(demo) ? app.demo(demo + ".dm2", demos.at(demo)) : sampleDemo());
    ui::WeaponsStatsWindow window(app.state());
    window.refillNow();

    const RankedPlayers ranked(app.state().tables);
    qint64 kills = 0;
    for (int place = 1; place <= ranked.count(); ++place) kills += ranked.at(place).kills;
    const QStringList counts = column(window.model(), 1).mid(1);
    qint64 sum = 0;
    for (const QString& text : counts) sum += text.toLongLong();
    QCOMPARE(sum, kills);
    if (!railgun.isNull()) QCOMPARE(counts[8], railgun);

    // The counts follow neither the weapon filter nor the mode of the last tally.
    TallyTeamPlay(app.state().tables, 7);
    window.refillNow();
    QCOMPARE(column(window.model(), 1).mid(1), counts);
  }
};

OBITRAK_UI_TEST_MAIN(WeaponsStatsWindowTest)
#include "WeaponsStatsWindowTest.moc"
