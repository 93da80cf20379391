#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/FragGrid.h"
#include "ui/PlayerColours.h"

class QAction;
class QCheckBox;
class QComboBox;
class QKeySequence;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QStatusBar;
class QTableWidget;

namespace obitrak::ui {

class TAboutWindow;
class THtmlColors;
class TProgress;

// The windows that the main window opens. One that does not exist is null, and the item
// that would show it then shows nothing.
struct MainFormWindows {
  TAboutWindow* about = nullptr;
  QWidget* general = nullptr;
  QWidget* logWindow = nullptr;
  QWidget* graph = nullptr;
  QWidget* weapWin = nullptr;
  TProgress* progress = nullptr;
  THtmlColors* htmlColors = nullptr;
  QWidget* teamScores = nullptr;
};

// The program's home: the menus, the weapon filter, the "TeamPlay" box and the frag grid
// of the loaded demo. Its activation fills the player colours, loads the HTML colours and,
// once, scans the demo named on the command line.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  static const QString kCaption;

  explicit TMainForm(AppState& state, QWidget* parent = nullptr);
  ~TMainForm() override;

  void setWindows(const MainFormWindows& windows);
  // The open and save dialogs and the end of the program, replaceable for tests.
  void setOpenDialog(FileDialog dialog);
  void setSaveDialog(FileDialog dialog);
  void setExitProgram(std::function<void()> exitProgram);

  // The loaded demo's path; empty until a demo has been scanned.
  const QString& demoPath() const { return m_demoPath; }
  const PlayerColourTable& playerColours() const { return m_playerColours; }
  bool teamPlay() const;
  int weaponIndex() const;

  // Menu items.
  void OpenDM21Click();
  void Exportdescription1Click();
  void ExportdescriptiontoHTML1Click();
  void Exportlog1Click();
  void Exit1Click();
  void GeneralinfoaboutDM21Click();
  void Weaponsstats1Click();
  void Demolog1Click();
  void Timegraph1Click();
  void HTMLColors1Click();
  void About1Click();

  // Controls.
  void WeaponListChange();
  void TeamCClick();
  void TeamScBClick();
  void FormActivate();

  // Scans the demo at `path` and shows it. A demo that cannot be read throws and leaves the
  // window and the loaded demo as they were.
  void ScanDemo(const QString& path);
  void FillFragGrid();
  void Grid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  QAction* addMenuItem(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& shortcut, bool enabled, void (TMainForm::*handler)());
  void buildControls();
  void buildGrid(QWidget* area);
  void buildStatusBar();

  void loadColourSettings();
  void scanCommandLineDemo();
  void showScannedDemo(const QString& path, const std::string& panel0, const std::string& panel1);
  void selectWeaponSilently(int index);
  void placeWindowForGrid();
  void placeGrid();
  int headerPlayerTeam(int column, int row) const;
  bool commandLineSwitch(const QString& name) const;
  QString defaultExportFile(const char* extension) const;
  std::optional<QString> exportTarget(const FileDialogRequest& request, const QString& skipSwitch);
  void showWindow(QWidget* window);

  AppState& m_state;
  MainFormWindows m_windows;
  FileDialog m_openDialog;
  FileDialog m_saveDialog;
  std::function<void()> m_exitProgram;

  QString m_demoPath;
  PlayerColourTable m_playerColours;
  FragGridShape m_shape;
  QString m_reportedColourError;
  bool m_placedOnScreen = false;

  QAction* OpenDM21 = nullptr;
  QAction* Exportdescription1 = nullptr;
  QAction* ExportdescriptiontoHTML1 = nullptr;
  QAction* Exportlog1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* GeneralinfoaboutDM21 = nullptr;
  QAction* Weaponsstats1 = nullptr;
  QAction* Demolog1 = nullptr;
  QAction* Timegraph1 = nullptr;
  QAction* Teamscores1 = nullptr;
  QAction* HTMLColors1 = nullptr;
  QAction* About1 = nullptr;

  QLabel* Image1 = nullptr;
  QComboBox* WeaponList = nullptr;
  QCheckBox* TeamC = nullptr;
  QPushButton* TeamScB = nullptr;
  QTableWidget* Grid1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* m_panel0 = nullptr;
  QLabel* m_panel1 = nullptr;
};

}  // namespace obitrak::ui
