#include "ui/AboutDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <algorithm>

#include "export/ProgramInfo.h"
#include "ui/Pictures.h"
#include "ui/SecondaryWindow.h"
#include "ui/TextConversion.h"
#include "ui/WindowFit.h"

namespace obitrak::ui {

namespace {

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 220;
const QColor kNavy(0, 0, 128);

const QString kEmail = QStringLiteral("obitrak@example.org");
const QString kCredit = QStringLiteral("Obitrak team (Tally)");

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& place) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QFont titleFont(const QString& family, bool italic) {
  QFont font(family);
  font.setPointSize(12);
  font.setBold(true);
  font.setItalic(italic);
  return font;
}

}  // namespace

QStringList aboutNoteLines() {
  return {QStringLiteral("The next revision of"),
          QStringLiteral("my Quake2 demo analyzer."),
          QString(),
          QStringLiteral("Please, mail me about any"),
          QStringLiteral("bugs you'll found."),
          QString(),
          QString(),
          QString(),
          QStringLiteral("My e-mail: ") + kEmail,
          QStringLiteral("URL: ") + latin1(kHomepage)};
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutWindow"));
  setWindowTitle(QStringLiteral("About this program"));
  setWindowIcon(programIcon());
  setModal(true);
  setFont(designFont(font()));
  setFixedSize(kClientWidth, kClientHeight);

  // The picture is two rows taller than its box, which cuts them off.
  auto* photo = new QLabel(this);
  photo->setObjectName(QStringLiteral("Photo"));
  photo->setGeometry(16, 16, 100, 129);
  photo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  photo->setPixmap(aboutPhoto());

  buildTitle();
  buildMemo();
  addLabel(this, "Label3", kCredit, QRect(8, 160, 121, 13));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setGeometry(8, 184, 121, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::buildTitle() {
  QLabel* name = addLabel(this, "Label1", QStringLiteral("OBITRAK"), QRect(168, 16, 74, 19));
  name->setFont(titleFont(QStringLiteral("Arial"), false));
  QLabel* version = addLabel(this, "Label2", QStringLiteral("v1.0.5"), QRect(184, 32, 39, 19));
  version->setFont(titleFont(QStringLiteral("Times New Roman"), true));
  for (QLabel* label : {name, version}) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kNavy);
    label->setPalette(palette);
    // The labels fit their text, whatever the fonts on this system measure.
    label->adjustSize();
  }
}

// The memo in the window's font, one line a line: the disabled box can neither wrap nor be
// scrolled, so it and the window grow where a line would not fit.
void AboutDialog::buildMemo() {
  auto* memo = new QPlainTextEdit(this);
  memo->setObjectName(QStringLiteral("Memo1"));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QStringList lines = aboutNoteLines();
  memo->setPlainText(lines.join(QLatin1Char('\n')));
  memo->setReadOnly(true);
  memo->setEnabled(false);

  const QFontMetrics metrics = memo->fontMetrics();
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  // The document's margin and the box's frame on both sides, and a little air.
  const int margins =
      2 * (static_cast<int>(memo->document()->documentMargin()) + memo->frameWidth() + 2);
  const AboutLayout fit = aboutLayout(
      {widest + margins, static_cast<int>(lines.size()) * metrics.lineSpacing() + margins});
  memo->setGeometry(144, 56, fit.memo.width, fit.memo.height);
  setFixedSize(fit.window.width, fit.window.height);
}

void AboutDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centreOnScreen(*this);
}

}  // namespace obitrak::ui
