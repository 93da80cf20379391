// The desktop application: builds the windows, shows the main window and runs the event
// loop until the main window closes or "Exit" is chosen.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "ui/AppWindows.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/TextConversion.h"

int main(int argc, char** argv) {
  // Answered before any window exists, so that it also works without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("obitrak " OBITRAK_VERSION "\n", stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  obitrak::ui::ObitrakApplication app(argc, argv);
  // The main window ends the program, also while other windows are still open.
  app.setQuitOnLastWindowClosed(false);
  obitrak::ui::AppWindows windows(
      QCoreApplication::arguments().mid(1),
      obitrak::ui::localFileName(QCoreApplication::applicationFilePath()));
  windows.mainWindow().show();
  // Its first activation does the start-up work; ask for it also where no window manager
  // hands it out.
  windows.mainWindow().activateWindow();
  return app.exec();
}
