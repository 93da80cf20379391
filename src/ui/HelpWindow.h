#pragma once

#include <QString>

#include "ui/SecondaryWindow.h"

class QTextBrowser;
class QUrl;

namespace obitrak::ui {

// The part of the README that the program's help shows: what stands between the marks
// "<!-- help begins -->" and "<!-- help ends -->", or all of it without them.
QString helpMarkdown(const QString& readme);

// A list of links to the sections ("## ") and subsections ("### ") of `markdown`.
QString helpContents(const QString& markdown);

// The anchor that a heading gets, as the README's own links name it: "Files from
// strangers" gives "files-from-strangers".
QString headingAnchor(const QString& heading);

// "Obitrak Help": the user's sections of the README (what each window shows, the packs, the
// library, the command), built into the program, with its pictures. Links within the text
// scroll to their section, links to pictures and documents show them with a way back, and
// web links open in the browser.
class HelpWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit HelpWindow(AppState& state, QWidget* parent = nullptr);

  QTextBrowser& browser() const { return *m_browser; }

 protected:
  // The help shows no part of the loaded demo.
  void refill() override {}

 private slots:
  void followLink(const QUrl& link);
  void showManual();

 private:
  void showDocument(const QString& resource);
  void nameHeadings();

  QTextBrowser* m_browser = nullptr;
};

}  // namespace obitrak::ui
