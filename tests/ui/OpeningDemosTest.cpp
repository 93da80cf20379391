// Opening files that are no demos at all, and File > Recent demos kept between runs.

#include <QLabel>
#include <QMenu>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QList<QAction*> recentItems(ui::MainWindow& form) {
  return form.findChild<QMenu*>(QStringLiteral("RecentDemos1"))->actions();
}

}  // namespace

class OpeningDemosTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { clearUserSettings(); }

  // A file that is no demo is refused with a message naming it, and the loaded demo stays;
  // a demo damaged after its start shows with its notice.
  void filesThatAreNoDemosAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("a text") << QByteArray("# Notes\n") << "Not a Quake 2 demo";
    QTest::newRow("an empty file") << QByteArray() << "Not a Quake 2 demo";
    QTest::newRow("damaged") << QByteArray::fromStdString(badBlockDemo()) << "";
  }
  void filesThatAreNoDemosAreRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    app.openDuel();
    const QString duel = app.form().demoPath();
    const QString file = app.demo(QStringLiteral("README.dm2"), bytes.toStdString());
    app.open(file);
    const bool refused = !message.isEmpty();
    QCOMPARE(recorder.messages,
             refused ? QStringList{"Could not open " + file + ": " + message} : QStringList());
    QCOMPARE(app.form().demoPath(), refused ? duel : file);
    QCOMPARE(control<QLabel>(app.form(), "StatusPanel1")->text(),
             refused ? QString() : QStringLiteral("BAD BLOCK. READING STOPPED."));
  }

  // The last ten demos, latest first, in this run and the next, whose open dialog starts in
  // the last one's folder; one that is gone fails and leaves the list when chosen.
  void recentDemosAreKeptBetweenRuns() {
    QStringList opened;
    TestApp first;
    first.showActive();
    for (int i = 0; i < 12; ++i) {
      opened.prepend(first.demo(QStringLiteral("d%1.dm2").arg(i), duelDemo()));
      first.open(opened.front());
    }
    first.open(opened[3]);
    opened.move(3, 0);
    QCOMPARE(recentItems(first.form()).size(), 10);
    QVERIFY(recentItems(first.form()).front()->text().endsWith(opened.front()));
    TestApp second;
    second.showActive();
    QCOMPARE(second.form().recentDemos(), opened.mid(0, 10));
    second.open(QString());
    QCOMPARE(second.openRequests.front().fileName, first.dir.path() + QLatin1Char('/'));

    MessageRecorder recorder;
    QFile::remove(opened.front());
    recentItems(second.form()).front()->trigger();
    QCOMPARE(recorder.messages,
             QStringList{"Could not open " + opened.front() + ": File not found"});
    QCOMPARE(second.form().recentDemos(), opened.mid(1, 9));
    recentItems(second.form()).front()->trigger();
    QCOMPARE(second.form().demoPath(), opened[1]);
  }
};

OBITRAK_UI_TEST_MAIN(OpeningDemosTest)
#include "OpeningDemosTest.moc"
