// The weapons statistics window: its grid, its row labels and the kills of each weapon.

#include <QComboBox>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "UiTestSupport.h"
#include "scan/Phrases.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "ui/WeaponsStatsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QStringList killsColumn(const ui::WeaponsStatsModel& model) {
  QStringList kills;
  for (int row = 1; row < model.rowCount(); ++row) kills << model.cellText(1, row);
  return kills;
}

}  // namespace

class WeaponsStatsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void gridAsDesigned() {
    TestApp app;
    ui::WeaponsStatsWindow window(app.state());
    QCOMPARE(window.objectName(), QStringLiteral("WeapWin"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Weapons stats"));
    auto* grid = window.findChild<QTableView*>(QStringLiteral("WT"));
    QVERIFY(grid != nullptr);
    QCOMPARE(grid->geometry(), QRect(24, 16, 265, 329));
    QVERIFY(grid->font().bold());
    QCOMPARE(grid->model()->rowCount(), 13);
    QCOMPARE(grid->model()->columnCount(), 2);
    QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1), 159 + 100 + 2);
    // Every row shows whole, without a scroll bar.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(grid->rowViewportPosition(12) + grid->rowHeight(12) <= grid->viewport()->height());
    QVERIFY(!grid->verticalScrollBar()->isVisible());
    QCOMPARE(window.model().cellText(0, 0), QStringLiteral("Weapon"));
    QCOMPARE(window.model().cellText(1, 0), QStringLiteral("Kills"));
    QVERIFY(ui::WeaponsStatsModel::isFixed(0, 5) && ui::WeaponsStatsModel::isFixed(1, 0));
    QVERIFY(!ui::WeaponsStatsModel::isFixed(1, 1));
  }

  // The rows are labelled with the items of the main window's weapon filter after its first.
  void rowsAreTheWeaponFilterItems() {
    TestApp app;
    app.open(app.demo(QStringLiteral("duel.dm2"), duelDemo()));
    ui::WeaponsStatsWindow window(app.state());
    auto* filter = app.form().findChild<QComboBox*>(QStringLiteral("WeaponList"));
    QCOMPARE(filter->count(), 13);
    for (int row = 1; row < 13; ++row)
      QCOMPARE(window.model().cellText(0, row), filter->itemText(row));
  }

  void rowsSumToTheRankedPlayersKills_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<int>("railgun");
    QTest::newRow("duel") << QStringLiteral("duel") << 3;
    QTest::newRow("teams") << QStringLiteral("team") << 5;
    QTest::newRow("no ranked player") << QStringLiteral("idle") << 0;
    QTest::newRow("sample") << QStringLiteral("sample") << -1;
  }

  void rowsSumToTheRankedPlayersKills() {
    QFETCH(QString, demo);
    QFETCH(int, railgun);
    TestApp app;
    const std::map<QString, std::string> bytes{{QStringLiteral("duel"), duelDemo()},
                                               {QStringLiteral("team"), teamDemo()},
                                               {QStringLiteral("idle"), idleDemo()}};
    app.open(demo == QStringLiteral("sample") ? sampleDemo()
                                              : app.demo(demo + ".dm2", bytes.at(demo)));
    ui::WeaponsStatsWindow window(app.state());
    window.refillNow();

    const RankedPlayers ranked(app.state().tables);
    qint64 kills = 0;
    for (int place = 1; place <= ranked.count(); ++place) kills += ranked.at(place).kills;
    qint64 sum = 0;
    for (const QString& text : killsColumn(window.model())) sum += text.toLongLong();
    QCOMPARE(sum, kills);
    if (railgun >= 0) QCOMPARE(window.model().cellText(1, 9), QString::number(railgun));
    if (demo == QStringLiteral("sample")) QVERIFY(kills > 0);

    // The counts do not follow the weapon filter or the mode of the last tally.
    const QStringList before = killsColumn(window.model());
    TallyTeamPlay(app.state().tables, 7);
    window.refillNow();
    QCOMPARE(killsColumn(window.model()), before);
  }
};

OBITRAK_UI_TEST_MAIN(WeaponsStatsWindowTest)
#include "WeaponsStatsWindowTest.moc"
