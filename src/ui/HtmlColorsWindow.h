#pragma once

#include <QColor>
#include <array>
#include <functional>

#include "export/HtmlColors.h"
#include "ui/SecondaryWindow.h"

class QPushButton;

namespace obitrak::ui {

class ColourSwatch;

// "HTML File Colors": a button and a swatch for each of the six colours of the HTML
// description. A button opens the colour picker; the choice takes effect at once and is
// saved to the colour settings file when the window closes.
class HtmlColorsWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  // Runs the colour picker preset to a colour; returns the colour it closes with (the
  // preset when the user cancels).
  using ColourDialog = std::function<QColor(QWidget* parent, const QColor& preset)>;

  explicit HtmlColorsWindow(AppState& state, QWidget* parent = nullptr);

  void setColourDialog(ColourDialog dialog);

  // Writes the six colours to the colour settings file.
  void saveColours();

 protected:
  void refill() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildRow(const HtmlColorInfo& info, int y);
  void pickColour(HtmlColorSet::Index index);
  void showColour(HtmlColorSet::Index index);

  ColourDialog m_colourDialog;
  std::array<QPushButton*, HtmlColorSet::Count> m_buttons{};
  std::array<ColourSwatch*, HtmlColorSet::Count> m_swatches{};
};

}  // namespace obitrak::ui
