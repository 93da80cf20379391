#include "ui/AppWindows.h"

#include "ui/AboutDialog.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScanProgressDialog.h"

namespace obitrak::ui {

AppWindows::AppWindows(const QStringList& commandLine, const std::string& programPath) {
  m_state.commandLine = commandLine;
  m_state.programPath = programPath;
  m_mainWindow = std::make_unique<MainWindow>(m_state);
  m_aboutDialog = std::make_unique<AboutDialog>();
  m_progress = std::make_unique<ScanProgressDialog>();
  m_htmlColors = std::make_unique<HtmlColorsWindow>(m_state);

  MainWindowLinks links;
  links.about = m_aboutDialog.get();
  links.progress = m_progress.get();
  links.htmlColors = m_htmlColors.get();
  m_mainWindow->setLinks(links);
}

// The secondary windows go before the main window that refers to them.
AppWindows::~AppWindows() {
  m_htmlColors.reset();
  m_progress.reset();
  m_aboutDialog.reset();
  m_mainWindow.reset();
}

}  // namespace obitrak::ui
