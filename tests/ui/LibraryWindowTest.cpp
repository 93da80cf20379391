#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "UiTestSupport.h"
#include "export/SummaryExport.h"
#include "library/Sqlite.h"
#include "ui/AppWindows.h"
#include "ui/LibraryDemoModel.h"
#include "ui/LibraryPlayersModel.h"
#include "ui/LibraryWindow.h"

using namespace obitrak;
using namespace obitrak::ui;
using namespace obitrak::uitest;

// A folder of three demos (one in a subfolder), a damaged archive, three files with a demo's
// name that are no demos and a text, a library beside it, and the library window on them.
class LibraryWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  AppState m_state;
  std::unique_ptr<LibraryWindow> m_window;
  QStringList m_opened;

  QString folder() const { return m_dir.filePath(QStringLiteral("demos")); }

  void openWindow() {
    m_window = std::make_unique<LibraryWindow>(
        m_state, m_dir.filePath(QStringLiteral("library.sqlite")).toStdString());
    m_window->setFolderDialog([this](QWidget*) { return std::optional<QString>(folder()); });
    m_window->setOpenDemo([this](const QString& path) { m_opened << path; });
    m_window->show();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->indexing(), 20000);
    QTRY_VERIFY(!m_window->summaryPending());
  }

  QTableView& table() { return *m_window->findChild<QTableView*>(QStringLiteral("LibraryDemos")); }

  // The text of a shown row's cell.
  QString shown(int row, LibraryColumn column) {
    return m_window->demos().index(row, static_cast<int>(column)).data().toString();
  }

  int shownRowOf(const QString& file) {
    for (int r = 0; r < m_window->demos().rowCount(); ++r) {
      if (shown(r, LibraryColumn::File) == file) return r;
    }
    return -1;
  }

 private slots:
  void initTestCase() {
    clearUserSettings();
    QDir(m_dir.path()).mkpath(QStringLiteral("demos/sub"));
    writeBytes(folder() + QStringLiteral("/duel.dm2"), duelDemo());
    writeBytes(folder() + QStringLiteral("/team.DM2"), teamDemo());
    writeBytes(folder() + QStringLiteral("/sub/idle.dm2"), idleDemo());
    writeBytes(folder() + QStringLiteral("/notes.txt"), "not a demo");
    writeBytes(folder() + QStringLiteral("/broken.dm2.gz"),
               std::string("\x1f\x8b\x08\x00\0\0\0\0\0\x03 damaged", 18));
    writeBytes(folder() + QStringLiteral("/renamed.dm2"), "# notes, not a demo\n");
    writeBytes(folder() + QStringLiteral("/empty.dm2"), "");
    writeBytes(folder() + QStringLiteral("/cut.dm2"), duelDemo().substr(0, 30));
    openWindow();
    m_window->addFolder();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->indexing(), 20000);
    QTRY_VERIFY(!m_window->summaryPending());
  }

  void rowsShowTheDemos_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("players");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QString>("frags");
    QTest::newRow("duel") << "duel.dm2"
                          << "2"
                          << "Ann"
                          << "2";
    QTest::newRow("team, upper-case extension") << "team.DM2"
                                                << "4"
                                                << "Dee"
                                                << "5";
    QTest::newRow("nobody fought, in a subfolder") << "idle.dm2"
                                                   << "0"
                                                   << ""
                                                   << "";
  }

  void rowsShowTheDemos() {
    QFETCH(QString, file);
    QCOMPARE(m_window->demos().demoCount(), 7);
    const int row = shownRowOf(file);
    QVERIFY(row >= 0);
    QCOMPARE(shown(row, LibraryColumn::Map), QStringLiteral("Test Yard"));
    QCOMPARE(shown(row, LibraryColumn::Version), QStringLiteral("3.18/3.19/3.20"));
    QTEST(shown(row, LibraryColumn::Players), "players");
    QTEST(shown(row, LibraryColumn::Winner), "winner");
    QTEST(shown(row, LibraryColumn::WinnerFrags), "frags");
  }

  // A damaged archive and the files that are no demos are listed as unreadable, with why in
  // a column and in every cell's tool tip, and counted so.
  void unreadableDemosSayWhy() {
    for (const auto& [file, why] : {std::pair{"broken.dm2.gz", "Unreadable: Damaged gzip data"},
                                    {"renamed.dm2", "Unreadable: Not a Quake 2 demo"},
                                    {"empty.dm2", "Unreadable: Not a Quake 2 demo"},
                                    {"cut.dm2", "Unreadable: Not a Quake 2 demo"}}) {
      const int row = shownRowOf(QString::fromLatin1(file));
      QVERIFY2(row >= 0, file);
      QVERIFY(shown(row, LibraryColumn::LevelMessage).startsWith(QString::fromLatin1(why)));
      const auto map = m_window->demos().index(row, static_cast<int>(LibraryColumn::Map));
      QVERIFY(map.data(Qt::ToolTipRole).toString().startsWith(QString::fromLatin1(why)));
    }
    QCOMPARE(m_window->summary().unreadable, 4);
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("IndexStatus"))
                ->text()
                .contains(QStringLiteral("4 unreadable")));
  }

  void everyColumnSorts() {
    const auto& model = m_window->demos();
    for (int c = 0; c < static_cast<int>(LibraryColumn::Count); ++c) {
      table().sortByColumn(c, Qt::DescendingOrder);
      for (int r = 1; r < model.rowCount(); ++r) {
        QVERIFY2(!libraryRowLess(model.row(r - 1), model.row(r), static_cast<LibraryColumn>(c)),
                 qPrintable(QStringLiteral("column %1 row %2").arg(c).arg(r)));
      }
    }
  }

  void filterMatchesFileMapAndPlayers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("nothing") << "" << 7;
    QTest::newRow("a player in two demos, any case") << "aNN" << 2;
    QTest::newRow("a player in one") << "lone" << 1;
    QTest::newRow("a file name") << "team" << 1;
    QTest::newRow("the map") << "test yard" << 3;
    QTest::newRow("nobody") << "zed" << 0;
  }

  void filterMatchesFileMapAndPlayers() {
    QFETCH(QString, text);
    m_window->findChild<QLineEdit*>(QStringLiteral("LibraryFilter"))->setText(text);
    QTEST(m_window->demos().rowCount(), "rows");
    m_window->findChild<QLineEdit*>(QStringLiteral("LibraryFilter"))->clear();
  }

  void playersTabTotalsTheSelection() {
    QCOMPARE(m_window->summary().demos.size(), std::size_t{3});
    QCOMPARE(m_window->players().rowCount(), static_cast<int>(m_window->summary().players.size()));
    table().selectRow(shownRowOf(QStringLiteral("duel.dm2")));
    QTRY_VERIFY(!m_window->summaryPending() && m_window->summary().demos.size() == 1);
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("SummaryStatus"))->text(),
             QStringLiteral("Totals of 1 selected demo"));
    const Summary& s = m_window->summary();
    QCOMPARE(s.players.front().name, std::string("Ann"));
    const QModelIndex ann = m_window->players().index(0, 0);
    // Railgun kills, and Bob as the one opponent.
    QCOMPARE(m_window->players().rowCount(ann), 2);
    QCOMPARE(m_window->players().index(1, LibraryPlayersModel::Kills, ann).data().toString(),
             QStringLiteral("3"));
    table().clearSelection();
    QTRY_VERIFY(!m_window->summaryPending() && m_window->summary().demos.size() == 3);
  }

  void enterOpensTheDemo() {
    const int row = shownRowOf(QStringLiteral("duel.dm2"));
    table().setCurrentIndex(m_window->demos().index(row, 0));
    table().setFocus();
    QTest::keyClick(&table(), Qt::Key_Return);
    QCOMPARE(m_opened, QStringList{QDir(folder()).absoluteFilePath(QStringLiteral("duel.dm2"))});
    table().clearSelection();
  }

  void exportFollowsTheFileName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("text") << "season.txt" << QByteArray("Demo summary generated by");
    QTest::newRow("web page") << "season.htm" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("JSON") << "season.json" << QByteArray("{\n  \"format\": \"obitrak-summary\",");
  }

  void exportFollowsTheFileName() {
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    const QString target = m_dir.filePath(name);
    m_window->setSaveDialog(
        [&](QWidget*, const FileDialogRequest&) { return std::optional<QString>(target); });
    m_window->findChild<QPushButton*>(QStringLiteral("ExportSummary"))->click();
    QTRY_VERIFY(QFile::exists(target));
    QVERIFY(readBytes(target).startsWith(start));
  }

  // New rows of a sorted table go where the order puts them; the selection stays on its demo.
  void sortedRowsKeepTheSelection() {
    LibraryDemoModel model;
    QTableView view;
    view.setModel(&model);
    auto rowOf = [](const char* path) {
      LibraryRow row;
      row.path = path;
      return row;
    };
    model.upsert({rowOf("/d/c.dm2"), rowOf("/d/a.dm2")});
    model.sort(static_cast<int>(LibraryColumn::File), Qt::AscendingOrder);
    view.selectRow(1);
    model.upsert({rowOf("/d/b.dm2"), rowOf("/d/0.dm2")});
    QStringList files;
    for (int r = 0; r < model.rowCount(); ++r) files << model.index(r, 0).data().toString();
    QCOMPARE(files, (QStringList{"0.dm2", "a.dm2", "b.dm2", "c.dm2"}));
    QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(view.selectionModel()->selectedRows().front().row(), 3);
  }

  void cancelUpdateAndRemoveAFolder() {
    const QString more = m_dir.filePath(QStringLiteral("more"));
    QDir().mkpath(more);
    for (int i = 0; i < 20; ++i)
      writeBytes(more + QStringLiteral("/m%1.dm2").arg(i), i % 2 == 0 ? duelDemo() : teamDemo());
    m_window->setFolderDialog([&](QWidget*) { return std::optional<QString>(more); });
    m_window->addFolder();
    m_window->cancelIndexing();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->indexing(), 20000);
    auto* status = m_window->findChild<QLabel*>(QStringLiteral("IndexStatus"));
    QVERIFY2(status->text().contains(QStringLiteral("(cancelled)")), qPrintable(status->text()));
    QCOMPARE(m_window->demos().demoCount(), 7);

    m_window->findChild<QPushButton*>(QStringLiteral("IndexFolders"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->indexing() && m_window->demos().demoCount() == 27, 20000);
    m_window->findChild<QListWidget*>(QStringLiteral("LibraryFolders"))->setCurrentRow(1);
    m_window->findChild<QPushButton*>(QStringLiteral("RemoveFolder"))->click();
    QCOMPARE(m_window->folders(), QStringList{folder()});
    QTRY_COMPARE(m_window->demos().demoCount(), 7);
  }

  void nextOpeningReusesTheLibrary() {
    openWindow();
    QCOMPARE(m_window->folders(), QStringList{folder()});
    QCOMPARE(m_window->demos().rowCount(), 7);
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("IndexStatus"))
                ->text()
                .contains(QStringLiteral("3 unchanged")));
  }

  // Values that no scan writes, put in the library by other hands: the window shows none of
  // them, and its update scans those demos again and says so.
  void aDamagedLibraryIsScannedAgain() {
    m_window.reset();
    SqliteDb(m_dir.filePath(QStringLiteral("library.sqlite")).toStdString())
        .exec(
            "UPDATE players SET slot = 1000 WHERE slot = 1;"
            "UPDATE demos SET kill_counts = x'C8010001000000', player_count = -1");
    openWindow();
    QCOMPARE(m_window->demos().rowCount(), 7);
    const QString status = m_window->findChild<QLabel*>(QStringLiteral("IndexStatus"))->text();
    QVERIFY2(status.contains(QStringLiteral("3 stored results did not hold")), qPrintable(status));
  }

  void menuOpensTheWindow() {
    TestApp app;
    app.showActive();
    menuItem(app.form(), "DemoLibrary1")->trigger();
    QVERIFY(app.windows->library().isVisible());
    QCOMPARE(app.windows->library().windowTitle(), QStringLiteral("Demo library"));
    LibraryWindow& library = app.windows->library();
    QTRY_VERIFY_WITH_TIMEOUT(!library.indexing() && library.demos().rowCount() == 7, 20000);
    // Enter on a demo opens it in the main window as "Open DM2" does.
    auto* demos = library.findChild<QTableView*>(QStringLiteral("LibraryDemos"));
    for (int r = 0; r < library.demos().rowCount(); ++r) {
      if (library.demos().index(r, 0).data().toString() == QStringLiteral("duel.dm2"))
        demos->setCurrentIndex(library.demos().index(r, 0));
    }
    QTest::keyClick(demos, Qt::Key_Return);
    const QString duel = QDir(folder()).absoluteFilePath(QStringLiteral("duel.dm2"));
    QCOMPARE(app.form().demoPath(), duel);
    QCOMPARE(app.form().windowTitle(), duel);
  }

  // An empty library has an empty bar that says so and nothing to export. Without
  // XDG_DATA_HOME and HOME the library goes to the account's home folder; where there is no
  // place at all, the window says so and offers nothing.
  void emptyLibraryAndNoLibrary() {
    clearUserSettings();
    LibraryWindow empty(m_state, m_dir.filePath(QStringLiteral("empty.sqlite")).toStdString());
    empty.show();
    QTRY_VERIFY_WITH_TIMEOUT(!empty.indexing(), 20000);
    QCOMPARE(empty.findChild<QProgressBar*>()->text(), QStringLiteral("No demos"));
    QVERIFY(!empty.findChild<QPushButton*>(QStringLiteral("ExportSummary"))->isEnabled());

    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QByteArray home = qgetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    const QString path = QString::fromStdString(desktopLibraryPath());
    qputenv("XDG_DATA_HOME", dataHome);
    qputenv("HOME", home);
    QVERIFY2(path.startsWith('/') && path.endsWith("/.local/share/obitrak/library.sqlite"),
             qPrintable(path));
    MessageRecorder recorder;
    LibraryWindow nowhere(m_state, std::string());
    nowhere.show();
    QVERIFY(
        nowhere.findChild<QLabel*>(QStringLiteral("IndexStatus"))->text().startsWith("No place"));
    QVERIFY(!nowhere.findChild<QPushButton*>(QStringLiteral("AddFolder"))->isEnabled());
    QCOMPARE(recorder.messages, QStringList());
  }
};

OBITRAK_UI_TEST_MAIN(LibraryWindowTest)
#include "LibraryWindowTest.moc"
