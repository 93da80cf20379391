#include "ui/TeamScoresWindow.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTreeWidget>

#include "stats/TeamTree.h"
#include "ui/FixedPitchFont.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr int kOuterWidth = 398;
constexpr int kOuterHeight = 309;
constexpr QRect kExpandGeometry(8, 8, 25, 25);
constexpr QRect kCollapseGeometry(40, 8, 25, 25);
constexpr QRect kTreeGeometry(8, 40, 377, 225);
constexpr int kPictureSize = 14;
constexpr int kTreeIndent = 19;
constexpr int kTreeFontPixels = 13;

// A white sign with a black outline on a clear 14 x 14 picture: a plus sign, or a minus
// sign when `plus` is false.
QIcon signPicture(bool plus) {
  QPixmap picture(kPictureSize, kPictureSize);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  QPainterPath sign;
  sign.setFillRule(Qt::WindingFill);
  sign.addRect(QRectF(1.5, 5.5, 11, 3));
  if (plus) {
    sign.addRect(QRectF(5.5, 1.5, 3, 11));
    sign = sign.simplified();
  }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPath(sign);
  p.end();
  return QIcon(picture);
}

QPushButton* pictureButton(QWidget* parent, const char* name, bool plus, const QRect& geometry) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setIcon(signPicture(plus));
  button->setIconSize({kPictureSize, kPictureSize});
  return button;
}

}  // namespace

TeamScoresWindow::TeamScoresWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("TeamScores"), QStringLiteral("Team Scores"),
                      {kOuterWidth, kOuterHeight}, parent),
      m_expandButton(pictureButton(this, "ExtractB", true, kExpandGeometry)),
      m_collapseButton(pictureButton(this, "ReduceB", false, kCollapseGeometry)),
      m_tree(new QTreeWidget(this)) {
  m_tree->setObjectName(QStringLiteral("TV"));
  m_tree->setGeometry(kTreeGeometry);
  m_tree->setHeaderHidden(true);
  m_tree->setIndentation(kTreeIndent);
  m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_tree->setUniformRowHeights(true);
  m_tree->setFont(fixedPitchFont(kTreeFontPixels));
  QPalette palette = m_tree->palette();
  palette.setColor(QPalette::Text, Qt::black);
  m_tree->setPalette(palette);
  connect(m_expandButton, &QPushButton::clicked, this, &TeamScoresWindow::expandAll);
  connect(m_collapseButton, &QPushButton::clicked, this, &TeamScoresWindow::collapseAll);
}

void TeamScoresWindow::refill() {
  m_tree->clear();
  QList<QTreeWidgetItem*> teams;
  for (const TeamLine& line : teamTree(state().tables)) {
    auto* team = new QTreeWidgetItem(QStringList{quakeLine(line.text)});
    for (const std::string& member : line.members) {
      team->addChild(new QTreeWidgetItem(QStringList{quakeLine(member)}));
    }
    teams << team;
  }
  m_tree->addTopLevelItems(teams);
}

void TeamScoresWindow::expandAll() {
  m_tree->expandAll();
}

void TeamScoresWindow::collapseAll() {
  m_tree->collapseAll();
}

}  // namespace obitrak::ui
