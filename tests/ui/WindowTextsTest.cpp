// The demo's own texts in the main window and the team tree: the game's characters read as
// what they look like, and a text of several lines keeps every line.

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "ui/TeamScoresWindow.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

// "[W] Ann" of a clan tag in the game's brackets rails Bob twice, on a level whose name has
// a line feed.
std::string clanDemo() {
  tools::DemoWriter w;
  w.serverData(34, "baseq2", 0, "The Edge\nof the World")
      .configString(tools::DemoWriter::kConfigMapModel, "maps/edge.bsp")
      .player(0, "\x10W\x11 Ann", "male/grunt")
      .player(1, "Bob", "female/athena")
      .endBlock();
  for (int i = 0; i < 2; ++i) w.print(1, "Bob was railed by \x10W\x11 Ann\n").endBlock();
  return w.finish();
}

}  // namespace

class WindowTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void mainWindowAndTeamTreeShowReadableTexts() {
    TestApp app;
    ui::TeamScoresWindow teams(app.state());
    ui::MainWindowLinks links;
    links.teamScores = &teams;
    app.form().setLinks(links);
    app.showActive();
    app.open(app.demo(QStringLiteral("clan.dm2"), clanDemo()));
    ui::MainWindow& form = app.form();

    QCOMPARE(rowNames(form), (QStringList{QStringLiteral("[W] Ann"), QStringLiteral("Bob")}));
    QCOMPARE(cell(form, 1, 0), QStringLiteral("[W] Ann"));
    auto* panel0 = form.findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    QCOMPARE(panel0->text(), QStringLiteral("Map: The Edge / of the World ( maps/edge.bsp )"));
    QCOMPARE(panel0->toolTip(), QStringLiteral("Map: The Edge\nof the World ( maps/edge.bsp )"));

    form.findChild<QCheckBox*>(QStringLiteral("TeamC"))->click();
    menuItem(form, "Teamscores1")->trigger();
    teams.refillNow();
    teams.tree().expandAll();
    QTreeWidgetItem* first = teams.tree().topLevelItem(0);
    QCOMPARE(first->child(0)->text(0), QStringLiteral("[W] Ann              - 2 frags"));
    // The tables keep the demo's bytes.
    QCOMPARE(app.state().tables.players[1].name.str(), std::string("\x10W\x11 Ann"));
  }
};

OBITRAK_UI_TEST_MAIN(WindowTextsTest)
#include "WindowTextsTest.moc"
