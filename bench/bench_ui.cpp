// Benchmarks of the desktop application on Qt's offscreen platform: from "Open DM2" to a
// filled frag grid, a change of the weapon filter, and the secondary windows on a demo of
// hundreds of thousands of messages.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "BenchDemos.h"
#include "scan/DemoScan.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "ui/AppWindows.h"
#include "ui/FragGridView.h"
#include "ui/GeneralInfoWindow.h"
#include "ui/LogWindow.h"
#include "ui/MainWindow.h"
#include "ui/TeamScoresWindow.h"
#include "ui/TimeGraphWindow.h"
#include "ui/WeaponsStatsWindow.h"

namespace {

using namespace obitrak;

// The program's windows with a demo of `players` players and about `megabytes` MB to open.
class OpenDemo {
 public:
  OpenDemo(int players, int megabytes) {
    const std::string demo = bench::matchDemo(players, megabytes * 6000, 150);
    m_path = m_dir.filePath(QStringLiteral("bench.dm2"));
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(demo.data(), static_cast<qint64>(demo.size())) !=
            static_cast<qint64>(demo.size())) {
      std::abort();
    }
    file.close();
    m_bytes = static_cast<std::int64_t>(demo.size());
    m_windows = std::make_unique<ui::AppWindows>(
        QStringList{}, QFile::encodeName(m_dir.filePath(QStringLiteral("obitrak"))).toStdString());
    form().setOpenDialog(
        [this](QWidget*, const ui::FileDialogRequest&) { return std::optional<QString>(m_path); });
    form().show();
    QApplication::processEvents();
  }

  ui::MainWindow& form() { return m_windows->mainWindow(); }
  std::int64_t bytes() const { return m_bytes; }

  void open() {
    form().findChild<QAction*>(QStringLiteral("OpenDM21"))->trigger();
    QApplication::processEvents();  // the grid is laid out and painted
  }

 private:
  QTemporaryDir m_dir;
  QString m_path;
  std::int64_t m_bytes = 0;
  std::unique_ptr<ui::AppWindows> m_windows;
};

void BM_OpenDemoToFilledGrid(benchmark::State& state) {
  OpenDemo app(static_cast<int>(state.range(0)), 2);
  for (auto _ : state) app.open();
  auto* grid = app.form().findChild<ui::FragGridView*>(QStringLiteral("Grid1"));
  if (grid->rowCount() != state.range(0) + 1) state.SkipWithError("the grid was not filled");
  state.counters["demo_MB"] = static_cast<double>(app.bytes()) / (1 << 20);
}
BENCHMARK(BM_OpenDemoToFilledGrid)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_WeaponFilterChange(benchmark::State& state) {
  OpenDemo app(static_cast<int>(state.range(0)), 2);
  app.open();
  auto* list = app.form().findChild<QComboBox*>(QStringLiteral("WeaponList"));
  int weapon = 0;
  for (auto _ : state) {
    weapon = weapon % 12 + 1;
    list->setCurrentIndex(weapon);
    emit list->activated(weapon);  // as when the user picks the item
    QApplication::processEvents();
  }
}
BENCHMARK(BM_WeaponFilterChange)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// A full repaint of the time graph at its creation size over the tables of the
// obituary-heavy 200 MB demo: 16 players and 723 000 obituaries, one a block.
void BM_TimeGraphRepaint(benchmark::State& state) {
  ui::AppState app;
  DemoScanBytes(app.tables, bench::matchDemo(16, 723000, 16));
  app.teamPlay = state.range(0) != 0;
  if (app.teamPlay) TallyTeamPlay(app.tables, 0);
  ui::TimeGraphWindow window(app);
  window.show();
  QApplication::processEvents();
  auto* area = window.findChild<QWidget*>(QStringLiteral("Gr"));
  if (area == nullptr || area->size() != QSize(521, 329)) state.SkipWithError("no drawing area");
  for (auto _ : state) area->repaint();
  state.counters["messages"] = static_cast<double>(app.tables.log.logCount);
}
BENCHMARK(BM_TimeGraphRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
// --- The weapons statistics and team scores windows on the large obituary demo ---

// The obituary-heavy 200 MB demo that bench/run makes beside the programs (build-bench/data),
// made here with make-large-demos when it is not there yet. OBITRAK_BENCH_OBITUARY_DEMO
// names another one.
QString obituaryDemo() {
  QString path = qEnvironmentVariable("OBITRAK_BENCH_OBITUARY_DEMO");
  if (!path.isEmpty()) return path;
  const QString bin = QCoreApplication::applicationDirPath();
  path = bin + QStringLiteral("/../data/b-obituaries-200MB.dm2");
  if (!QFile::exists(path)) {
    QDir().mkpath(bin + QStringLiteral("/../data"));
    QProcess::execute(bin + QStringLiteral("/make-large-demos"),
                      {QStringLiteral("obituaries"), path, QStringLiteral("200")});
  }
  return path;
}

// The tables of the large demo, scanned once for all the benchmarks of this block.
ui::AppState& obituaryState() {
  static ui::AppState state = [] {
    ui::AppState s;
    DemoScan(s.tables, QFile::encodeName(obituaryDemo()).toStdString());
    return s;
  }();
  return state;
}

// One refill of a shown window, as on its activation, and the repaint that shows it.
template <typename Window>
void refillShownWindow(benchmark::State& state, ui::AppState& app) {
  if (app.tables.players.playerCount == 0) state.SkipWithError("the large demo has no players");
  Window window(app);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    window.refillNow();
    window.repaint();
  }
  state.counters["players"] = app.tables.players.playerCount;
  state.counters["messages"] = static_cast<double>(app.tables.log.logCount);
}

