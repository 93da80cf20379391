// The File menu's exports run with an injected save choice and compared byte for byte with
// what the core writes for the same demo; cancelled dialogs, the command-line switches and
// failures.

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "export/HtmlExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

std::string bytesOf(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// What the core writes for `demo` through `write` into a file of the temporary folder.
QByteArray coreExport(const QString& demo,
                      const std::function<void(DemoTables&, const std::string&)>& write) {
  QTemporaryDir dir;
  DemoTables tables;
  DemoScan(tables, bytesOf(demo));
  const QString out = dir.filePath(QStringLiteral("core.out"));
  write(tables, bytesOf(out));
  return readBytes(out);
}

QStringList filesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files, QDir::Name);
}

}  // namespace

class ExportMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void textDescriptionIsTheCoresBytes() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("teams.dm2"), teamDemo());
    app.open(demo);
    const QString out = app.file(QStringLiteral("chosen description"));
    app.chooseOnSave(out);
    menuItem(app.form(), "Exportdescription1")->trigger();

    QCOMPARE(app.saveRequests.size(), std::size_t{1});
    const ui::FileDialogRequest& request = app.saveRequests[0];
    QCOMPARE(request.name, QStringLiteral("SaveDescr"));
    QCOMPARE(request.filter, QStringLiteral("All files|*.*|Text files|*.txt"));
    QCOMPARE(request.selectedFilter, 2);
    QCOMPARE(request.fileName, app.file(QStringLiteral("teams.txt")));
    QCOMPARE(readBytes(out), coreExport(demo, [&](DemoTables& t, const std::string& path) {
               recomputeAllWeapons(t, false);
               ExportTextDescription(t, bytesOf(demo), false, path);
             }));
  }

  void textDescriptionInTeamPlayCountsTeams() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("teams.dm2"), teamDemo());
    app.open(demo);
    QTest::mouseClick(app.form().findChild<QCheckBox*>(QStringLiteral("TeamC")), Qt::LeftButton);
    const QString out = app.file(QStringLiteral("tp.txt"));
    app.chooseOnSave(out);
    menuItem(app.form(), "Exportdescription1")->trigger();
    // The core goes the same way: the box's team-play tally, then the export.
    const QByteArray expected = coreExport(demo, [&](DemoTables& t, const std::string& path) {
      TallyTeamPlay(t, 0);
      recomputeAllWeapons(t, true);
      ExportTextDescription(t, bytesOf(demo), true, path);
    });
    QCOMPARE(readBytes(out), expected);
    QVERIFY(expected.contains("TEAM TOTAL"));
  }

  void htmlDescriptionIsTheCoresBytesInTheCurrentColours() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    app.state().htmlColors[HtmlColorSet::Background] = 0x123456;
    const QString out = app.file(QStringLiteral("page.htm"));
    app.chooseOnSave(out);
    menuItem(app.form(), "ExportdescriptiontoHTML1")->trigger();

    const ui::FileDialogRequest& request = app.saveRequests.at(0);
    QCOMPARE(request.name, QStringLiteral("SaveHTML"));
    QCOMPARE(request.filter, QStringLiteral("All files|*.*|Web pages|*.htm"));
    QCOMPARE(request.selectedFilter, 2);
    QCOMPARE(request.fileName, app.file(QStringLiteral("duel.htm")));
    HtmlColorSet colours = HtmlColorSet::defaults();
    colours[HtmlColorSet::Background] = 0x123456;
    const QByteArray expected = coreExport(demo, [&](DemoTables& t, const std::string& path) {
      recomputeAllWeapons(t, false);
      ExportHtmlDescription(t, bytesOf(demo), false, colours, path);
    });
    QCOMPARE(readBytes(out), expected);
    QVERIFY(expected.contains("bgcolor=\"#563412\""));
  }

  void logIsTheCoresBytes() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    const QString out = app.file(QStringLiteral("messages"));
    app.chooseOnSave(out);
    menuItem(app.form(), "Exportlog1")->trigger();

    const ui::FileDialogRequest& request = app.saveRequests.at(0);
    QCOMPARE(request.name, QStringLiteral("SaveLog"));
    QCOMPARE(request.filter, QStringLiteral("All files|*.*|Text files|*.log"));
    QCOMPARE(request.selectedFilter, 2);
    QCOMPARE(request.fileName, app.file(QStringLiteral("duel.log")));
    const QByteArray expected =
        coreExport(demo, [](DemoTables& t, const std::string& path) { ExportLog(t, path); });
    QCOMPARE(readBytes(out), expected);
    QVERIFY(expected.startsWith("Bob was railed by Ann\r\n"));
  }

  void cancelledDialogsWriteNothing_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("text") << QStringLiteral("Exportdescription1");
    QTest::newRow("html") << QStringLiteral("ExportdescriptiontoHTML1");
    QTest::newRow("log") << QStringLiteral("Exportlog1");
  }

  void cancelledDialogsWriteNothing() {
    QFETCH(QString, item);
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    app.openDuel();
    app.chooseOnSave(QString());
    menuItem(app.form(), item.toLatin1().constData())->trigger();
    QCOMPARE(app.saveRequests.size(), std::size_t{1});
    QCOMPARE(filesIn(app.dir.path()), QStringList{QStringLiteral("duel.dm2")});
    QCOMPARE(recorder.messages, QStringList());
  }

  void exportsWithoutADemoDoNothing() {
    TestApp app;
    app.showActive();
    for (const char* slot : {"exportDescription", "exportHtmlDescription", "exportLog"}) {
      QMetaObject::invokeMethod(&app.form(), slot);
    }
    QVERIFY(app.saveRequests.empty());
    QCOMPARE(filesIn(app.dir.path()), QStringList());
  }

  void descrSwitchWritesEveryTextExportWithoutAsking() {
    QTemporaryDir demos;
    const QString demo = demos.filePath(QStringLiteral("duel.dm2"));
    writeBytes(demo, duelDemo());
    TestApp app({demo, QStringLiteral("-descr")});
    app.showActive();
    const QString written = demos.filePath(QStringLiteral("duel.txt"));
    QFile::remove(written);
    menuItem(app.form(), "Exportdescription1")->trigger();
    QVERIFY(app.saveRequests.empty());
    QVERIFY(QFile::exists(written));
    // The other exports still ask.
    menuItem(app.form(), "ExportdescriptiontoHTML1")->trigger();
    QCOMPARE(app.saveRequests.size(), std::size_t{1});
  }

  void webSwitchWritesTheHtmlWithoutAsking() {
    QTemporaryDir demos;
    const QString demo = demos.filePath(QStringLiteral("duel.dm2"));
    writeBytes(demo, duelDemo());
    TestApp app({demo, QStringLiteral("-web")});
    app.showActive();
    // Start-up scans the demo but writes nothing.
    QCOMPARE(filesIn(demos.path()), QStringList{QStringLiteral("duel.dm2")});
    menuItem(app.form(), "ExportdescriptiontoHTML1")->trigger();
    QVERIFY(app.saveRequests.empty());
    QCOMPARE(readBytes(demos.filePath(QStringLiteral("duel.htm"))),
             coreExport(demo, [&](DemoTables& t, const std::string& path) {
               recomputeAllWeapons(t, false);
               ExportHtmlDescription(t, bytesOf(demo), false, HtmlColorSet::defaults(), path);
             }));
    menuItem(app.form(), "Exportdescription1")->trigger();
    QCOMPARE(app.saveRequests.size(), std::size_t{1});
  }

  void everyExportShowsWhyItFailed_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    for (const char* item : {"Exportdescription1", "ExportdescriptiontoHTML1", "Exportlog1"}) {
      const QString name = QString::fromLatin1(item);
      QTest::newRow(qPrintable(name + " full disk"))
          << name << QStringLiteral("/dev/full") << QStringLiteral("Disk full");
      QTest::newRow(qPrintable(name + " missing folder"))
          << name << QStringLiteral("missing/out.txt") << QStringLiteral("Folder not found");
      QTest::newRow(qPrintable(name + " folder"))
          << name << QStringLiteral("folder") << QStringLiteral("Is a folder");
    }
  }

  void everyExportShowsWhyItFailed() {
    QFETCH(QString, item);
    QFETCH(QString, target);
    QFETCH(QString, message);
    if (target.startsWith('/') && !QFile::exists(target)) QSKIP("no /dev/full here");
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    QDir(app.dir.path()).mkdir(QStringLiteral("folder"));
    const QString path = target.startsWith('/') ? target : app.file(target);
    app.chooseOnSave(path);
    menuItem(app.form(), item.toLatin1().constData())->trigger();
    // The message names the export and the file.
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].startsWith(QStringLiteral("Could not export the ")) &&
                 recorder.messages[0].endsWith(" to " + path + ": " + message),
             qPrintable(recorder.messages[0]));
    // The program goes on with the demo it had.
    QCOMPARE(app.form().windowTitle(), demo);
    QVERIFY(menuItem(app.form(), item.toLatin1().constData())->isEnabled());
  }

  // The status bar says what was written where.
  void writtenExportIsNamedInTheStatusBar() {
    TestApp app;
    app.showActive();
    app.openDuel();
    const QString target = app.file(QStringLiteral("match.htm"));
    app.chooseOnSave(target);
    menuItem(app.form(), "ExportdescriptiontoHTML1")->trigger();
    QCOMPARE(app.form().statusBar()->currentMessage(), "HTML description written to " + target);
    QCOMPARE(app.saveRequests.back().defaultSuffix, QStringLiteral("htm"));
  }

  // The platform's save dialog asks before it replaces a file, and a name typed without an
  // extension gets the export's.
  void saveDialogConfirmsAndAddsTheExtension() {
    QTemporaryDir dir;
    bool confirms = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      dialog->selectFile(dir.filePath(QStringLiteral("report")));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<QString> chosen = ui::runSaveFileDialog(
        nullptr, {QStringLiteral("SaveDescr"), QStringLiteral("All files|*.*|Text files|*.txt"), 2,
                  QString(), QStringLiteral("txt")});
    QVERIFY(confirms);
    QCOMPARE(chosen, std::optional<QString>(dir.filePath(QStringLiteral("report.txt"))));
  }

  void failedWriteIsShownAndTheProgramGoesOn() {
    MessageRecorder recorder;
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    app.chooseOnSave(app.file(QStringLiteral("no such folder/duel.log")));
    menuItem(app.form(), "Exportlog1")->trigger();
    QCOMPARE(recorder.messages, QStringList{"Could not export the log to " +
                                            app.file(QStringLiteral("no such folder/duel.log")) +
                                            ": Folder not found"});
    QCOMPARE(app.form().windowTitle(), demo);
    app.chooseOnSave(app.file(QStringLiteral("duel.log")));
    menuItem(app.form(), "Exportlog1")->trigger();
    QVERIFY(QFile::exists(app.file(QStringLiteral("duel.log"))));
  }
};

OBITRAK_UI_TEST_MAIN(ExportMenuTest)
#include "ExportMenuTest.moc"
