#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>
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
class QPushButton;
class QTimer;

namespace obitrak::ui {

class AboutDialog;
class FragGridModel;
class FragGridView;
class HtmlColorsWindow;
class LogWindow;
class ScanProgressDialog;
class SecondaryWindow;

// The windows that the main window opens. One that does not exist is null, and the item
// that would show it then shows nothing.
struct MainWindowLinks {
  AboutDialog* about = nullptr;
  SecondaryWindow* general = nullptr;
  LogWindow* log = nullptr;
  SecondaryWindow* timeGraph = nullptr;
  SecondaryWindow* weapons = nullptr;
  ScanProgressDialog* progress = nullptr;
  HtmlColorsWindow* htmlColors = nullptr;
  SecondaryWindow* teamScores = nullptr;
  SecondaryWindow* library = nullptr;
};

// The program's home: the menus, the weapon filter, the "TeamPlay" box and the frag grid
// of the loaded demo. Its activation fills the player colours, loads the HTML colours and,
// once, scans the demo named on the command line.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  static const QString kCaption;

  explicit MainWindow(AppState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setLinks(const MainWindowLinks& links);
  // The open and save dialogs and the end of the program, replaceable for tests.
  void setOpenDialog(FileDialog dialog);
  void setSaveDialog(FileDialog dialog);
  void setExitProgram(std::function<void()> exitProgram);

  // The loaded demo's path; empty until a demo has been scanned.
  const QString& demoPath() const { return m_demoPath; }
  const PlayerColourTable& playerColours() const { return m_playerColours; }
  bool teamPlay() const;
  int weaponIndex() const;

  // Scans the demo at `path` and shows it. A demo that cannot be read throws and leaves the
  // window and the loaded demo as they were.
  void scanDemo(const QString& path);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A demo file dropped on the window opens as "Open DM2" would open it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private slots:
  void openDemo();
  void exportDescription();
  void exportHtmlDescription();
  void exportLog();
  void exitProgram();
  void showGeneralInfo();
  void showWeaponsStats();
  void showLog();
  void showTimeGraph();
  void showTeamScores();
  void showLibrary();
  void showHtmlColors();
  void showAbout();
  void weaponFilterChanged();
  void teamPlayToggled();
  void chooseDeathMessages();
  void useBuiltInDeathMessages();
  void useGameDirDeathMessages();

 private:
  void buildMenus();
  QAction* addMenuItem(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& shortcut, bool enabled, void (MainWindow::*slot)());
  void buildControls();
  void buildStatusBar();

  void refill();
  void loadColourSettings();
  void scanCommandLineDemo();
  void showScannedDemo(const QString& path, const std::string& panel0, const std::string& panel1);
  void showNotice();
  void selectWeaponSilently(int index);
  void fillWeaponFilter();
  void setTeamPlay(bool teamPlay);
  void fillFragGrid();
  void buildPlacementWatch();
  void placeWindowForGrid();
  void applyPlacement();
  std::optional<QMargins> plausibleFrame() const;
  void replaceIfMisplaced();
  void watchPlacement();
  void fitGridIntoWindow();
  bool commandLineSwitch(const QString& name) const;
  QString defaultExportFile(const char* extension) const;
  std::optional<QString> exportTarget(const FileDialogRequest& request, const QString& skipSwitch);
  void showLinked(SecondaryWindow* window);

  // Drops and death-message packs (MainWindowDesktop.cpp).
  void buildDesktopParts();
  void addDeathMessageItems(QMenu* options);
  void loadBundledPacks();
  void loadPhrasePackAtStart();
  void useDeathMessages(std::optional<PhrasePack> pack, const QString& path, bool builtInOnly);
  void showPhrasePack();

  AppState& m_state;
  MainWindowLinks m_links;
  FileDialog m_openDialog;
  FileDialog m_saveDialog;
  std::function<void()> m_exitProgram;

  QString m_demoPath;
  PlayerColourTable m_playerColours;
  QString m_reportedColourError;
  bool m_centredAtStart = false;
  // Where the window was last placed for its grid, and with which frame, so that it can be
  // placed again once the window manager has told the real frame.
  std::optional<QRect> m_placedClient;
  QMargins m_placedFrame;
  QTimer* m_placementWatch = nullptr;
  int m_watchTicks = 0;
  int m_replacements = 0;

  QAction* m_openAction = nullptr;
  QAction* m_libraryAction = nullptr;
  QAction* m_exportDescriptionAction = nullptr;
  QAction* m_exportHtmlAction = nullptr;
  QAction* m_exportLogAction = nullptr;
  QAction* m_exitAction = nullptr;
  QAction* m_generalInfoAction = nullptr;
  QAction* m_weaponsStatsAction = nullptr;
  QAction* m_logAction = nullptr;
  QAction* m_timeGraphAction = nullptr;
  QAction* m_teamScoresAction = nullptr;
  QAction* m_htmlColorsAction = nullptr;
  QAction* m_aboutAction = nullptr;

  QLabel* m_startupPicture = nullptr;
  QComboBox* m_weaponFilter = nullptr;
  QCheckBox* m_teamPlayBox = nullptr;
  QPushButton* m_teamScoresButton = nullptr;
  FragGridModel* m_fragModel = nullptr;
  FragGridView* m_fragGrid = nullptr;
  QLabel* m_panel0 = nullptr;
  QLabel* m_panel1 = nullptr;
  std::string m_scanNotice;  // the scan's last notice, shown before any other

  QAction* m_gameDirDeathMessagesAction = nullptr;
  QAction* m_deathMessagesAction = nullptr;
  QAction* m_builtInDeathMessagesAction = nullptr;
  QLabel* m_phrasePackLabel = nullptr;
  bool m_phrasePackLoaded = false;
  bool m_bundledPacksLoaded = false;
};

}  // namespace obitrak::ui
