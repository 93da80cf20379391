#pragma once

#include <QAction>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "ui/AppWindows.h"
#include "ui/ErrorHandler.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindow.h"

namespace obitrak::ui {
class FragGridView;
}

namespace obitrak::uitest {

// Runs the test object under the application object that the program uses, with the
// per-user settings in a folder of the test's own.
#define OBITRAK_UI_TEST_MAIN(TestObject)             \
  int main(int argc, char** argv) {                  \
    obitrak::ui::ObitrakApplication app(argc, argv); \
    obitrak::uitest::isolateUserSettings();          \
    TestObject test;                                 \
    return QTest::qExec(&test, argc, argv);          \
  }

// Points the per-user settings (QSettings) and data (the demo library) of this process at a
// temporary folder, so that no test reads or writes those of the user who runs it.
void isolateUserSettings();
// Forgets every per-user setting of the program.
void clearUserSettings();

QString sampleDemo();
// The folder of real demos beside the checkout, or empty when it is not there.
QString realDemosDir();

// Ann (male/grunt) rails Bob (female/athena) three times, Bob guns Ann down once and Ann
// dies once by her own hand: two ranked players.
std::string duelDemo();
// Four fighters in three skin teams and an idle spectator: Ann and Cid male/grunt, Bob
// female/athena, Dee cyborg/oni911.
std::string teamDemo();
// Ann and Bob in the words of a mod: Ann rails Bob once, spreads him around the place
// twice and trips over her own feet; only a death-message pack counts the last three.
std::string modDemo();
// A demo whose only player never fights: no ranked player.
std::string idleDemo();
// The duel cut short by a block longer than the game allows.
std::string badBlockDemo();

// `demo` with the game's scoreboard `layout` in a block of its own before the end marker.
// In duelDemo() Ann counts 2 frags and Bob 1; in modDemo() Ann 1 without the mod's words.
std::string withBoard(const std::string& demo, const std::string& layout);
// The duel as a server's multi-view recording.
std::string recordedDuel();

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);

// Records what the general error handler shows instead of opening a message box.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  QStringList messages;
};

// The program's windows as the program builds them, with the program file in a temporary
// folder (so the colour settings go there), and the dialogs answered by the test.
class TestApp {
 public:
  explicit TestApp(const QStringList& commandLine = {});

  ui::MainWindow& form() { return windows->mainWindow(); }
  ui::AppState& state() { return windows->state(); }
  QString file(const QString& name) const { return dir.filePath(name); }
  QString settingsFile() const { return file(QStringLiteral("obitrak.cfg")); }
  // Writes `bytes` as a demo file in the temporary folder and returns its path.
  QString demo(const QString& name, const std::string& bytes);

  // The next open dialog chooses `path`; an empty path cancels it.
  void chooseOnOpen(const QString& path);
  void chooseOnSave(const QString& path);
  // Runs "Open DM2" choosing `path`.
  void open(const QString& path);
  // Writes the duel as duel.dm2 and opens it.
  void openDuel();
  // Shows the main window, starts up as the program does (once) and waits until the window
  // is active.
  void showActive();

  QTemporaryDir dir;
  std::unique_ptr<ui::AppWindows> windows;
  std::vector<ui::FileDialogRequest> openRequests;
  std::vector<ui::FileDialogRequest> saveRequests;

 private:
  std::optional<QString> m_openChoice;
  std::optional<QString> m_saveChoice;
};

// A secondary window with nothing in it, standing in for one that the main window shows.
class StandInWindow : public ui::SecondaryWindow {
 public:
  explicit StandInWindow(ui::AppState& state)
      : SecondaryWindow(state, QStringLiteral("StandIn"), QString(), {100, 100}) {}
  int refills = 0;

 protected:
  void refill() override { ++refills; }
};

QAction* menuItem(QWidget& window, const char* name);
// The control of `window` with the object name `name`, or null.
template <typename T>
T* control(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}
// Picks weapon filter item `index` as the user does, by moving down the list from the top.
void pickWeapon(ui::MainWindow& form, int index);
ui::FragGridView& grid(ui::MainWindow& form);
QString cell(ui::MainWindow& form, int column, int row);
// The names of the rows, in order (the first column below the header).
QStringList rowNames(ui::MainWindow& form);
// Fails the test unless every header of the frag grid is as wide as its text needs in the
// style's own measure.
void verifyHeadersWhole(ui::FragGridView& g);

// Pixels of `rect` in `image` that are near `colour` (each channel within `tolerance`).
int countPixelsNear(const QImage& image, const QRect& rect, const QColor& colour,
                    int tolerance = 40);

}  // namespace obitrak::uitest
