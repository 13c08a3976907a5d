#include "app/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace rescuva::app {
namespace {

// The picture on a 256 x 256 grid.
void DrawIcon(QPainter& painter) {
  const QColor blue(0x2B, 0x57, 0x9A), orange(0xE0, 0x80, 0x10);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(blue);
  painter.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(40, 64, 160, 112), 10, 10);
  QPainterPath flap;
  flap.moveTo(40, 74);
  flap.lineTo(120, 134);
  flap.lineTo(200, 74);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(blue, 12, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  painter.drawPath(flap);
  const QRectF ring(136, 136, 96, 96);
  painter.setPen(QPen(orange, 24, Qt::SolidLine, Qt::FlatCap));
  painter.drawEllipse(ring);
  painter.setPen(QPen(Qt::white, 24, Qt::SolidLine, Qt::FlatCap));
  for (int quarter = 0; quarter < 4; ++quarter) {
    painter.drawArc(ring, (quarter * 90 + 30) * 16, 30 * 16);
  }
}

}  // namespace

QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.scale(size / 256.0, size / 256.0);
  DrawIcon(painter);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

}  // namespace rescuva::app
