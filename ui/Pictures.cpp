#include "ui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QPixmap Transparent(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// Draws on a 100 by 100 design grid stretched to the pixmap.
void ScaleToGrid(QPainter& painter, QSize size) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size.width() / 100.0, size.height() / 100.0);
}

void DrawPrint(QPainter& painter, QPointF centre, double angle, QColor sky) {
  painter.save();
  painter.translate(centre);
  painter.rotate(angle);
  painter.setPen(QPen(QColor(120, 120, 120), 0.6));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(-22, -16, 44, 32));
  painter.setPen(Qt::NoPen);
  painter.setBrush(sky);
  painter.drawRect(QRectF(-19, -13, 38, 26));
  painter.setClipRect(QRectF(-19, -13, 38, 26));
  painter.setBrush(QColor(70, 140, 60));
  painter.drawEllipse(QRectF(-30, 2, 44, 24));
  painter.setBrush(QColor(250, 210, 60));
  painter.drawEllipse(QPointF(10, -6), 4, 4);
  painter.restore();
}

void DrawHand(QPainter& painter) {
  const QColor skin(233, 180, 140);
  painter.setPen(QPen(QColor(170, 110, 80), 0.8));
  painter.setBrush(skin);
  painter.drawRoundedRect(QRectF(30, 72, 36, 30), 12, 12);  // palm
  for (int finger = 0; finger < 4; ++finger) {
    painter.drawRoundedRect(QRectF(38 + finger * 7.0, 58 + finger * 1.5, 7, 20), 3.5, 3.5);
  }
  QPainterPath thumb;
  thumb.moveTo(32, 86);
  thumb.cubicTo(22, 80, 20, 66, 28, 62);
  thumb.cubicTo(34, 62, 36, 72, 40, 80);
  painter.drawPath(thumb);
  painter.setBrush(QColor(60, 80, 140));
  painter.drawRect(QRectF(28, 96, 40, 6));  // sleeve
}

void DrawButtonFace(QPainter& painter, QRectF face, bool pressed) {
  QLinearGradient shade(face.topLeft(), face.bottomLeft());
  shade.setColorAt(0, pressed ? QColor(150, 150, 150) : QColor(245, 245, 245));
  shade.setColorAt(1, pressed ? QColor(105, 105, 105) : QColor(200, 200, 200));
  painter.setPen(QPen(pressed ? QColor(70, 70, 70) : QColor(140, 140, 140), 1));
  painter.setBrush(shade);
  painter.drawRoundedRect(face, 10, 10);
}

}  // namespace

QPixmap MakerLogo(QSize size) {
  QPixmap pixmap = Transparent(size);
  QPainter painter(&pixmap);
  ScaleToGrid(painter, size);
  QRadialGradient orb(QPointF(38, 34), 60);
  orb.setColorAt(0, QColor(255, 200, 90));
  orb.setColorAt(1, QColor(214, 90, 20));
  painter.setPen(Qt::NoPen);
  painter.setBrush(orb);
  painter.drawEllipse(QRectF(4, 4, 92, 92));
  painter.setBrush(QColor(255, 255, 255));
  painter.drawEllipse(QRectF(26, 26, 48, 48));
  painter.setBrush(QColor(30, 70, 160));
  painter.drawEllipse(QRectF(36, 36, 28, 28));
  QPainterPath wave;
  wave.moveTo(6, 62);
  wave.cubicTo(30, 44, 60, 84, 94, 60);
  wave.lineTo(94, 70);
  wave.cubicTo(60, 94, 30, 54, 8, 72);
  wave.closeSubpath();
  painter.setBrush(QColor(30, 70, 160, 200));
  painter.drawPath(wave);
  return pixmap;
}

QPixmap HandWithPrints(QSize size) {
  QPixmap pixmap(size);
  QPainter painter(&pixmap);
  QLinearGradient wall(0, 0, 0, size.height());
  wall.setColorAt(0, QColor(236, 226, 204));
  wall.setColorAt(1, QColor(176, 150, 118));
  painter.fillRect(pixmap.rect(), wall);
  ScaleToGrid(painter, size);
  DrawPrint(painter, QPointF(40, 50), -18, QColor(120, 170, 230));
  DrawPrint(painter, QPointF(52, 47), 4, QColor(250, 170, 110));
  DrawPrint(painter, QPointF(62, 52), 22, QColor(150, 200, 240));
  DrawHand(painter);
  return pixmap;
}

QPixmap ButtonFace(const QString& word, bool pressed) {
  QPixmap pixmap = Transparent(QSize(101, 30));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawButtonFace(painter, QRectF(0.5, 0.5, 100, 29), pressed);
  QFont serif("DejaVu Serif");
  serif.setPixelSize(17);
  serif.setBold(true);
  painter.setFont(serif);
  painter.setPen(pressed ? QColor(255, 230, 0) : QColor(20, 50, 170));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, word);
  return pixmap;
}

QPixmap Globe(bool grey) {
  QPixmap pixmap = Transparent(QSize(16, 16));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(grey ? QColor(90, 90, 90) : QColor(20, 60, 140), 1));
  painter.setBrush(grey ? QColor(190, 190, 190) : QColor(80, 150, 230));
  painter.drawEllipse(QRectF(1, 1, 14, 14));
  painter.setPen(Qt::NoPen);
  painter.setBrush(grey ? QColor(140, 140, 140) : QColor(60, 160, 70));
  painter.drawEllipse(QRectF(3, 4, 5, 4));
  painter.drawEllipse(QRectF(8, 8, 5, 5));
  painter.setPen(QPen(grey ? QColor(110, 110, 110) : QColor(230, 240, 255), 0.6));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QRectF(5, 1, 6, 14));
  painter.drawLine(QPointF(1, 8), QPointF(15, 8));
  return pixmap;
}

QPixmap CheckMark() {
  QPixmap pixmap = Transparent(QSize(16, 16));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
  return pixmap;
}

QPixmap FolderGlyph() {
  QPixmap pixmap = Transparent(QSize(16, 16));
  QPainter painter(&pixmap);
  painter.setPen(QColor(120, 90, 0));
  painter.setBrush(QColor(250, 210, 80));
  painter.drawRect(QRect(1, 4, 13, 9));
  painter.drawRect(QRect(1, 2, 5, 2));
  return pixmap;
}