void BM_WeaponsStatsRefill(benchmark::State& state) {
  ui::AppState& app = obituaryState();
  refillShownWindow<ui::WeaponsStatsWindow>(state, app);
}
BENCHMARK(BM_WeaponsStatsRefill)->Unit(benchmark::kMillisecond);

// After the all-weapons team-play tally that the main window runs before showing it.
void BM_TeamScoresRefill(benchmark::State& state) {
  ui::AppState& app = obituaryState();
  TallyTeamPlay(app.tables, 0);
  refillShownWindow<ui::TeamScoresWindow>(state, app);
  if (app.tables.players.playerCount > 0) recomputeAllWeapons(app.tables, false);
}
BENCHMARK(BM_TeamScoresRefill)->Unit(benchmark::kMillisecond);

// The tables of the obituary-heavy 200 MB demo that bench/run makes (build-bench/data);
// when it is absent, a demo in memory with as many obituaries stands in. Scanned once.
ui::AppState& obituaryHeavyState() {
  static ui::AppState* state = [] {
    auto* s = new ui::AppState;
    const QString made = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("../data/b-obituaries-200MB.dm2"));
    if (QFile::exists(made)) {
      DemoScan(s->tables, QFile::encodeName(made).toStdString());
    } else {
      DemoScanBytes(s->tables, bench::matchDemo(16, 723000, 240));
    }
    return s;
  }();
  return *state;
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Shows the log window for the first time and runs until its first rows are painted: its
// first polish and layout, the fill from the MessageLog and the paint. (The program makes
// the window at start-up; making it here as well costs well under a millisecond.)
void BM_LogWindowOpen(benchmark::State& state) {
  ui::AppState& tables = obituaryHeavyState();
  int messages = 0;
  for (auto _ : state) {
    auto window = std::make_unique<ui::LogWindow>(tables);
    QWidget& rows = *window->grid().viewport();
    PaintCounter counter(rows);
    window->showAndRaise();
    window->refillNow();
    QApplication::processEvents();
    if (counter.paints == 0) rows.repaint();
    state.PauseTiming();
    messages = window->logModel().entries();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["messages"] = messages;
}
BENCHMARK(BM_LogWindowOpen)->Unit(benchmark::kMillisecond);

// From the first rows of the open log window to its last rows, painted.
void BM_LogWindowScrollToEnd(benchmark::State& state) {
  ui::LogWindow window(obituaryHeavyState());
  window.showAndRaise();
  window.refillNow();
  QApplication::processEvents();
  QTableView& grid = window.grid();
  for (auto _ : state) {
    state.PauseTiming();
    grid.scrollToTop();
    grid.viewport()->repaint();
    state.ResumeTiming();
    grid.scrollToBottom();
    grid.viewport()->repaint();
  }
  if (grid.rowAt(grid.viewport()->height() - 1) != -1 &&
      grid.rowAt(0) < window.logModel().entries() - 100) {
    state.SkipWithError("the grid did not reach its end");
  }
}
BENCHMARK(BM_LogWindowScrollToEnd)->Unit(benchmark::kMillisecond);

// A find in the log window that matches nothing: every message of the log is looked at.
void BM_LogFindNothing(benchmark::State& state) {
  ui::LogModel model(obituaryHeavyState().tables.log);
  model.fill();
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.findRow(QStringLiteral("no such player"), -1, true));
  }
  state.counters["messages"] = model.entries();
}
BENCHMARK(BM_LogFindNothing)->Unit(benchmark::kMillisecond);

// An activation of the open general information window: boxes, player grid, status bar.
void BM_GeneralWindowRefill(benchmark::State& state) {
  ui::AppState& demo = obituaryHeavyState();
  demo.demoPath = QStringLiteral("/demos/b-obituaries-200MB.dm2");
  ui::GeneralInfoWindow window(demo);
  window.showAndRaise();
  QApplication::processEvents();
  for (auto _ : state) {
    window.refillNow();
    window.repaint();
  }
}
BENCHMARK(BM_GeneralWindowRefill)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
