#include "ui/TimeGraphWindow.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPolygon>
#include <QResizeEvent>
#include <vector>

#include "export/ExportNames.h"
#include "export/WholeFile.h"
#include "ui/ColourRef.h"
#include "ui/ErrorHandler.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

const QColor kSilver(192, 192, 192);
constexpr int kCurveWidth = 2;

QPoint toQPoint(const GraphPoint& p) {
  return {p.x, p.y};
}

// Texts are placed by their top-left corner, on the background colour.
void drawLabel(QPainter& painter, const GraphLabel& label) {
  const QFontMetrics metrics = painter.fontMetrics();
  painter.drawText(label.at.x, label.at.y + metrics.ascent(), quakeLine(label.text));
}

}  // namespace

GraphTextMetrics graphTextMetrics(const QFontMetrics& metrics) {
  return {[metrics](std::string_view text) { return metrics.horizontalAdvance(quakeLine(text)); },
          metrics.height()};
}

void drawTimeGraph(QPainter& painter, const TimeGraphLayout& graph,
                   const PlayerColourTable& colours, const QColor& background) {
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(background);
  const QPen solid(Qt::black, 1, Qt::SolidLine, Qt::FlatCap);
  QPen dotted = solid;
  dotted.setDashPattern({1, 1});  // every other pixel
  for (const GraphLine& line : graph.lines) {
    painter.setPen(line.dotted ? dotted : solid);
    painter.drawLine(toQPoint(line.from), toQPoint(line.to));
  }
  painter.setPen(Qt::black);
  for (const GraphLabel& label : graph.fragLabels) drawLabel(painter, label);
  for (const GraphLabel& label : graph.minuteLabels) drawLabel(painter, label);

  QPolygon polyline;
  for (const GraphCurve& curve : graph.curves) {
    const QColor colour = toQColor(colours[curve.colourEntry]);
    painter.setPen(colour);
    drawLabel(painter, curve.legend);
    painter.setPen(QPen(colour, kCurveWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    polyline.resize(static_cast<int>(curve.points.size()));
    for (int i = 0; i < polyline.size(); ++i) {
      polyline[i] = toQPoint(curve.points[static_cast<std::size_t>(i)]);
    }
    painter.drawPolyline(polyline);
  }
}

// The plain paint surface `Gr`: lays the graph out afresh and draws it at every repaint.
class TimeGraphWindow::GraphArea : public QWidget {
 public:
  GraphArea(TimeGraphWindow& window, QWidget* parent) : QWidget(parent), m_window(window) {
    setObjectName(QStringLiteral("Gr"));
    setAutoFillBackground(true);  // the window's silver
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    drawTimeGraph(painter, m_window.currentLayout(), m_window.m_colours,
                  palette().color(QPalette::Window));
  }

 private:
  TimeGraphWindow& m_window;
};

TimeGraphWindow::TimeGraphWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("Graph"), QStringLiteral("Time graph (frags)"),
                      kTimeGraphClientSize, parent),
      m_saveDialog(runSaveFileDialog) {
  m_colours.fill();
  QPalette silver = palette();
  silver.setColor(QPalette::Window, kSilver);
  setPalette(silver);
  setAutoFillBackground(true);

  m_graph = new GraphArea(*this, this);
  m_graph->move(kTimeGraphAreaLeft, kTimeGraphAreaTop);
  m_minutesLabel = new QLabel(QStringLiteral("minutes"), this);
  m_minutesLabel->setObjectName(QStringLiteral("Label1"));
  m_minutesLabel->adjustSize();
  const TimeGraphFrame creation =
      timeGraphCreationFrame(m_minutesLabel->width(), m_minutesLabel->height());
  resize(creation.clientWidth, creation.clientHeight);
  placeControls();

  auto* save = new QAction(QStringLiteral("&Save picture..."), this);
  save->setObjectName(QStringLiteral("SaveGraphPicture"));
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { runGuarded([this] { savePicture(); }); });
  addAction(save);
  m_graph->addAction(save);
  m_graph->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// The graph as it is drawn now, beside the demo as "<demo>.png" unless the user chooses
// another name; written whole, as every file of the program.
void TimeGraphWindow::savePicture() {
  const QString demo = state().demoPath;
  const QString start = demo.isEmpty() ? QString()
                                       : QFile::decodeName(QByteArray::fromStdString(
                                             defaultExportName(localFileName(demo), "png")));
  const FileDialogRequest request{QStringLiteral("SaveGraph"),
                                  QStringLiteral("PNG pictures|*.png|All files|*.*"), 1, start,
                                  QStringLiteral("png")};
  const std::optional<QString> target = m_saveDialog(this, request);
  if (!target) return;
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  m_graph->grab().save(&buffer, "PNG");
  namingFailure(QStringLiteral("Could not save the picture to %1").arg(*target), [&] {
    checkExportTarget(localFileName(*target), localFileName(demo));
    writeFile(localFileName(*target), [&](ByteSink& out) {
      out.write(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    });
  });
}

TimeGraphLayout TimeGraphWindow::currentLayout() const {
  return timeGraphLayout(state().tables, state().teamPlay, m_graph->width(), m_graph->height(),
                         graphTextMetrics(m_graph->fontMetrics()));
}

void TimeGraphWindow::refill() {
  m_graph->update();
}

void TimeGraphWindow::resizeEvent(QResizeEvent* event) {
  SecondaryWindow::resizeEvent(event);
  placeControls();
}

void TimeGraphWindow::placeControls() {
  const TimeGraphFrame frame =
      timeGraphFrame(width(), height(), m_minutesLabel->width(), m_minutesLabel->height());
  m_graph->resize(frame.areaWidth, frame.areaHeight);
  m_minutesLabel->move(frame.minutesLabel.x, frame.minutesLabel.y);
}

}  // namespace obitrak::ui
