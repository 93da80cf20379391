// Opening files that are no demos at all, and File > Recent demos kept between runs.

#include <QLabel>
#include <QMenu>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QMenu* recentMenu(ui::MainWindow& form) {
  return form.findChild<QMenu*>(QStringLiteral("RecentDemos1"));
}

}  // namespace

class OpeningDemosTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { clearUserSettings(); }

  // A file that is no demo is refused with a message naming it, and the loaded demo stays;
  // a demo damaged after its start is shown with the notice in the status bar.
  void filesThatAreNoDemosAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("refused");
    QTest::newRow("a text") << QByteArray("# Notes\nNothing to see.\n") << true;
    QTest::newRow("an empty file") << QByteArray() << true;
    QTest::newRow("cut before its server data")
        << QByteArray::fromStdString(duelDemo().substr(0, 30)) << true;
    QTest::newRow("damaged after its server data")
        << QByteArray::fromStdString(badBlockDemo()) << false;
  }
  void filesThatAreNoDemosAreRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refused);
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    app.openDuel();
    const QString duel = app.form().demoPath();
    const QString file = app.demo(QStringLiteral("README.dm2"), bytes.toStdString());
    app.open(file);
    auto* notice = control<QLabel>(app.form(), "StatusPanel1");
    if (refused) {
      QCOMPARE(recorder.messages,
               QStringList{"Could not open " + file + ": Not a Quake 2 demo"});
      QCOMPARE(app.form().demoPath(), duel);
      QCOMPARE(cell(app.form(), 3, 1), QStringLiteral("2 (3 / 2)"));
      QCOMPARE(notice->text(), QString());
    } else {
      QCOMPARE(recorder.messages, QStringList());
      QCOMPARE(app.form().demoPath(), file);
      QCOMPARE(notice->text(), QStringLiteral("BAD BLOCK. READING STOPPED."));
    }
  }

  // The last ten demos opened, latest first, in this run and the next; the open dialog of
  // the next run starts in the folder of the last one.
  void recentDemosAreKeptBetweenRuns() {
    QStringList opened;
    {
      TestApp first;
      first.showActive();
      for (int i = 0; i < 12; ++i) {
        opened.prepend(first.demo(QStringLiteral("d%1.dm2").arg(i), duelDemo()));
        first.open(opened.front());
      }
      first.open(opened[3]);
      opened.move(3, 0);
      QCOMPARE(first.form().recentDemos(), opened.mid(0, 10));
      QCOMPARE(recentMenu(first.form())->actions().size(), 10);
      QVERIFY(recentMenu(first.form())->actions().front()->text().endsWith(opened.front()));
      TestApp second;
      second.showActive();
      QCOMPARE(second.form().recentDemos(), opened.mid(0, 10));
      second.open(QString());
      QCOMPARE(second.openRequests.front().fileName, first.dir.path() + QLatin1Char('/'));
    }
  }

  // A recent demo that is gone fails with its message and leaves the list.
  void aMissingRecentDemoLeavesTheList() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    const QString kept = app.demo(QStringLiteral("kept.dm2"), duelDemo());
    const QString gone = app.demo(QStringLiteral("gone.dm2"), duelDemo());
    app.open(kept);
    app.open(gone);
    QFile::remove(gone);
    recentMenu(app.form())->actions().front()->trigger();
    QCOMPARE(recorder.messages, QStringList{"Could not open " + gone + ": File not found"});
    QCOMPARE(app.form().recentDemos(), QStringList{kept});
    QCOMPARE(app.form().demoPath(), gone);  // the loaded demo stays
    recentMenu(app.form())->actions().front()->trigger();
    QCOMPARE(app.form().demoPath(), kept);
  }
};

OBITRAK_UI_TEST_MAIN(OpeningDemosTest)
#include "OpeningDemosTest.moc"
