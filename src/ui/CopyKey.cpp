#include "ui/CopyKey.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace obitrak::ui {

namespace {

class CopyKeyFilter : public QObject {
 public:
  CopyKeyFilter(std::function<QString()> text, QObject* parent)
      : QObject(parent), m_text(std::move(text)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (!key || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
      return QObject::eventFilter(watched, event);
    }
    // The override keeps the key from any shortcut; the press copies.
    event->accept();
    if (event->type() == QEvent::KeyPress) QGuiApplication::clipboard()->setText(m_text());
    return true;
  }

 private:
  std::function<QString()> m_text;
};

}  // namespace

void copyWithKey(QAbstractItemView& view, std::function<QString()> text) {
  view.installEventFilter(new CopyKeyFilter(std::move(text), &view));
}

QString tabSeparated(const QList<QStringList>& rows) {
  QStringList lines;
  for (const QStringList& row : rows) lines << row.join(QLatin1Char('\t'));
  return lines.join(QLatin1Char('\n'));
}

}  // namespace obitrak::ui
