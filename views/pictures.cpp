#include "views/pictures.h"

#include <QPainter>

namespace rescuva::views {

QPixmap EnvelopePicture() {
  QPixmap pixmap(14, 13);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(90, 90, 90));
  painter.setBrush(QColor(255, 244, 200));
  painter.drawRect(0, 2, 13, 9);
  painter.drawLine(0, 2, 6, 7);
  painter.drawLine(13, 2, 7, 7);
  return pixmap;
}

QPixmap AttachmentMarkPicture(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(QColor(30, 60, 200), 2));
  painter.drawLine(width / 2, 1, width / 2, height - 5);
  painter.drawPoint(width / 2, height - 2);
  return pixmap;
}

QPixmap CutMarkPicture(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(200, 90, 0), 2));
  const int y = height / 2;
  painter.drawLine(1, y, width / 2, y);
  const QPoint zigzag[] = {{width / 2, y},
                           {width / 2 + 2, y - 4},
                           {width / 2 + 4, y + 4},
                           {width / 2 + 6, y - 4},
                           {width / 2 + 8, y}};
  painter.drawPolyline(zigzag, 5);
  return pixmap;
}

}  // namespace rescuva::views
