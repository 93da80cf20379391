#pragma once

#include <QDialog>

namespace obitrak::ui {

// "About this program": the program's name and version, a picture, a note and the contact
// lines. Shown modally from the Help menu; "OK" closes it.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildTitle();
  void buildMemo();
};

// The ten lines of the About window's note.
QStringList aboutNoteLines();

}  // namespace obitrak::ui
