#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "ui/AppState.h"

namespace obitrak::ui {

class AboutDialog;
class GeneralInfoWindow;
class HelpWindow;
class HtmlColorsWindow;
class LibraryWindow;
class LogWindow;
class MainWindow;
class ScanProgressDialog;
class TeamScoresWindow;
class TimeGraphWindow;
class WeaponsStatsWindow;

// The program's windows, created hidden at start-up in a fixed order with the main window
// first, and living until the program ends.

// Where the desktop keeps its demo library: under XDG_DATA_HOME, else under the home folder
// of HOME or, where HOME is not set, of the user's account. Empty when there is none.
std::string desktopLibraryPath();
class AppWindows {
 public:
  // `commandLine` holds the arguments after the program's name; `programPath` is the full
  // path of the program, beside which the colour settings live.
  AppWindows(const QStringList& commandLine, const std::string& programPath);
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  AppState& state() { return m_state; }
  MainWindow& mainWindow() { return *m_mainWindow; }
  AboutDialog& aboutDialog() { return *m_aboutDialog; }
  ScanProgressDialog& progress() { return *m_progress; }
  HtmlColorsWindow& htmlColors() { return *m_htmlColors; }
  GeneralInfoWindow& generalInfo() { return *m_generalInfo; }
  LogWindow& log() { return *m_log; }
  TimeGraphWindow& timeGraph() { return *m_timeGraph; }
  WeaponsStatsWindow& weaponsStats() { return *m_weaponsStats; }
  TeamScoresWindow& teamScores() { return *m_teamScores; }
  LibraryWindow& library() { return *m_library; }
  HelpWindow& help() { return *m_help; }

 private:
  AppState m_state;
  std::unique_ptr<MainWindow> m_mainWindow;
  std::unique_ptr<AboutDialog> m_aboutDialog;
  std::unique_ptr<GeneralInfoWindow> m_generalInfo;
  std::unique_ptr<LogWindow> m_log;
  std::unique_ptr<TimeGraphWindow> m_timeGraph;
  std::unique_ptr<WeaponsStatsWindow> m_weaponsStats;
  std::unique_ptr<ScanProgressDialog> m_progress;
  std::unique_ptr<HtmlColorsWindow> m_htmlColors;
  std::unique_ptr<TeamScoresWindow> m_teamScores;
  std::unique_ptr<LibraryWindow> m_library;
  std::unique_ptr<HelpWindow> m_help;
};

}  // namespace obitrak::ui
