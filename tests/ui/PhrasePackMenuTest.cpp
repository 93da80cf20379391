// "Options > Death messages…": choosing a death-message pack, keeping the choice between
// runs, and analysing the loaded demo again with it.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSettings>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "scan/PackChoice.h"
#include "scan/PhrasePack.h"
#include "ui/WeaponsStatsWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

// The words of the mod in modDemo().
const std::string kModPack =
    "# The mod's death messages\n"
    "kill RL \"was spread around the place by\"\n"
    "self \"tripped over\" \"own feet\"\n";

// Ann's row of the duel: her self-kills, her kills of Bob and her totals.
QStringList annRow(ui::MainWindow& form) {
  return {cell(form, 1, 1), cell(form, 2, 1), cell(form, 3, 1)};
}

const QStringList kBuiltInRow = {QStringLiteral("0"), QStringLiteral("1"),
                                 QStringLiteral("1 (1 / 0)")};
const QStringList kPackRow = {QStringLiteral("1"), QStringLiteral("3"),
                              QStringLiteral("2 (3 / 1)")};

QString storedPack() {
  return QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"))
      .value(QStringLiteral("deathMessages/pack"))
      .toString();
}

QLabel* packLabel(ui::MainWindow& form) {
  return form.findChild<QLabel*>(QStringLiteral("PhrasePackLabel"));
}

// A bundled pack of a mod with weapons and hit locations of its own, for the game
// directory "modx", and a demo of that directory: Ann shoots Bob in the head, then stabs him.
const std::string kBundledPack =
    "games modx\n"
    "weapon PST \"Pistol\"\n"
    "weapon KNF \"Knife\"\n"
    "kill PST head \"has a hole in\"\n"
    "kill KNF \"was stabbed by\"\n";

std::string bundledModDemo() {
  tools::DemoWriter w;
  w.serverData(34, "modx", 0, "Test Yard").player(0, "Ann", "male/grunt");
  w.player(1, "Bob", "female/athena").endBlock();
  w.print(1, "Bob has a hole in his head from Ann\n").endBlock();
  w.print(1, "Bob was stabbed by Ann\n").endBlock();
  return w.finish();
}

void choosePack(TestApp& app, const QString& path) {
  app.chooseOnOpen(path);
  menuItem(app.form(), "DeathMessages1")->trigger();
}

}  // namespace

class PhrasePackMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { clearUserSettings(); }

  void chosenPackAnalysesTheLoadedDemoAgain() {
    TestApp app;
    app.showActive();
    app.open(app.demo(QStringLiteral("mod.dm2"), modDemo()));
    QCOMPARE(annRow(app.form()), kBuiltInRow);
    QVERIFY(!packLabel(app.form())->isVisible());

    const QString pack = app.demo(QStringLiteral("mod.pack"), kModPack);
    choosePack(app, pack);
    QCOMPARE(app.openRequests.back().name, QStringLiteral("OpenPhrasePack"));
    QCOMPARE(annRow(app.form()), kPackRow);
    QCOMPARE(packLabel(app.form())->text(), QStringLiteral("Death messages: mod.pack"));
    QVERIFY(packLabel(app.form())->isVisible());
    QCOMPARE(storedPack(), pack);

    // The next scan uses the pack too.
    app.open(app.demo(QStringLiteral("again.dm2"), modDemo()));
    QCOMPARE(annRow(app.form()), kPackRow);
  }

  // A pack that counts the deaths the built-in phrases missed clears the scoreboard notice,
  // and going back to the built-in phrases brings it back.
  void scoreboardNoticeFollowsTheCount() {
    TestApp app;
    app.open(app.demo(QStringLiteral("mod.dm2"), withBoard(modDemo(), "client 0 0 0 2 5 1")));
    auto* notice = app.form().findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    const QString shortfall =
        QStringLiteral("Counted frags differ from the scoreboard: see the log's uncounted deaths");
    QCOMPARE(notice->text(), shortfall);
    choosePack(app, app.demo(QStringLiteral("mod.pack"), kModPack));
    QCOMPARE(notice->text(), QString());
    menuItem(app.form(), "BuiltInDeathMessages1")->trigger();
    QCOMPARE(notice->text(), shortfall);
  }

  // The re-analysis keeps the weapon chosen in the filter.
  void reanalysisKeepsTheWeaponFilter() {
    TestApp app;
    app.open(app.demo(QStringLiteral("mod.dm2"), modDemo()));
    auto* filter = app.form().findChild<QComboBox*>(QStringLiteral("WeaponList"));
    filter->setCurrentIndex(7);
    emit filter->activated(7);
    QCOMPARE(cell(app.form(), 2, 1), QStringLiteral("0"));

    choosePack(app, app.demo(QStringLiteral("mod.pack"), kModPack));
    QCOMPARE(filter->currentIndex(), 7);
    QCOMPARE(cell(app.form(), 2, 1), QStringLiteral("2"));
  }

  void choiceSurvivesARestart() {
    TestApp first;
    const QString pack = first.demo(QStringLiteral("mod.pack"), kModPack);
    choosePack(first, pack);

    TestApp second;
    second.showActive();
    QCOMPARE(second.state().phrasePackPath, pack);
    QCOMPARE(packLabel(second.form())->text(), QStringLiteral("Death messages: mod.pack"));
    second.open(second.demo(QStringLiteral("mod.dm2"), modDemo()));
    QCOMPARE(annRow(second.form()), kPackRow);
  }

  // A kept pack that no longer loads is reported once; the built-in phrases are used.
  void keptPackThatNoLongerLoads() {
    TestApp first;
    const QString pack = first.demo(QStringLiteral("mod.pack"), kModPack);
    choosePack(first, pack);
    QFile::remove(pack);

    MessageRecorder recorder;
    TestApp second;
    second.showActive();
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].startsWith("Could not load the death messages of " + pack),
             qPrintable(recorder.messages[0]));
    QVERIFY(!second.state().phrasePack);
    second.form().activateWindow();
    QCOMPARE(recorder.messages.size(), 1);
    second.open(second.demo(QStringLiteral("mod.dm2"), modDemo()));
    QCOMPARE(annRow(second.form()), kBuiltInRow);
  }

  // A pack in error is reported and changes nothing: the pack in use, the setting and the
  // loaded demo's counts stay.
  void badPackChangesNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown weapon")
        << QStringLiteral("bad.pack") << QByteArray("# mod\nkill 13 \"was spread\"\n")
        << QStringLiteral("bad.pack:2: unknown weapon \"13\"");
    QTest::newRow("missing file") << QStringLiteral("gone.pack") << QByteArray()
                                  << QStringLiteral("gone.pack: File not found");
  }

  void badPackChangesNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    TestApp app;
    const QString good = app.demo(QStringLiteral("mod.pack"), kModPack);
    choosePack(app, good);
    app.open(app.demo(QStringLiteral("mod.dm2"), modDemo()));
    if (!bytes.isEmpty()) app.demo(name, bytes.toStdString());
    MessageRecorder recorder;

    choosePack(app, app.file(name));
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].endsWith(error), qPrintable(recorder.messages[0]));
    QCOMPARE(app.state().phrasePackPath, good);
    QCOMPARE(storedPack(), good);
    QCOMPARE(annRow(app.form()), kPackRow);
  }

  void builtInPhrasesOnly() {
    TestApp app;
    // The bundled packs by game directory are the choice at start.
    QVERIFY(!menuItem(app.form(), "GameDirDeathMessages1")->isEnabled());
    choosePack(app, app.demo(QStringLiteral("mod.pack"), kModPack));
    app.open(app.demo(QStringLiteral("mod.dm2"), modDemo()));
    QVERIFY(menuItem(app.form(), "BuiltInDeathMessages1")->isEnabled());

    menuItem(app.form(), "BuiltInDeathMessages1")->trigger();
    QCOMPARE(annRow(app.form()), kBuiltInRow);
    QVERIFY(!app.state().phrasePack);
    QVERIFY(packLabel(app.form())->isHidden());
    QVERIFY(storedPack().isEmpty());
    QVERIFY(!menuItem(app.form(), "BuiltInDeathMessages1")->isEnabled());
  }

  // The chooser starts in the packs installed beside the program, when they are there.
  void chooserStartsInTheInstalledPacks_data() {
    QTest::addColumn<bool>("installed");
    QTest::newRow("installed packs") << true;
    QTest::newRow("none") << false;
  }

  void chooserStartsInTheInstalledPacks() {
    QFETCH(bool, installed);
    QTemporaryDir prefix;
    const QString packs = prefix.filePath(QStringLiteral("share/obitrak/packs"));
    if (installed) QDir().mkpath(packs);
    ui::AppWindows windows(
        {}, QFile::encodeName(prefix.filePath(QStringLiteral("bin/obitrak"))).toStdString());
    QString start = QStringLiteral("<no dialog>");
    windows.mainWindow().setOpenDialog([&](QWidget*, const ui::FileDialogRequest& request) {
      start = request.fileName;
      return std::optional<QString>();
    });
    menuItem(windows.mainWindow(), "DeathMessages1")->trigger();
    QCOMPARE(start, installed ? packs + QLatin1Char('/') : QString());
  }

  // A demo of a bundled pack's game directory is counted with it: the weapon filter, the
  // weapons window and the status bar follow its weapons, until the user chooses the
  // built-in phrases only, and "Death messages by game directory" brings it back.
  void gameDirectoryChoosesTheBundledPack() {
    TestApp app;
    app.showActive();
    QDir().mkpath(app.file(QStringLiteral("packs")));
    app.demo(QStringLiteral("packs/mod.pack"), kBundledPack);
    app.state().bundledPacks = std::make_shared<const PackShelf>(
        LoadPackShelf(app.file(QStringLiteral("packs")).toStdString()).shelf);
    app.open(app.demo(QStringLiteral("mod.dm2"), bundledModDemo()));
    auto* filter = app.form().findChild<QComboBox*>(QStringLiteral("WeaponList"));
    const QStringList own{QStringLiteral("All weapons"), QStringLiteral("Pistol"),
                          QStringLiteral("Knife")};
    QStringList items;
    for (int i = 0; i < filter->count(); ++i) items << filter->itemText(i);
    QCOMPARE(items, own);
    QCOMPARE(packLabel(app.form())->text(), QStringLiteral("Death messages: mod.pack"));
    QCOMPARE(annRow(app.form()).last(), QStringLiteral("2 (2 / 0)"));

    ui::WeaponsStatsWindow window(app.state());
    window.refillNow();
    QCOMPARE(window.model().cellText(2, 0), QStringLiteral("Headshots"));
    QCOMPARE(window.model().cellText(0, 2), QStringLiteral("Knife"));
    QCOMPARE(window.model().cellText(2, 1), QStringLiteral("1"));
    QCOMPARE(window.headshotModel().cellText(0, 1), QStringLiteral("Ann"));
    QCOMPARE(window.headshotModel().cellText(2, 1), QStringLiteral("1"));

    menuItem(app.form(), "BuiltInDeathMessages1")->trigger();
    QCOMPARE(filter->count(), 13);
    QVERIFY(packLabel(app.form())->isHidden());
    window.refillNow();
    QCOMPARE(window.model().columnCount(), 2);
    QCOMPARE(window.headshotModel().rowCount(), 0);
    menuItem(app.form(), "GameDirDeathMessages1")->trigger();
    QCOMPARE(filter->count(), 3);
    QVERIFY(!menuItem(app.form(), "GameDirDeathMessages1")->isEnabled());
  }

  // Cancelling the chooser keeps the pack in use.
  void cancelledChoiceChangesNothing() {
    TestApp app;
    const QString pack = app.demo(QStringLiteral("mod.pack"), kModPack);
    choosePack(app, pack);
    choosePack(app, QString());
    QCOMPARE(app.state().phrasePackPath, pack);
    QCOMPARE(storedPack(), pack);
  }
};

OBITRAK_UI_TEST_MAIN(PhrasePackMenuTest)
#include "PhrasePackMenuTest.moc"
