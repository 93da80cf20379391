#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "export/HtmlColors.h"
#include "scan/DemoTables.h"
#include "scan/PackChoice.h"
#include "scan/PhrasePack.h"

namespace obitrak::ui {

// The death messages that demos are counted with, as a value of its own that the library's
// worker thread keeps while the user changes the choice in the windows.
struct DeathMessages {
  std::shared_ptr<const PhrasePack> chosen;  // the user's pack, else none
  std::shared_ptr<const PackShelf> bundled;  // the bundled packs, by game directory
  bool builtInOnly = false;                  // neither: the original phrases only

  PackChoice choice() const {
    if (chosen) return chosen.get();
    if (builtInOnly || !bundled) return {};
    return PackChoice::byGameDir(*bundled);
  }
};

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
  // The death-message pack that the user chose for every scan, and its file; none and empty
  // for the others: the built-in phrases only, or else (the default) the bundled pack of
  // each demo's game directory.
  std::optional<PhrasePack> phrasePack;
  QString phrasePackPath;
  bool builtInOnly = false;
  std::shared_ptr<const PackShelf> bundledPacks = std::make_shared<PackShelf>();

  const PhrasePack* phrasePackInUse() const { return phrasePack ? &*phrasePack : nullptr; }
  PackChoice packChoice() const {
    if (phrasePack) return &*phrasePack;
    if (builtInOnly) return {};
    return PackChoice::byGameDir(*bundledPacks);
  }
  // The same choice as a value of its own.
  DeathMessages deathMessages() const {
    return {phrasePack ? std::make_shared<const PhrasePack>(*phrasePack) : nullptr, bundledPacks,
            builtInOnly};
  }
};

}  // namespace obitrak::ui
