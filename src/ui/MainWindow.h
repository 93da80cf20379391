#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindowGeometry.h"
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
  SecondaryWindow* help = nullptr;
};

// The program's home: the menus, the weapon filter, the "TeamPlay" box and the frag grid
// of the loaded demo. Its activation fills the player colours and loads the HTML colours;
// startUp() scans the demo named on the command line.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  static const QString kCaption;
  // How many demos File > Recent demos keeps.
  static constexpr int kRecentDemos = 10;

  explicit MainWindow(AppState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setLinks(const MainWindowLinks& links);
  // The open and save dialogs and the end of the program, replaceable for tests.
  void setOpenDialog(FileDialog dialog);
  void setSaveDialog(FileDialog dialog);
  void setExitProgram(std::function<void()> exitProgram);

  // Once, after the window is first shown: the death-message pack kept from the last run,
  // then the demo named on the command line, described at once with "-descr".
  void startUp();

  // The loaded demo's path; empty until a demo has been scanned.
  const QString& demoPath() const { return m_state.demoPath; }
  const PlayerColourTable& playerColours() const { return m_playerColours; }
  bool teamPlay() const;
  int weaponIndex() const;
  // The demos of File > Recent demos, the latest first.
  QStringList recentDemos() const;

  // Scans the demo at `path` and shows it. A demo that cannot be read, or a file that is no
  // demo at all, throws a failure naming the file and leaves the loaded demo as it was.
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
  void openRecentDemo(const QString& path);
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
  void showHelp();
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
  void buildKeyboard();

  void refill();
  void loadColourSettings();
  void showScannedDemo(const QString& path, const std::string& panel0);
  void showNotice();
  void selectWeaponSilently(int index);
  void fillWeaponFilter();
  void setTeamPlay(bool teamPlay);
  void fillFragGrid();
  void showGridNote();

  // Where the window goes and how small it may become (MainWindowPlacement.cpp).
  void buildPlacementWatch();
  void placeWindowForGrid();
  void applyPlacement();
  std::optional<QMargins> plausibleFrame() const;
  void replaceIfMisplaced();
  void watchPlacement();
  void fitGridIntoWindow();
  void keepControlsOnShrink();

  // Exports (MainWindowActions.cpp).
  bool commandLineSwitch(const QString& name) const;
  QString defaultExportFile(const char* extension) const;
  std::optional<QString> exportTarget(const FileDialogRequest& request, const QString& skipSwitch);
  void exportTo(const QString& action, const QString& what, const QString& target,
                const std::function<void(const std::string&)>& write);
  void showLinked(SecondaryWindow* window);

  // Recent demos and drops (MainWindowOpening.cpp).
  void rememberDemo(const QString& path);
  void forgetDemo(const QString& path);
  void fillRecentMenu();
  QString openDialogStart() const;

  // Death-message packs (MainWindowDeathMessages.cpp).
  void addDeathMessageItems(QMenu* options);
  void buildPackLabel();
  void loadBundledPacks();
  void loadPhrasePackAtStart();
  void useDeathMessages(std::optional<PhrasePack> pack, const QString& path, bool builtInOnly);
  void showPhrasePack();

  AppState& m_state;
  MainWindowLinks m_links;
  FileDialog m_openDialog;
  FileDialog m_saveDialog;
  std::function<void()> m_exitProgram;

  PlayerColourTable m_playerColours;
  QString m_reportedColourError;
  bool m_startedUp = false;
  bool m_centredAtStart = false;
  // Where the window was last placed for its grid, and with which frame, so that it can be
  // placed again once the window manager has told the real frame.
  std::optional<QRect> m_placedClient;
  QMargins m_placedFrame;
  QTimer* m_placementWatch = nullptr;
  int m_watchTicks = 0;
  int m_replacements = 0;

  QAction* m_openAction = nullptr;
  QMenu* m_recentMenu = nullptr;
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
  QAction* m_helpAction = nullptr;
  QAction* m_aboutAction = nullptr;

  QLabel* m_startupPicture = nullptr;
  QComboBox* m_weaponFilter = nullptr;
  QCheckBox* m_teamPlayBox = nullptr;
  QPushButton* m_teamScoresButton = nullptr;
  FragGridModel* m_fragModel = nullptr;
  FragGridView* m_fragGrid = nullptr;
  QLabel* m_gridNote = nullptr;  // why a grid shows no kills
  QLabel* m_panel0 = nullptr;
  QLabel* m_panel1 = nullptr;

  QAction* m_gameDirDeathMessagesAction = nullptr;
  QAction* m_deathMessagesAction = nullptr;
  QAction* m_builtInDeathMessagesAction = nullptr;
  QLabel* m_phrasePackLabel = nullptr;
  bool m_phrasePackLoaded = false;
  bool m_bundledPacksLoaded = false;
};

}  // namespace obitrak::ui
