#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "ui/LibraryPlayersModel.h"
#include "ui/LibraryWindow.h"

using namespace obitrak;
using namespace obitrak::ui;
using namespace obitrak::uitest;

// The duel of Ann and Bob, and a demo in which "ann" beats Bob: two names that may be one
// player.
class LibraryPeopleTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  AppState m_state;
  std::unique_ptr<LibraryWindow> m_window;
  QList<QUrl> m_opened;
  std::string m_shownAs;  // what the name chooser answers; empty: the first name

  QTreeView& tree() { return *m_window->findChild<QTreeView*>(QStringLiteral("LibraryPlayers")); }
  void click(const char* button) {
    QTest::mouseClick(m_window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
  }
  void settle() { QTRY_VERIFY_WITH_TIMEOUT(!m_window->summaryPending(), 20000); }

  // The players' row of `person`, with its number in `column`.
  QModelIndex rowOf(const std::string& person, int column = 0) {
    const QAbstractItemModel* model = tree().model();
    for (int r = 0; r < model->rowCount(); ++r) {
      const QModelIndex i = model->index(r, column);
      if (i.data(LibraryPlayersModel::kPersonRole).toByteArray().toStdString() == person) return i;
    }
    return {};
  }
  void select(const std::vector<std::string>& people) {
    tree().selectionModel()->clearSelection();
    for (const std::string& p : people)
      tree().selectionModel()->select(rowOf(p),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

 private slots:
  void initTestCase() {
    clearUserSettings();
    const QString demos = m_dir.filePath(QStringLiteral("demos"));
    QDir().mkpath(demos);
    writeBytes(demos + QStringLiteral("/duel.dm2"), duelDemo());
    tools::DemoWriter lower;
    lower.serverData(34, "baseq2", 0, "q2dm2")
        .player(0, "ann", "male/grunt")
        .player(1, "Bob", "female/athena")
        .endBlock();
    lower.print(1, "Bob was railed by ann\n").endBlock();
    writeBytes(demos + QStringLiteral("/lower.dm2"), lower.finish());
    m_window = std::make_unique<LibraryWindow>(
        m_state, m_dir.filePath(QStringLiteral("library.sqlite")).toStdString());
    m_window->setFolderDialog([demos](QWidget*) { return std::optional<QString>(demos); });
    m_window->setChooseName([this](QWidget*, const std::vector<std::string>& names) {
      return std::optional<std::string>(m_shownAs.empty() ? names.front() : m_shownAs);
    });
    m_window->setSiteDialog([this](QWidget*) {
      return std::optional<QString>(m_dir.filePath(QStringLiteral("site")));
    });
    m_window->setOpenUrl([this](const QUrl& url) { m_opened << url; });
    m_window->show();
    m_window->addFolder();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->indexing(), 20000);
    settle();
  }

  void playersShowRecordAndRating() {
    QCOMPARE(rowOf("Ann", LibraryPlayersModel::Wins).data().toString(), QStringLiteral("1"));
    QCOMPARE(rowOf("Bob", LibraryPlayersModel::Losses).data().toString(), QStringLiteral("2"));
    QVERIFY(rowOf("Ann", LibraryPlayersModel::Rating).data().toInt() > 1500);
    // Below a player: his kills of and deaths by each opponent.
    QStringList against;
    for (const std::string person : {"Ann", "Bob", "ann"}) {
      const QModelIndex top = rowOf(person);
      for (int r = 0; r < tree().model()->rowCount(top); ++r) {
        const QString label = tree().model()->index(r, 0, top).data().toString();
        if (!label.startsWith(QStringLiteral("against "))) continue;
        against << QString::fromStdString(person) + QStringLiteral(" ") + label +
                       QStringLiteral(" ") +
                       tree().model()->index(r, LibraryPlayersModel::Kills, top).data().toString() +
                       QStringLiteral("/") +
                       tree().model()->index(r, LibraryPlayersModel::Deaths, top).data().toString();
      }
    }
    QCOMPARE(against, QStringList({"Ann against Bob 3/1", "Bob against Ann 1/3",
                                   "Bob against ann 0/1", "ann against Bob 1/0"}));
  }

  void aSuggestionMergesIntoOnePlayerAndSplitGivesTheNamesBack() {
    auto* list = m_window->findChild<QListWidget*>(QStringLiteral("AliasSuggestions"));
    QCOMPARE(list->count(), 1);
    QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Ann + ann")));
    list->setCurrentRow(0);
    click("MergeSuggestion");
    settle();
    QCOMPARE(m_window->aliases().personOf("ann"), std::string("Ann"));
    QCOMPARE(rowOf("Ann", LibraryPlayersModel::Demos).data().toString(), QStringLiteral("2"));
    QCOMPARE(tree().model()->index(0, 0, rowOf("Ann")).data().toString(), QStringLiteral("as ann"));
    QCOMPARE(list->count(), 0);
    QVERIFY(readBytes(m_dir.filePath(QStringLiteral("aliases.txt")))
                .contains("player \"Ann\" \"ann\""));
    select({"Ann"});
    click("SplitPlayer");
    settle();
    QCOMPARE(m_window->aliases().personOf("ann"), std::string("ann"));
  }

  void selectedPlayersMergeUnderTheChosenName() {
    m_shownAs = "Bob";
    select({"Ann", "Bob"});
    click("MergePlayers");
    settle();
    m_shownAs.clear();
    QCOMPARE(m_window->aliases().personOf("Ann"), std::string("Bob"));
    QVERIFY(rowOf("Bob").isValid());
    QVERIFY(!rowOf("Ann").isValid());
  }

  // An aliases file that cannot be read is named, and never written over by a merge.
  void aBrokenAliasesFileIsShownAndKept() {
    QTemporaryDir other;
    const QString aliases = other.filePath(QStringLiteral("aliases.txt"));
    writeBytes(aliases, "player \"Ann\"\nplayer \"Bob\" \"Ann\"\n");
    MessageRecorder recorder;
    LibraryWindow window(m_state, other.filePath(QStringLiteral("library.sqlite")).toStdString());
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY(recorder.messages.front().contains(QStringLiteral("aliases.txt:2:")));
    window.setChooseName([](QWidget*, const std::vector<std::string>& names) {
      return std::optional<std::string>(names.front());
    });
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!window.indexing() && !window.summaryPending(), 20000);
    window.mergeSuggestion();
    window.mergePlayers();
    window.splitPlayer();
    QCOMPARE(readBytes(aliases), QByteArray("player \"Ann\"\nplayer \"Bob\" \"Ann\"\n"));
  }

  void publishWritesTheSiteAndOpensIt() {
    click("PublishSite");
    QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 20000);
    QVERIFY(m_opened.front().toLocalFile().endsWith(QStringLiteral("/site/index.html")));
    QVERIFY(QFile::exists(m_opened.front().toLocalFile()));
    QVERIFY(readBytes(m_dir.filePath(QStringLiteral("site/summary.json"))).contains("\"Bob\""));
  }
};

OBITRAK_UI_TEST_MAIN(LibraryPeopleTest)
#include "LibraryPeopleTest.moc"
