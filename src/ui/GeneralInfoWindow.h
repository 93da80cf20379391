#pragma once

#include <QAbstractTableModel>
#include <QRect>
#include <QStringList>
#include <array>

#include "ui/SecondaryWindow.h"

class QLabel;
class QLineEdit;
class QStatusBar;
class QTableView;

namespace obitrak::ui {

// The player grid's height for `rows` rows (the header row included): each row 24 pixels
// and its grid line, and 3 pixels of border, so that every row shows without scrolling.
constexpr int playerGridHeight(int rows) {
  return rows * 25 + 3;
}

// Where the general window's boxes and player grid go in a client area of `client`: the grid
// keeps its designed right margin (never left of its designed place) and is as high as its
// rows or as the room above the status bar, whichever is less; the boxes take the width left
// of it.
struct GeneralInfoLayout {
  int boxWidth = 0;
  QRect grid;
  bool operator==(const GeneralInfoLayout&) const = default;
};
GeneralInfoLayout generalInfoLayout(QSize client, int gridWidth, int gridHeight);

// The named players of the general window, in slot order, under a "Player" / "Skin" header
// row. The header row is the view's fixed header while there is a named player. A grid
// cannot keep a fixed row when it has only one, so once an activation finds no named
// player the header becomes an ordinary row and stays so for the rest of the run.
class PlayerListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Lists the named players of slots 1..slotCount in `rows` - 1 rows.
  void fill(const DemoTables& tables, int rows);

  bool headerFixed() const { return m_headerFixed; }
  // The text of the design's cell (column, row), row 0 being the header row.
  QString cellText(int column, int row) const;
  int gridRows() const { return m_rows; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QStringList m_names;
  QStringList m_skins;
  int m_rows = 1;
  bool m_headerFixed = true;
};

// "General demo informatiom": what the demo says about itself. Eight read-only boxes (level
// name, level message, BSP file, game directory, game version, recording player, length,
// whether the game's scoreboard agrees with the counted frags) whose texts can be selected
// and copied, the named players with their skins, and the demo's path in the status bar.
// The boxes widen with the window and show their whole text as a tool tip; the player grid
// scrolls where its rows do not fit above the status bar.
class GeneralInfoWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit GeneralInfoWindow(AppState& state, QWidget* parent = nullptr);

  QTableView& playerGrid() const { return *m_playerGrid; }
  const PlayerListModel& playerModel() const { return *m_playerModel; }

 protected:
  void refill() override;
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void placeControls();

 private:
  enum Box {
    MapBox,
    MessageBox,
    BspBox,
    PatchBox,
    VersionBox,
    ViewBox,
    TimeBox,
    ScoreBox,
    BoxCount
  };

  void setBox(Box box, const std::string& text);
  void fillPlayerGrid();
  void showScoreboard();
  int playerColumnWidth(int column) const;
  int gridWidthFor(int height) const;

  std::array<QLineEdit*, BoxCount> m_boxes{};
  PlayerListModel* m_playerModel = nullptr;
  QTableView* m_playerGrid = nullptr;
  QStatusBar* m_statusBar = nullptr;
  QLabel* m_statusPanel = nullptr;
  int m_columnsWidth = 0;  // the player grid's columns and frame
};

}  // namespace obitrak::ui
