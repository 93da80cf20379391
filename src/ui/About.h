#pragma once

#include <QDialog>

namespace obitrak::ui {

// "About this program": the program's name and version, a picture, a note and the contact
// lines. Shown modally from the Help menu; "OK" closes it.
class TAboutWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutWindow(QWidget* parent = nullptr);

  void BitBtn1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildTitle();
  void buildMemo();
};

// The ten lines of the About window's note.
QStringList aboutNoteLines();

}  // namespace obitrak::ui
