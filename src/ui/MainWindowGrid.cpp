#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "scan/Phrases.h"
#include "stats/Tally.h"
#include "ui/FragGridView.h"
#include "ui/MainWindow.h"
#include "ui/TextConversion.h"

// The main window's frag grid, and the weapon filter and "TeamPlay" box that recount it.

namespace obitrak::ui {

// The items of the weapon filter: "All weapons", then the loaded demo's weapons, whose
// WeaponIndex is the item's index. The item chosen stays while the weapons are the same.
void MainWindow::fillWeaponFilter() {
  QStringList items{latin1(kWeaponCategoryTable[kWeaponAll].filterItem)};
  for (const Weapon& weapon : m_state.tables.weapons.weapons()) items << latin1(weapon.name);
  QStringList shown;
  for (int i = 0; i < m_weaponFilter->count(); ++i) shown << m_weaponFilter->itemText(i);
  if (items == shown) return;
  const QSignalBlocker blocker(m_weaponFilter);
  m_weaponFilter->clear();
  m_weaponFilter->addItems(items);
  m_weaponFilter->setCurrentIndex(kWeaponAll);
  // The list is as wide as designed, or as its longest item needs in this platform's font.
  m_weaponFilter->setGeometry(8, 16,
                              std::max(kWeaponFilterWidth, m_weaponFilter->sizeHint().width()), 21);
}

void MainWindow::selectWeaponSilently(int index) {
  const QSignalBlocker blocker(m_weaponFilter);
  m_weaponFilter->setCurrentIndex(index);
}

void MainWindow::weaponFilterChanged() {
  const int weapon = m_weaponFilter->currentIndex();
  if (m_teamPlayBox->isChecked()) {
    TallyTeamPlay(m_state.tables, weapon);
  } else {
    TallyFreeForAll(m_state.tables, weapon);
  }
  fillFragGrid();
}

void MainWindow::teamPlayToggled() {
  selectWeaponSilently(kWeaponAll);
  setTeamPlay(m_teamPlayBox->isChecked());
  if (m_state.teamPlay) {
    TallyTeamPlay(m_state.tables, kWeaponAll);
  } else {
    TallyFreeForAll(m_state.tables, kWeaponAll);
  }
  fillFragGrid();
}

void MainWindow::setTeamPlay(bool teamPlay) {
  m_state.teamPlay = teamPlay;
  m_teamScoresButton->setVisible(teamPlay);
  m_teamScoresAction->setEnabled(teamPlay);
}

// ---- The frag grid

void MainWindow::fillFragGrid() {
  const int keptRow = m_fragGrid->currentRow();
  const int keptColumn = m_fragGrid->currentColumn();
  m_fragModel->fill(m_state.tables, m_weaponFilter->currentIndex());
  m_fragGrid->fitColumns();
  const FragGridShape& shape = m_fragModel->shape();

  // The current cell stays where it was while it is still an ordinary cell.
  const bool keep = keptRow >= shape.fixedRows && keptRow < shape.rows &&
                    keptColumn >= shape.fixedColumns && keptColumn < shape.columns;
  m_fragGrid->setCurrentCell(keep ? keptRow : shape.fixedRows,
                             keep ? keptColumn : shape.fixedColumns);

  placeWindowForGrid();
  fitGridIntoWindow();
  m_fragGrid->shapeChanged();
  showGridNote();
}

// A grid without a ranked player says why: nobody was named, or no kill was counted.
void MainWindow::showGridNote() {
  const PlayerTable& players = m_state.tables.players;
  const bool empty = m_fragModel->shape().fixedRows == 0;
  m_gridNote->setText(players.idleCount > 0 ? QStringLiteral("No kills counted: see the log")
                                            : QStringLiteral("No players in this demo"));
  m_gridNote->adjustSize();
  m_gridNote->move(kGridLeft, kGridTop + m_fragGrid->height() + kGridLeft / 2);
  m_gridNote->setVisible(empty);
}

}  // namespace obitrak::ui
