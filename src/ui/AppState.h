#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "export/HtmlColors.h"
#include "scan/DemoTables.h"
#include "scan/PhrasePack.h"

namespace obitrak::ui {

// What the windows of one run share: the one loaded demo, the HTML colours, the command
// line and where the colour settings live. The application owns it and hands it to each
// window by reference.
struct AppState {
  // The loaded demo: its tables, its path (empty until a demo has been scanned), the notice
  // its scan left for the status bar (empty when none) and the "TeamPlay" box's state.
  DemoTables tables;
  QString demoPath;
  std::string scanNotice;
  bool teamPlay = false;

  HtmlColorSet htmlColors = HtmlColorSet::defaults();
  QStringList commandLine;        // the arguments after the program's name
  std::string programPath;        // full path of the program's executable
  std::string colorSettingsFile;  // worked out on every activation of the main window
  // The death-message pack that every scan adds to the built-in phrases, and its file;
  // none and empty for the built-in phrases only.
  std::optional<PhrasePack> phrasePack;
  QString phrasePackPath;

  const PhrasePack* phrasePackInUse() const { return phrasePack ? &*phrasePack : nullptr; }
};

}  // namespace obitrak::ui
