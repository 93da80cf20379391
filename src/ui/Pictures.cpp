#include "ui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace obitrak::ui {

namespace {

const QColor kNight(16, 24, 40);
const QColor kDusk(52, 64, 96);
const QColor kFragRed(200, 32, 24);
const QColor kSelfGreen(0, 128, 0);
const QColor kSteel(200, 208, 220);

void drawGunsight(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
  p.setPen(QPen(colour, radius / 6));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, radius, radius);
  const qreal reach = radius * 1.35;
  p.drawLine(QPointF(centre.x() - reach, centre.y()), QPointF(centre.x() - radius / 3, centre.y()));
  p.drawLine(QPointF(centre.x() + radius / 3, centre.y()), QPointF(centre.x() + reach, centre.y()));
  p.drawLine(QPointF(centre.x(), centre.y() - reach), QPointF(centre.x(), centre.y() - radius / 3));
  p.drawLine(QPointF(centre.x(), centre.y() + radius / 3), QPointF(centre.x(), centre.y() + reach));
}

void fillBackdrop(QPainter& p, const QRect& r) {
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, kDusk);
  sky.setColorAt(1, kNight);
  p.fillRect(r, sky);
}

}  // namespace

QPixmap startupPicture() {
  QPixmap picture(200, 116);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  fillBackdrop(p, picture.rect());

  // A four-player frag matrix: the diagonal green like the grid's, kills in shades of red.
  constexpr int kCell = 13;
  constexpr int kLeft = 12;
  constexpr int kTop = 14;
  const int kills[4][4] = {{0, 5, 2, 7}, {3, 0, 6, 1}, {4, 2, 0, 5}, {1, 6, 3, 0}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      QRect cell(kLeft + c * (kCell + 2), kTop + r * (kCell + 2), kCell, kCell);
      QColor colour = r == c ? kSelfGreen : kFragRed.lighter(100 + 14 * (7 - kills[r][c]));
      p.fillRect(cell, colour);
    }
  }
  drawGunsight(p, QPointF(kLeft + 29, kTop + 29), 19, QColor(255, 255, 255, 200));

  p.setPen(kSteel);
  QFont title(QStringLiteral("Sans Serif"));
  title.setPixelSize(24);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(78, 18, 120, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("OBITRAK"));
  QFont line(QStringLiteral("Sans Serif"));
  line.setPixelSize(10);
  p.setFont(line);
  p.drawText(QRect(80, 48, 118, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             QStringLiteral("Who fragged whom,\nwith what, how often"));
  p.setPen(QColor(120, 136, 160));
  p.drawText(QRect(12, 92, 180, 16), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("File > Open DM2 to begin"));
  return picture;
}

QPixmap aboutPhoto() {
  QPixmap picture(100, 131);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  fillBackdrop(p, picture.rect());

  // A helmeted player from the shoulders up.
  QPainterPath body;
  body.moveTo(10, 131);
  body.cubicTo(14, 96, 30, 88, 50, 88);
  body.cubicTo(70, 88, 86, 96, 90, 131);
  body.closeSubpath();
  p.fillPath(body, QColor(70, 86, 60));
  p.setBrush(QColor(96, 112, 80));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(50, 60), 22, 25);
  p.setBrush(QColor(30, 30, 30));
  p.drawRoundedRect(QRectF(33, 52, 34, 10), 4, 4);
  drawGunsight(p, QPointF(50, 60), 34, QColor(220, 40, 32, 170));
  return picture;
}

QIcon programIcon() {
  QPixmap icon(32, 32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(kNight);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  drawGunsight(p, QPointF(16, 16), 9, kFragRed.lighter(130));
  return QIcon(icon);
}

}  // namespace obitrak::ui
