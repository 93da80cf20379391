// The team scores window: the tree of teams and members after a team-play tally, and the
// plus and minus buttons.

#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "stats/Tally.h"
#include "ui/TeamScoresWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

// The team demo in the window, after the tally that the main window runs before showing it.
struct TeamScores {
  TeamScores() {
    app.open(app.demo(QStringLiteral("team.dm2"), teamDemo()));
    TallyTeamPlay(app.state().tables, 0);
    window.refillNow();
  }
  QTreeWidget& tree() { return window.tree(); }
  QPushButton* button(const char* name) {
    return window.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  QList<bool> expanded() {
    QList<bool> states;
    for (int i = 0; i < tree().topLevelItemCount(); ++i) {
      states << tree().topLevelItem(i)->isExpanded();
    }
    return states;
  }

  TestApp app;
  ui::TeamScoresWindow window{app.state()};
};

}  // namespace

class TeamScoresWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsAsDesigned() {
    TestApp app;
    ui::TeamScoresWindow window(app.state());
    QCOMPARE(window.objectName(), QStringLiteral("TeamScores"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Team Scores"));
    QCOMPARE(window.tree().objectName(), QStringLiteral("TV"));
    QCOMPARE(window.tree().geometry(), QRect(8, 40, 377, 225));
    QCOMPARE(window.tree().indentation(), 19);
    QVERIFY(QFontInfo(window.tree().font()).fixedPitch());
    QCOMPARE(window.tree().font().pixelSize(), 13);
    for (const auto& [name, geometry] :
         {std::pair{"ExtractB", QRect(8, 8, 25, 25)}, std::pair{"ReduceB", QRect(40, 8, 25, 25)}}) {
      auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name));
      QVERIFY(b != nullptr);
      QCOMPARE(b->geometry(), geometry);
      QVERIFY(b->text().isEmpty());
      // A white sign with a black outline: white in the middle, black at its left end.
      const QImage picture = b->icon().pixmap(14, 14).toImage();
      QCOMPARE(picture.size(), QSize(14, 14));
      QCOMPARE(picture.pixelColor(7, 7), QColor(Qt::white));
      QCOMPARE(picture.pixelColor(1, 7).rgb(), QColor(Qt::black).rgb());
      QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
    }
    const QImage plus = window.findChild<QPushButton*>("ExtractB")->icon().pixmap(14, 14).toImage();
    const QImage minus = window.findChild<QPushButton*>("ReduceB")->icon().pixmap(14, 14).toImage();
    QCOMPARE(plus.pixelColor(7, 3), QColor(Qt::white));
    QCOMPARE(minus.pixelColor(7, 3).alpha(), 0);
  }

  // Dee (cyborg) leads; Ann and Cid share male/grunt and Cid killed Ann four times; Bob plays
  // alone. Members stand in place order, the team sum may be negative.
  void teamsAndMembersAfterTheTally() {
    TeamScores s;
    QStringList lines;
    for (int i = 0; i < s.tree().topLevelItemCount(); ++i) {
      const QTreeWidgetItem* team = s.tree().topLevelItem(i);
      lines << team->text(0);
      for (int m = 0; m < team->childCount(); ++m) lines << "  " + team->child(m)->text(0);
    }
    QCOMPARE(lines,
             (QStringList{"Team 1 - 5 frags (cyborg/oni911)", "  Dee                  - 5 frags",
                          "Team 2 - -2 frags (male/grunt)", "  Ann                  - 2 frags",
                          "  Cid                  - -4 frags", "Team 3 - 3 frags (female/athena)",
                          "  Bob                  - 3 frags"}));
    // The fixed-pitch font lines up the members' " - ".
    const QFontMetrics metrics(s.tree().font());
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("Dee                  ")),
             metrics.horizontalAdvance(QStringLiteral("NineteenCharactersX  ")));
  }

  void expandAndCollapseEveryTeam() {
    TeamScores s;
    QCOMPARE(s.expanded(), (QList<bool>{false, false, false}));
    QTest::mouseClick(s.button("ExtractB"), Qt::LeftButton);
    QCOMPARE(s.expanded(), (QList<bool>{true, true, true}));
    QTest::mouseClick(s.button("ReduceB"), Qt::LeftButton);
    QCOMPARE(s.expanded(), (QList<bool>{false, false, false}));
    // A refill starts collapsed again.
    QTest::mouseClick(s.button("ExtractB"), Qt::LeftButton);
    s.window.refillNow();
    QCOMPARE(s.expanded(), (QList<bool>{false, false, false}));
  }

  // After a free-for-all tally no player has a team: the tree is empty.
  void emptyWithoutTeamPlay() {
    TeamScores s;
    TallyFreeForAll(s.app.state().tables, 0);
    s.window.refillNow();
    QCOMPARE(s.tree().topLevelItemCount(), 0);
  }
};

OBITRAK_UI_TEST_MAIN(TeamScoresWindowTest)
#include "TeamScoresWindowTest.moc"
