#include "ui/AppWindows.h"

#include "ui/AboutDialog.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "library/LibraryPlace.h"
#include "ui/GeneralInfoWindow.h"
#include "ui/HelpWindow.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/LibraryWindow.h"
#include "ui/LogWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScanProgressDialog.h"
#include "ui/TeamScoresWindow.h"
#include "ui/TimeGraphWindow.h"
#include "ui/WeaponsStatsWindow.h"

namespace obitrak::ui {

std::string desktopLibraryPath() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const struct passwd* account = ::getpwuid(::getuid());
    if (account != nullptr) home = account->pw_dir;
  }
  return defaultLibraryPath(std::getenv("XDG_DATA_HOME"), home);
}

AppWindows::AppWindows(const QStringList& commandLine, const std::string& programPath) {
  m_state.commandLine = commandLine;
  m_state.programPath = programPath;
  m_mainWindow = std::make_unique<MainWindow>(m_state);
  m_aboutDialog = std::make_unique<AboutDialog>();
  m_generalInfo = std::make_unique<GeneralInfoWindow>(m_state);
  m_log = std::make_unique<LogWindow>(m_state);
  m_timeGraph = std::make_unique<TimeGraphWindow>(m_state);
  m_weaponsStats = std::make_unique<WeaponsStatsWindow>(m_state);
  m_progress = std::make_unique<ScanProgressDialog>();
  m_htmlColors = std::make_unique<HtmlColorsWindow>(m_state);
  m_teamScores = std::make_unique<TeamScoresWindow>(m_state);
  m_library = std::make_unique<LibraryWindow>(m_state, desktopLibraryPath());
  m_help = std::make_unique<HelpWindow>(m_state);

  MainWindow* main = m_mainWindow.get();

  MainWindowLinks links;
  links.about = m_aboutDialog.get();
  links.general = m_generalInfo.get();
  links.log = m_log.get();
  links.timeGraph = m_timeGraph.get();
  links.weapons = m_weaponsStats.get();
  links.progress = m_progress.get();
  links.htmlColors = m_htmlColors.get();
  links.teamScores = m_teamScores.get();
  links.library = m_library.get();
  links.help = m_help.get();
  m_mainWindow->setLinks(links);
  // A demo opened from the library is scanned and shown as "Open DM2" would show it.
  m_library->setOpenDemo([main](const QString& path) {
    main->scanDemo(path);
    main->raise();
    main->activateWindow();
  });
}

// The secondary windows go before the main window that refers to them.
AppWindows::~AppWindows() {
  m_help.reset();
  m_library.reset();
  m_teamScores.reset();
  m_htmlColors.reset();
  m_progress.reset();
  m_weaponsStats.reset();
  m_timeGraph.reset();
  m_log.reset();
  m_generalInfo.reset();
  m_aboutDialog.reset();
  m_mainWindow.reset();
}

}  // namespace obitrak::ui
