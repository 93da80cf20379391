// The desktop program's files when strangers have been at the folders: links planted where an
// export goes, demos whose names hold no extension, save choices that are the demo itself,
// and pipes or folders where its settings and packs are.

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/HtmlColorsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

const QString kSecret = QStringLiteral("secret");

// Names in `dir` left by a write that did not finish.
QStringList temporariesIn(const QString& dir) {
  return QDir(dir).entryList({QStringLiteral(".obitrak-*")}, QDir::Files | QDir::Hidden);
}

}  // namespace

class HostileFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { clearUserSettings(); }

  void exportsNeverFollowALinkNorOverwriteTheDemo_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("chosen");  // the save dialog's answer; empty: -descr
    QTest::addColumn<QString>("link");    // planted beside the demo, or empty
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<QString>("written");  // the description's file, or empty
    QTest::addColumn<QString>("message");
    const QString none;
    const QString duel = QStringLiteral("duel.dm2");
    const QString refused =
        QStringLiteral("Could not export the description to %1: Would overwrite the demo");
    QTest::newRow("-descr, a link at the description's name")
        << duel << none << QStringLiteral("duel.txt") << QStringLiteral("victim")
        << QStringLiteral("duel.txt") << none;
    QTest::newRow("-descr, a demo named sometxt") << QStringLiteral("sometxt") << none << none
                                                  << none << QStringLiteral("sometxt.txt") << none;
    QTest::newRow("-descr, a demo named final")
        << QStringLiteral("final") << none << none << none << QStringLiteral("final.txt") << none;
    QTest::newRow("the demo chosen") << duel << duel << none << none << none << refused;
    QTest::newRow("a link to the demo chosen")
        << duel << QStringLiteral("other.txt") << QStringLiteral("other.txt") << duel << none
        << refused;
  }

  void exportsNeverFollowALinkNorOverwriteTheDemo() {
    QFETCH(QString, demo);
    QFETCH(QString, chosen);
    QFETCH(QString, link);
    QFETCH(QString, linkTarget);
    QFETCH(QString, written);
    QFETCH(QString, message);
    QTemporaryDir demos;
    const QString demoPath = demos.filePath(demo);
    writeBytes(demoPath, duelDemo());
    writeBytes(demos.filePath(QStringLiteral("victim")), kSecret.toStdString());
    if (!link.isEmpty()) QVERIFY(QFile::link(linkTarget, demos.filePath(link)));

    MessageRecorder recorder;
    TestApp app(chosen.isEmpty() ? QStringList{demoPath, QStringLiteral("-descr")}
                                 : QStringList{demoPath});
    app.showActive();
    if (!chosen.isEmpty()) {
      app.chooseOnSave(demos.filePath(chosen));
      menuItem(app.form(), "Exportdescription1")->trigger();
    }

    QCOMPARE(recorder.messages,
             message.isEmpty() ? QStringList() : QStringList{message.arg(demos.filePath(chosen))});
    QCOMPARE(readBytes(demoPath), QByteArray::fromStdString(duelDemo()));
    QCOMPARE(readBytes(demos.filePath(QStringLiteral("victim"))), kSecret.toLatin1());
    if (!written.isEmpty()) {
      const QFileInfo description(demos.filePath(written));
      QVERIFY(description.isFile() && !description.isSymLink());
      QVERIFY(readBytes(description.filePath()).contains("Demo name   : " + demo.toLatin1()));
    }
    QCOMPARE(temporariesIn(demos.path()), QStringList());
  }

  // Settings and packs are read only when they are regular files; anything else is said and
  // the program starts with its defaults. The colours are saved as a whole file.
  void settingsThatAreNoFilesLeaveTheDefaults_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("message");  // with %1 for the pack, %2 for the settings
    QTest::newRow("a pipe as obitrak.cfg")
        << QStringLiteral("settings pipe")
        << QStringLiteral("Could not read the HTML colours from %2: Not a regular file");
    QTest::newRow("a pipe as the saved pack")
        << QStringLiteral("pack pipe")
        << QStringLiteral("Could not load the death messages of %1: Not a regular file");
    QTest::newRow("a folder as the saved pack")
        << QStringLiteral("pack folder")
        << QStringLiteral("Could not load the death messages of %1: Is a folder");
  }

  void settingsThatAreNoFilesLeaveTheDefaults() {
    QFETCH(QString, what);
    QFETCH(QString, message);
    MessageRecorder recorder;
    TestApp app;
    const QString pack = app.file(QStringLiteral("mod.pack"));
    if (what == QLatin1String("settings pipe")) {
      QCOMPARE(::mkfifo(QFile::encodeName(app.settingsFile()).constData(), 0600), 0);
    } else {
      if (what == QLatin1String("pack pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(pack).constData(), 0600), 0);
      } else {
        QVERIFY(QDir(app.dir.path()).mkdir(QStringLiteral("mod.pack")));
      }
      QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"))
          .setValue(QStringLiteral("deathMessages/pack"), pack);
    }
    app.showActive();
    QCOMPARE(recorder.messages,
             QStringList{QString(message)
                             .replace(QStringLiteral("%1"), pack)
                             .replace(QStringLiteral("%2"), app.settingsFile())});
    QCOMPARE(app.state().htmlColors, HtmlColorSet::defaults());
    QVERIFY(!app.state().phrasePack.has_value());
  }

  void savedColoursReplaceALinkNotItsTarget() {
    MessageRecorder recorder;  // the link's target is read as settings too short to use
    TestApp app;
    writeBytes(app.file(QStringLiteral("victim")), kSecret.toStdString());
    QVERIFY(QFile::link(QStringLiteral("victim"), app.settingsFile()));
    app.showActive();
    menuItem(app.form(), "HTMLColors1")->trigger();
    app.windows->htmlColors().close();
    QCOMPARE(readBytes(app.file(QStringLiteral("victim"))), kSecret.toLatin1());
    QVERIFY(!QFileInfo(app.settingsFile()).isSymLink());
    QCOMPARE(readBytes(app.settingsFile()).size(), qsizetype{24});
  }
};

OBITRAK_UI_TEST_MAIN(HostileFilesTest)
#include "HostileFilesTest.moc"
