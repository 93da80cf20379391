#pragma once

#include "ui/SecondaryWindow.h"

class QPushButton;
class QTreeWidget;

namespace obitrak::ui {

// "Team Scores": the teams of the last tally as a tree, one line per team with its frag sum
// and skin and its members beneath, in a fixed-pitch font so that the members' " - " line
// up. The plus button expands every team, the minus button collapses them all. The window
// only shows the teams: whoever opens it runs the team-play tally first.
class TeamScoresWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit TeamScoresWindow(AppState& state, QWidget* parent = nullptr);

  QTreeWidget& tree() const { return *m_tree; }

 protected:
  // Rebuilds the tree from the players' frags and teams, every team collapsed.
  void refill() override;

 private slots:
  void expandAll();
  void collapseAll();

 private:
  QPushButton* m_expandButton;
  QPushButton* m_collapseButton;
  QTreeWidget* m_tree;
};

}  // namespace obitrak::ui
