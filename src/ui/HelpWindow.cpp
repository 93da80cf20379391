#include "ui/HelpWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

// The README and its documents, built into the program's library (help.qrc).
static void initHelpResources() {
  Q_INIT_RESOURCE(help);
}

namespace obitrak::ui {

namespace {

constexpr QSize kHelpSize{760, 620};
// Where the build puts the README and the documents and pictures it links to.
const QString kHelpRoot = QStringLiteral(":/help/");
const QString kReadme = QStringLiteral("README.md");
const QString kBegins = QStringLiteral("<!-- help begins -->");
const QString kEnds = QStringLiteral("<!-- help ends -->");
const QString kBackLink = QStringLiteral("help:manual");

QString resourceText(const QString& name) {
  QFile file(kHelpRoot + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

QString helpMarkdown(const QString& readme) {
  const qsizetype begin = readme.indexOf(kBegins);
  const qsizetype from = begin < 0 ? 0 : begin + kBegins.size();
  const qsizetype end = readme.indexOf(kEnds, from);
  return readme.mid(from, end < 0 ? -1 : end - from).trimmed();
}

QString helpContents(const QString& markdown) {
  QString contents;
  for (const QString& line : markdown.split(QLatin1Char('\n'))) {
    const bool section = line.startsWith(QLatin1String("## "));
    if (!section && !line.startsWith(QLatin1String("### "))) continue;
    const QString heading = line.mid(section ? 3 : 4).trimmed();
    contents +=
        QStringLiteral("%1- [%2](#%3)\n")
            .arg(section ? QString() : QStringLiteral("  "), heading, headingAnchor(heading));
  }
  return contents;
}

QString headingAnchor(const QString& heading) {
  QString anchor = heading.trimmed().toLower();
  anchor.remove(QRegularExpression(QStringLiteral("[^\\w\\- ]")));
  anchor.replace(QLatin1Char(' '), QLatin1Char('-'));
  return anchor;
}

HelpWindow::HelpWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("HelpWindow"), QStringLiteral("Obitrak Help"),
                      kHelpSize, parent),
      m_browser(new QTextBrowser(this)) {
  initHelpResources();
  m_browser->setObjectName(QStringLiteral("HelpText"));
  m_browser->setOpenLinks(false);
  m_browser->setSearchPaths({kHelpRoot});
  connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser);
  showManual();
}

void HelpWindow::showManual() {
  const QString manual = helpMarkdown(resourceText(kReadme));
  m_browser->setMarkdown(QStringLiteral("# Obitrak Help\n\n") + helpContents(manual) +
                         QStringLiteral("\n") + manual);
  nameHeadings();
}

// Every heading gets the anchor that the README's links use.
void HelpWindow::nameHeadings() {
  QTextDocument* document = m_browser->document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0) continue;
    QTextCursor cursor(block);
    cursor.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat format;
    format.setAnchor(true);
    format.setAnchorNames({headingAnchor(block.text())});
    cursor.mergeCharFormat(format);
  }
}

void HelpWindow::followLink(const QUrl& link) {
  if (link.toString() == kBackLink) {
    showManual();
  } else if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https")) {
    QDesktopServices::openUrl(link);
  } else if (link.path().isEmpty() || link.path() == kReadme) {
    if (m_browser->toPlainText().isEmpty() || link.path() == kReadme) showManual();
    m_browser->scrollToAnchor(link.fragment());
  } else if (QFile::exists(kHelpRoot + link.path())) {
    showDocument(link.path());
    if (link.hasFragment()) m_browser->scrollToAnchor(link.fragment());
  }
}

// A picture or a document that the README links to, under a link back to the help.
void HelpWindow::showDocument(const QString& resource) {
  const QString back = QStringLiteral("[Back to the help](%1)\n\n").arg(kBackLink);
  if (resource.endsWith(QLatin1String(".md"))) {
    m_browser->setMarkdown(back + resourceText(resource));
    nameHeadings();
  } else {
    m_browser->setMarkdown(back + QStringLiteral("![%1](%1)").arg(resource));
  }
}

}  // namespace obitrak::ui
