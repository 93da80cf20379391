#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "ui/AppState.h"

namespace obitrak::ui {

class TAboutWindow;
class THtmlColors;
class TMainForm;
class TProgress;

// The program's windows, created hidden at start-up in a fixed order with the main window
// first, and living until the program ends.
class AppWindows {
 public:
  // `commandLine` holds the arguments after the program's name; `programPath` is the full
  // path of the program, beside which the colour settings live.
  AppWindows(const QStringList& commandLine, const std::string& programPath);
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  AppState& state() { return m_state; }
  TMainForm& mainForm() { return *m_mainForm; }
  TAboutWindow& aboutWindow() { return *m_aboutWindow; }
  TProgress& progress() { return *m_progress; }
  THtmlColors& htmlColors() { return *m_htmlColors; }

 private:
  AppState m_state;
  std::unique_ptr<TMainForm> m_mainForm;
  std::unique_ptr<TAboutWindow> m_aboutWindow;
  std::unique_ptr<TProgress> m_progress;
  std::unique_ptr<THtmlColors> m_htmlColors;
};

}  // namespace obitrak::ui
