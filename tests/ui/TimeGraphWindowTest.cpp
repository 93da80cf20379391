// The time graph window: its controls follow the window's size, and the grabbed picture
// has its solid and dotted lines where the layout put them.

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

#include "ui/AppState.h"
#include "ui/TimeGraphWindow.h"

using namespace obitrak;
using namespace obitrak::ui;

namespace {

const QColor kSilver(192, 192, 192);

// Ann (slot 1) kills Bob 20 times in the first ten minutes, Bob kills Ann once and Ann
// kills herself once: a 15-minute demo with a span of 20 frags.
void fillTables(DemoTables& t) {
  t.players[1].name = "Ann";
  t.players[2].name = "Bob";
  t.players[1].rank = 1;
  t.players[2].rank = 2;
  t.players.playerCount = t.players.slotCount = 2;
  auto add = [&](int time, int killer, int victim) {
    LogRecord& r = t.log.add(1, "obituary", time);
    r.killer = killer;
    r.victim = victim;
  };
  for (int i = 1; i <= 20; ++i) add(i * 30, 1, 2);
  add(700, 2, 1);
  add(800, 1, 1);
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  t.header.duration = 900;
}

// Black pixels, and pixels looked at, along a horizontal or vertical run of `length` pixels,
// passing over the places where a line across the run crosses it.
struct Run {
  int black = 0;
  int seen = 0;
};
Run blackPixels(const QImage& image, QPoint from, bool horizontal, int length,
                const std::set<int>& crossings = {}) {
  Run run;
  for (int i = 0; i < length; ++i) {
    const QPoint p = horizontal ? from + QPoint(i, 0) : from + QPoint(0, i);
    if (crossings.count(horizontal ? p.x() : p.y()) != 0) continue;
    ++run.seen;
    if (image.pixelColor(p) == QColor(Qt::black)) ++run.black;
  }
  return run;
}

}  // namespace

class TimeGraphWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_state = std::make_unique<AppState>();
    fillTables(m_state->tables);
    m_window = std::make_unique<TimeGraphWindow>(*m_state);
  }
  void cleanup() {
    m_window.reset();
    m_state.reset();
  }

  // Ctrl+S saves the graph as drawn as a PNG picture, named after the demo unless the user
  // chooses another name.
  void graphSavesAsAPicture() {
    QTemporaryDir dir;
    m_state->demoPath = dir.filePath(QStringLiteral("final.dm2"));
    std::vector<FileDialogRequest> asked;
    const QString chosen = dir.filePath(QStringLiteral("graph.png"));
    m_window->setSaveDialog([&](QWidget*, const FileDialogRequest& request) {
      asked.push_back(request);
      return std::optional<QString>(chosen);
    });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(asked.size(), std::size_t{1});
    QCOMPARE(asked[0].fileName, dir.filePath(QStringLiteral("final.png")));
    const QImage saved(chosen, "PNG");
    const QWidget* area = m_window->findChild<QWidget*>(QStringLiteral("Gr"));
    QCOMPARE(saved.size(), area->size() * area->devicePixelRatio());
    QCOMPARE(saved.pixelColor(1, 1), kSilver);
  }

  // The drawing area has its designed size at the window's creation; the window is as much
  // wider as the "minutes" label needs to be read whole beside it.
  void areaAndLabelFollowTheWindowSize_data() {
    QTest::addColumn<QSize>("growth");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("label");
    QTest::newRow("creation") << QSize(0, 0) << QRect(8, 8, 521, 329) << QPoint(536, 329);
    QTest::newRow("wider") << QSize(300, 0) << QRect(8, 8, 821, 329) << QPoint(836, 329);
    QTest::newRow("taller") << QSize(0, 150) << QRect(8, 8, 521, 479) << QPoint(536, 479);
  }
  void areaAndLabelFollowTheWindowSize() {
    QFETCH(QSize, growth);
    QFETCH(QRect, area);
    QFETCH(QPoint, label);
    QCOMPARE(m_window->objectName(), QStringLiteral("Graph"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Time graph (frags)"));
    QVERIFY(m_window->width() >= 576 && m_window->height() >= 350);
    m_window->show();  // a user resizes a window that is open
    m_window->resize(m_window->size() + growth);
    QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("Gr"))->geometry(), area);
    auto* minutes = m_window->findChild<QLabel*>(QStringLiteral("Label1"));
    QCOMPARE(minutes->text(), QStringLiteral("minutes"));
    QCOMPARE(minutes->pos(), label);
    QVERIFY(minutes->width() >= minutes->fontMetrics().horizontalAdvance(minutes->text()));
    QVERIFY(minutes->geometry().right() < m_window->width());
    QVERIFY(minutes->geometry().bottom() < m_window->height());
  }

  void linesStandWhereTheLayoutPutsThem() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QImage image = m_window->findChild<QWidget*>(QStringLiteral("Gr"))->grab().toImage();
    const TimeGraphLayout g = m_window->currentLayout();
    const int w = image.width();
    int topCurve = g.baseline;  // nothing but grid lines and texts stands above it
    for (const GraphCurve& c : g.curves) {
      for (const GraphPoint& p : c.points) topCurve = std::min(topCurve, p.y - 3);
    }

    // Solid: the frag axis above the curves, the baseline right of the last minute line.
    QCOMPARE(blackPixels(image, {g.plot.left, 0}, false, topCurve).black, topCurve);
    QCOMPARE(blackPixels(image, {w - 30, g.baseline}, true, 30).black, 30);

    // Dotted: every other pixel black, and nothing black beside them.
    std::set<int> columns;
    std::set<int> rows;
    for (const GraphLine& line : g.lines) {
      if (line.dotted)
        (line.from.y == line.to.y ? rows : columns)
            .insert(line.from.y == line.to.y ? line.from.y : line.from.x);
    }
    int checked = 0;
    for (const GraphLine& line : g.lines) {
      if (!line.dotted) continue;
      const bool across = line.from.y == line.to.y;
      // Right of the legend, above the curves.
      const QPoint from = across ? QPoint(w / 2, line.from.y) : QPoint(line.from.x, 0);
      const int length = across ? 40 : topCurve;
      if (from.x() < 80 || from.x() + 1 >= w || from.y() < 0 || from.y() >= topCurve) continue;
      const std::set<int>& crossings = across ? columns : rows;
      const Run on = blackPixels(image, from, across, length, crossings);
      QVERIFY(std::abs(2 * on.black - on.seen) <= length - on.seen + 1);
      const QPoint beside = across ? QPoint(0, 1) : QPoint(1, 0);
      QCOMPARE(blackPixels(image, from + beside, across, length, crossings).black, 0);
      ++checked;
    }
    QVERIFY2(checked >= 2, "a dotted line each way");

    // Ann's curve ends in red at her final score, at the end of the time axis.
    const GraphPoint last = g.curves.at(0).points.back();
    QCOMPARE(last.x, g.plot.right);
    const QColor end = image.pixelColor(last.x - 3, last.y);
    QCOMPARE(end, QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(w / 2, 2), kSilver);
  }

 private:
  std::unique_ptr<AppState> m_state;
  std::unique_ptr<TimeGraphWindow> m_window;
};

QTEST_MAIN(TimeGraphWindowTest)
#include "TimeGraphWindowTest.moc"
