#include "UiTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QSettings>

#include "DemoWriter.h"
#include "RecordingWriter.h"
#include "ui/FragGridView.h"

namespace obitrak::uitest {

using tools::DemoWriter;

QString sampleDemo() {
  return QStringLiteral(OBITRAK_UI_SAMPLE_DEMO);
}

QString realDemosDir() {
  const QString dir = QStringLiteral(OBITRAK_UI_DEMOS_DIR);
  return QDir(dir).exists() ? QDir(dir).absolutePath() : QString();
}

namespace {

struct Fighter {
  int client;
  const char* name;
  const char* skin;
};

// Block 1 holds the server data and the players; then one print per block, ten blocks a
// second, and frames to a length of `blocks`.
DemoWriter demoOf(const std::vector<Fighter>& fighters, const std::vector<std::string>& prints,
                  int blocks = 100) {
  DemoWriter w;
  w.serverData(34, "baseq2", 0, "Test Yard")
      .levelMessage("Test Yard")
      .mapModel("maps/testyard.bsp");
  for (const Fighter& f : fighters) w.player(f.client, f.name, f.skin);
  w.endBlock();
  int block = 2;
  for (const std::string& text : prints) {
    w.print(1, text + "\n").frame(12).endBlock();
    ++block;
  }
  for (; block <= blocks; ++block) w.frame(12, static_cast<std::uint32_t>(block)).endBlock();
  return w;
}

std::vector<std::string> repeated(const std::string& text, int times) {
  return std::vector<std::string>(static_cast<std::size_t>(times), text);
}

std::vector<std::string> duelPrints() {
  std::vector<std::string> prints = repeated("Bob was railed by Ann", 3);
  prints.push_back("Ann was gunned down by Bob");
  prints.push_back("Ann died.");
  return prints;
}

const std::vector<Fighter> kDuellists = {{0, "Ann", "male/grunt"}, {1, "Bob", "female/athena"}};

}  // namespace

std::string duelDemo() {
  return demoOf(kDuellists, duelPrints()).finish();
}

std::string teamDemo() {
  std::vector<std::string> prints;
  for (const auto& [text, times] :
       std::vector<std::pair<std::string, int>>{{"Ann was railed by Dee", 5},
                                                {"Ann was gunned down by Cid", 4},
                                                {"Cid ate Bob's rocket", 3},
                                                {"Bob was blasted by Ann", 2}}) {
    for (const std::string& p : repeated(text, times)) prints.push_back(p);
  }
  return demoOf({{0, "Ann", "male/grunt"},
                 {1, "Bob", "female/athena"},
                 {2, "Cid", "male/grunt"},
                 {3, "Dee", "cyborg/oni911"},
                 {4, "Idler", "male/grunt"}},
                prints)
      .finish();
}

std::string modDemo() {
  return demoOf(kDuellists, {"Bob was railed by Ann", "Bob was spread around the place by Ann",
                             "Bob was spread around the place by Ann", "Ann tripped over own feet"})
      .finish();
}

std::string idleDemo() {
  return demoOf({{0, "Lone", "male/grunt"}}, {}).finish();
}

std::string badBlockDemo() {
  DemoWriter w = demoOf(kDuellists, duelPrints(), 20);
  w.lengthField(5000);
  return w.finish(false);
}

std::string withBoard(const std::string& demo, const std::string& layout) {
  DemoWriter board;
  board.layout(layout).endBlock();
  // The demo's blocks without its end marker, the board's block, the end marker.
  return demo.substr(0, demo.size() - 4) + board.finish();
}

std::string recordedDuel() {
  tools::RecordingWriter w;
  w.serverData("baseq2", 9, "Test Yard", "maps/testyard.bsp");
  for (const Fighter& f : kDuellists) w.initialPlayer(f.client, f.name, f.skin);
  w.endServerData().endMessage();
  for (const std::string& text : duelPrints()) w.print(1, text + "\n").frame().endMessage();
  return w.frames(100).finish();
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void writeBytes(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
}

void isolateUserSettings() {
  static QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  // The demo library too goes there, not into the user's own.
  qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());
}

void clearUserSettings() {
  QSettings settings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
  settings.clear();
  settings.sync();
}

MessageRecorder::MessageRecorder() {
  ui::GeneralErrorHandler::setPresenter([this](const QString& m) { messages << m; });
}

MessageRecorder::~MessageRecorder() {
  ui::GeneralErrorHandler::setPresenter({});
}

TestApp::TestApp(const QStringList& commandLine) {
  windows = std::make_unique<ui::AppWindows>(
      commandLine, QFile::encodeName(dir.filePath(QStringLiteral("obitrak"))).toStdString());
  form().setOpenDialog([this](QWidget*, const ui::FileDialogRequest& request) {
    openRequests.push_back(request);
    return std::exchange(m_openChoice, std::nullopt);
  });
  form().setSaveDialog([this](QWidget*, const ui::FileDialogRequest& request) {
    saveRequests.push_back(request);
    return std::exchange(m_saveChoice, std::nullopt);
  });
  form().setExitProgram([] {});
}

QString TestApp::demo(const QString& name, const std::string& bytes) {
  const QString path = file(name);
  writeBytes(path, bytes);
  return path;
}

void TestApp::chooseOnOpen(const QString& path) {
  m_openChoice = path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void TestApp::chooseOnSave(const QString& path) {
  m_saveChoice = path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void TestApp::open(const QString& path) {
  chooseOnOpen(path);
  menuItem(form(), "OpenDM21")->trigger();
}

void TestApp::openDuel() {
  open(demo(QStringLiteral("duel.dm2"), duelDemo()));
}

void TestApp::showActive() {
  form().show();
  form().activateWindow();
  form().startUp();  // as the program does after showing the window
  const bool active = QTest::qWaitForWindowActive(&form());
  const QWidget* other = QApplication::activeWindow();
  QVERIFY2(active, qPrintable(QStringLiteral("active instead: ") +
                              (other != nullptr ? other->objectName() : QStringLiteral("none"))));
}

void pickWeapon(ui::MainWindow& form, int index) {
  auto* list = form.findChild<QComboBox*>(QStringLiteral("WeaponList"));
  list->setFocus();
  for (int i = list->currentIndex(); i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
}

QAction* menuItem(QWidget& window, const char* name) {
  return window.findChild<QAction*>(QString::fromLatin1(name));
}

ui::FragGridView& grid(ui::MainWindow& form) {
  return *form.findChild<ui::FragGridView*>(QStringLiteral("Grid1"));
}

QString cell(ui::MainWindow& form, int column, int row) {
  const ui::FragGridView& g = grid(form);
  if (column >= g.columnCount() || row >= g.rowCount()) return QStringLiteral("<none>");
  return g.cellText(column, row);
}

QStringList rowNames(ui::MainWindow& form) {
  QStringList names;
  for (int row = 1; row < grid(form).rowCount(); ++row) names << cell(form, 0, row);
  return names;
}

void verifyHeadersWhole(ui::FragGridView& g) {
  const QHeaderView& top = *g.horizontalHeader();
  for (int section = 0; section < top.count(); ++section) {
    QVERIFY2(top.sectionSize(section) >= top.sectionSizeHint(section),
             qPrintable(top.model()->headerData(section, Qt::Horizontal).toString()));
  }
  QVERIFY(g.verticalHeader()->width() >= g.verticalHeader()->sizeHint().width());
}

int countPixelsNear(const QImage& image, const QRect& rect, const QColor& colour, int tolerance) {
  int count = 0;
  const QRect area = rect.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - colour.red()) <= tolerance &&
          std::abs(p.green() - colour.green()) <= tolerance &&
          std::abs(p.blue() - colour.blue()) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

}  // namespace obitrak::uitest
