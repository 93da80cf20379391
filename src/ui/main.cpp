// The desktop application: builds the windows, shows the main window, scans the demo named
// on the command line and runs the event loop until the main window closes or "Exit" is
// chosen.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "ui/AppWindows.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/TextConversion.h"

namespace {

constexpr const char* kUsage =
    "Usage: obitrak [DEMO [-descr | -web]]\n"
    "       obitrak --help | --version\n"
    "\n"
    "Opens the analyser of Quake 2 demos (.dm2) and server recordings (.mvd2), also\n"
    "packed with gzip, in a window.\n"
    "\n"
    "  DEMO       the demo to scan at start-up\n"
    "  -descr     then write its text description beside it, without asking\n"
    "  -web       the HTML export writes beside the demo, without asking\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Help > Obitrak Help (F1) in the program tells what each window shows.\n"
    "obitrak-report writes the same reports without a window.\n";

// What is answered before any window exists, so that it needs no display.
int answerWithoutWindow(const char* text) {
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    return answerWithoutWindow("obitrak " OBITRAK_VERSION "\n");
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    return answerWithoutWindow(kUsage);
  }
  obitrak::ui::ObitrakApplication app(argc, argv);
  // The main window ends the program, also while other windows are still open.
  app.setQuitOnLastWindowClosed(false);
  obitrak::ui::AppWindows windows(
      QCoreApplication::arguments().mid(1),
      obitrak::ui::localFileName(QCoreApplication::applicationFilePath()));
  windows.mainWindow().show();
  // Its first activation loads the colours; ask for it also where no window manager hands
  // it out.
  windows.mainWindow().activateWindow();
  windows.mainWindow().startUp();
  return app.exec();
}
