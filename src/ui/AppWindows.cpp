#include "ui/AppWindows.h"

#include "export/htmlcol.h"
#include "ui/About.h"
#include "ui/main.h"
#include "ui/scanning.h"

namespace obitrak::ui {

AppWindows::AppWindows(const QStringList& commandLine, const std::string& programPath) {
  m_state.commandLine = commandLine;
  m_state.programPath = programPath;
  // The information, log, time graph, weapons and team scores windows take their places in
  // this order between the About and progress windows and after the colours window.
  m_mainForm = std::make_unique<TMainForm>(m_state);
  m_aboutWindow = std::make_unique<TAboutWindow>();
  m_progress = std::make_unique<TProgress>();
  m_htmlColors = std::make_unique<THtmlColors>(m_state);

  MainFormWindows windows;
  windows.about = m_aboutWindow.get();
  windows.progress = m_progress.get();
  windows.htmlColors = m_htmlColors.get();
  m_mainForm->setWindows(windows);
}

// The secondary windows go before the main window that refers to them.
AppWindows::~AppWindows() {
  m_htmlColors.reset();
  m_progress.reset();
  m_aboutWindow.reset();
  m_mainForm.reset();
}

}  // namespace obitrak::ui
