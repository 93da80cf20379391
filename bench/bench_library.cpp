// Benchmarks of the demo library window on 20 000 indexed demos, on Qt's offscreen
// platform: from opening the window to its first painted rows, filtering by a player's
// name, and the longest pause of the window's event loop while a library is indexed.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "DemoWriter.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"
#include "ui/AppState.h"
#include "ui/LibraryDemoModel.h"
#include "ui/LibraryWindow.h"

namespace {

using namespace obitrak;
using tools::DemoRandom;
using tools::DemoWriter;

constexpr int kDemos = 20000;
constexpr int kNamePool = 400;

QString playerName(int n) {
  return QStringLiteral("Player%1").arg(n, 3, 10, QLatin1Char('0'));
}

// A short match of 4 to 12 players of the pool with 40 obituaries.
std::string smallMatch(DemoRandom& random) {
  DemoWriter w;
  w.serverData(34, "baseq2", 0, "q2dm" + std::to_string(1 + random.below(8)));
  const int players = 4 + random.below(9);
  std::vector<std::string> names;
  for (int p = 0; p < players; ++p) {
    names.push_back(playerName(random.below(kNamePool)).toStdString());
    w.player(p, names.back(), "male/grunt");
  }
  w.endBlock();
  for (int k = 0; k < 40; ++k) {
    const std::string& victim = names[static_cast<std::size_t>(random.below(players))];
    const std::string& killer = names[static_cast<std::size_t>(random.below(players))];
    w.print(1, victim + " was railed by " + killer + "\n").endBlock();
  }
  return w.finish();
}

// 20 000 small demos in a hundred folders, made once per run.
class DemoFolders {
 public:
  static DemoFolders& get() {
    static DemoFolders folders;
    return folders;
  }
  QString root() const { return m_dir.filePath(QStringLiteral("demos")); }
  QString scratch() const { return m_dir.path(); }

 private:
  DemoFolders() {
    DemoRandom random(12345);
    for (int i = 0; i < kDemos; ++i) {
      const QString folder = root() + QStringLiteral("/season%1").arg(i / 200);
      if (i % 200 == 0) QDir().mkpath(folder);
      QFile file(folder + QStringLiteral("/match%1.dm2").arg(i));
      const std::string bytes = smallMatch(random);
      if (!file.open(QIODevice::WriteOnly)) std::abort();
      file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
  }
  QTemporaryDir m_dir;
};

// The window on a library of the 20 000 demos; `indexed` fills the library first.
class LibraryBench {
 public:
  explicit LibraryBench(bool indexed) {
    DemoFolders& demos = DemoFolders::get();
    static int run = 0;
    m_library = (demos.scratch() + QStringLiteral("/library%1.sqlite").arg(++run)).toStdString();
    QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"))
        .setValue(QStringLiteral("library/folders"), QStringList{demos.root()});
    if (indexed) {
      LibraryWindow window(m_state, m_library);
      window.show();
      waitUntil([&] { return !window.indexing(); });
    }
  }
  ~LibraryBench() { std::remove(m_library.c_str()); }

  std::unique_ptr<ui::LibraryWindow> open() {
    return std::make_unique<ui::LibraryWindow>(m_state, m_library);
  }

  template <typename Done>
  static void waitUntil(Done done) {
    while (!done()) QApplication::processEvents(QEventLoop::AllEvents, 5);
  }

 private:
  using LibraryWindow = ui::LibraryWindow;
  ui::AppState m_state;
  std::string m_library;
};

QTableView& tableOf(ui::LibraryWindow& w) {
  return *w.findChild<QTableView*>(QStringLiteral("LibraryDemos"));
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void BM_LibraryFirstRowsPainted(benchmark::State& state) {
  LibraryBench bench(true);
  for (auto _ : state) {
    auto window = bench.open();
    PaintCounter counter;
    tableOf(*window).viewport()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    window->show();
    int paintsBefore = -1;
    LibraryBench::waitUntil([&] {
      if (paintsBefore < 0 && window->demos().rowCount() > 0) paintsBefore = counter.paints;
      return paintsBefore >= 0 && counter.paints > paintsBefore;
    });
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    LibraryBench::waitUntil([&] { return !window->indexing(); });
  }
}
BENCHMARK(BM_LibraryFirstRowsPainted)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_LibraryFilterByPlayer(benchmark::State& state) {
  LibraryBench bench(true);
  auto window = bench.open();
  window->show();
  LibraryBench::waitUntil(
      [&] { return !window->indexing() && window->demos().rowCount() == kDemos; });
  auto* filter = window->findChild<QLineEdit*>(QStringLiteral("LibraryFilter"));
  int n = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    filter->setText(playerName(n++ % kNamePool));
    tableOf(*window).viewport()->repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["rows"] = window->demos().rowCount();
    filter->clear();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_LibraryFilterByPlayer)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// The longest time the window's event loop went without running a 5 ms timer, while the
// library was indexed from nothing (arg 0) or read and found unchanged (arg 1).
void BM_LibraryLongestPause(benchmark::State& state) {
  for (auto _ : state) {
    LibraryBench bench(state.range(0) == 1);
    auto window = bench.open();
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      longest = std::max(longest, now - last);
      last = now;
    });
    ticks.start(5);
    clock.start();
    window->show();
    LibraryBench::waitUntil([&] { return !window->indexing() && clock.elapsed() > 200; });
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["longest_pause_ms"] = static_cast<double>(longest);
  }
}
BENCHMARK(BM_LibraryLongestPause)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
