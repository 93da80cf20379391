// The team scores window: the tree after a team-play tally, and the plus and minus buttons.

#include <QFontDatabase>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "stats/Tally.h"
#include "ui/FixedPitchFont.h"
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
  void click(const char* button) {
    QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
  }
  QList<bool> expanded() const {
    QList<bool> states;
    for (int i = 0; i < window.tree().topLevelItemCount(); ++i) {
      states << window.tree().topLevelItem(i)->isExpanded();
    }
    return states;
  }

  TestApp app;
  ui::TeamScoresWindow window{app.state()};
};

const QList<bool> kCollapsed{false, false, false};
const QList<bool> kExpanded{true, true, true};

}  // namespace

class TeamScoresWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Dee leads alone; Ann and Cid share male/grunt and Cid killed Ann four times; Bob plays
  // alone. Members stand in place order beneath their team, in a fixed-pitch font.
  void teamsAndMembersAfterTheTally() {
    TeamScores s;
    QCOMPARE(s.window.objectName(), QStringLiteral("TeamScores"));
    QCOMPARE(s.window.tree().objectName(), QStringLiteral("TV"));
    // The font the choice below makes on this machine, whichever fonts it has.
    QCOMPARE(s.window.tree().font(), ui::fixedPitchFont(13));
    QStringList lines;
    for (int i = 0; i < s.window.tree().topLevelItemCount(); ++i) {
      const QTreeWidgetItem* team = s.window.tree().topLevelItem(i);
      lines << team->text(0);
      for (int m = 0; m < team->childCount(); ++m) lines << "  " + team->child(m)->text(0);
    }
    QCOMPARE(lines,
             (QStringList{"Team 1 - 5 frags (cyborg/oni911)", "  Dee                  - 5 frags",
                          "Team 2 - -2 frags (male/grunt)", "  Ann                  - 2 frags",
                          "  Cid                  - -4 frags", "Team 3 - 3 frags (female/athena)",
                          "  Bob                  - 3 frags"}));
  }

  // The font is fixed-pitch on any machine: the platform's choice where it is, else the
  // first monospace family that is; the platform's choice where none is.
  void fontIsFixedPitchWhateverTheMachineHas_data() {
    QTest::addColumn<QStringList>("fixed");  // the families with fixed pitch; "" the platform's
    QTest::addColumn<QString>("chosen");     // empty: the platform's fixed font
    QTest::newRow("the platform's is") << QStringList{"", "Courier"} << QString();
    QTest::newRow("it is not") << QStringList{"Liberation Mono", "Courier"} << "Liberation Mono";
    QTest::newRow("none is") << QStringList{} << QString();
  }
  void fontIsFixedPitchWhateverTheMachineHas() {
    QFETCH(QStringList, fixed);
    QFETCH(QString, chosen);
    const QString platform = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    const QFont font = ui::fixedPitchFont(13, [&](const QFont& f) {
      return fixed.contains(f.family() == platform ? QString() : f.family());
    });
    QCOMPARE(font.family(), chosen.isEmpty() ? platform : chosen);
    QCOMPARE(font.pixelSize(), 13);
  }

  // A white sign with a black outline on each button: plus to expand, minus to collapse.
  void expandAndCollapseEveryTeam() {
    TeamScores s;
    const QImage plus =
        s.window.findChild<QPushButton*>("ExtractB")->icon().pixmap(14, 14).toImage();
    const QImage minus =
        s.window.findChild<QPushButton*>("ReduceB")->icon().pixmap(14, 14).toImage();
    for (const QImage& sign : {plus, minus}) {
      QCOMPARE(sign.pixelColor(7, 7), QColor(Qt::white));
      QCOMPARE(sign.pixelColor(1, 7), QColor(Qt::black));
    }
    QCOMPARE(plus.pixelColor(7, 3), QColor(Qt::white));
    QCOMPARE(minus.pixelColor(7, 3).alpha(), 0);

    QCOMPARE(s.expanded(), kCollapsed);
    s.click("ExtractB");
    QCOMPARE(s.expanded(), kExpanded);
    s.click("ReduceB");
    QCOMPARE(s.expanded(), kCollapsed);
    s.click("ExtractB");
    s.window.refillNow();  // every activation starts collapsed again
    QCOMPARE(s.expanded(), kCollapsed);
  }
};

OBITRAK_UI_TEST_MAIN(TeamScoresWindowTest)
#include "TeamScoresWindowTest.moc"
