#include "ui/HtmlColorsWindow.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFile>
#include <QPainter>
#include <QPushButton>

#include "ui/ColourRef.h"
#include "ui/ErrorHandler.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr int kOuterWidth = 198;
constexpr int kOuterHeight = 263;
constexpr int kButtonLeft = 16;
constexpr int kButtonWidth = 129;
constexpr int kRowHeight = 25;
constexpr int kSwatchLeft = 152;
constexpr int kFirstRowTop = 24;
constexpr int kRowStep = 32;

// The controls' names, in the order of the colour table.
constexpr std::array<const char*, HtmlColorSet::Count> kButtonNames{
    {"BackB", "FontB", "ACellB", "PCellB", "LinkB", "VLinkB"}};
constexpr std::array<const char*, HtmlColorSet::Count> kSwatchNames{
    {"BackS", "FontS", "ACellS", "PCellS", "LinkS", "VLinkS"}};

QColor runColourPicker(QWidget* parent, const QColor& preset) {
  const QColor chosen = QColorDialog::getColor(preset, parent);
  return chosen.isValid() ? chosen : preset;
}

}  // namespace

// A square filled with one colour, outlined in black.
class ColourSwatch : public QWidget {
 public:
  explicit ColourSwatch(QWidget* parent) : QWidget(parent) {}

  void setColour(const QColor& colour) {
    m_colour = colour;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), m_colour);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  QColor m_colour = Qt::black;
};

HtmlColorsWindow::HtmlColorsWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("HtmlColors"), QStringLiteral("HTML File Colors"),
                      {kOuterWidth, kOuterHeight}, parent),
      m_colourDialog(runColourPicker) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  for (std::size_t i = 0; i < kHtmlColorTable.size(); ++i) {
    buildRow(kHtmlColorTable[i], kFirstRowTop + static_cast<int>(i) * kRowStep);
  }
}

void HtmlColorsWindow::buildRow(const HtmlColorInfo& info, int y) {
  const auto i = static_cast<std::size_t>(info.index);
  auto* button = new QPushButton(latin1(info.name), this);
  button->setObjectName(QString::fromLatin1(kButtonNames[i]));
  button->setGeometry(kButtonLeft, y, kButtonWidth, kRowHeight);
  QFont bold = button->font();
  bold.setBold(true);
  button->setFont(bold);
  const HtmlColorSet::Index index = info.index;
  connect(button, &QPushButton::clicked, this,
          [this, index] { runGuarded([this, index] { pickColour(index); }); });
  m_buttons[i] = button;

  auto* swatch = new ColourSwatch(this);
  swatch->setObjectName(QString::fromLatin1(kSwatchNames[i]));
  swatch->setGeometry(kSwatchLeft, y, kRowHeight, kRowHeight);
  m_swatches[i] = swatch;
  showColour(index);
}

void HtmlColorsWindow::setColourDialog(ColourDialog dialog) {
  m_colourDialog = std::move(dialog);
}

// The picker starts at the button's colour; whatever it closes with becomes the colour of
// the button, the swatch and the HTML colour set, so an export made now already uses it.
void HtmlColorsWindow::pickColour(HtmlColorSet::Index index) {
  const QColor preset = toQColor(state().htmlColors[index]);
  const QColor chosen = m_colourDialog(this, preset);
  state().htmlColors[index] = fromQColor(chosen.isValid() ? chosen : preset);
  showColour(index);
}

void HtmlColorsWindow::showColour(HtmlColorSet::Index index) {
  const auto i = static_cast<std::size_t>(index);
  const QColor colour = toQColor(state().htmlColors[index]);
  QPalette palette = m_buttons[i]->palette();
  palette.setColor(QPalette::ButtonText, colour);
  m_buttons[i]->setPalette(palette);
  m_swatches[i]->setColour(colour);
}

void HtmlColorsWindow::refill() {
  for (const HtmlColorInfo& info : kHtmlColorTable) showColour(info.index);
}

void HtmlColorsWindow::saveColours() {
  const std::string path = state().colorSettingsFile.empty()
                               ? colorSettingsPath(state().programPath)
                               : state().colorSettingsFile;
  namingFailure(QStringLiteral("Could not save the HTML colours to %1")
                    .arg(QFile::decodeName(QByteArray::fromStdString(path))),
                [&] { SaveHtmlColors(state().htmlColors, path); });
}

// A failed save is reported; the window closes all the same and the colours stay in memory.
void HtmlColorsWindow::closeEvent(QCloseEvent* event) {
  runGuarded([this] { saveColours(); });
  SecondaryWindow::closeEvent(event);
}

}  // namespace obitrak::ui
