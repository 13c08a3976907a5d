#include "app/page_look.h"

#include <QLinearGradient>
#include <QPixmap>
#include <QPolygon>

#include "msgbox/message_call.h"

namespace rescuva::app {

void DrawBanner(QPainter& painter) {
  QLinearGradient gradient(0, 0, 0, 36);
  gradient.setColorAt(0, QColor(0x2B, 0x57, 0x9A));
  gradient.setColorAt(1, QColor(0x5B, 0x8B, 0xD0));
  painter.fillRect(QRect(0, 0, 1491, 36), gradient);
  QFont bold = painter.font();
  bold.setBold(true);
  bold.setPixelSize(16);
  painter.setFont(bold);
  painter.setPen(Qt::white);
  painter.drawText(QRect(12, 0, 1479, 36), Qt::AlignVCenter | Qt::AlignLeft,
                   QString(msgbox::kApplicationTitle));
}

QIcon ButtonIcon(ButtonPicture picture) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  switch (picture) {
    case ButtonPicture::kForward:
      painter.setBrush(QColor(0x2E, 0x8B, 0x57));
      painter.drawPolygon(QPolygon({QPoint(5, 4), QPoint(20, 12), QPoint(5, 20)}));
      break;
    case ButtonPicture::kBack:
      painter.setBrush(QColor(0x2B, 0x57, 0x9A));
      painter.drawPolygon(QPolygon({QPoint(19, 4), QPoint(4, 12), QPoint(19, 20)}));
      break;
    case ButtonPicture::kStop:
      painter.setBrush(QColor(0xC0, 0x20, 0x20));
      painter.drawRoundedRect(5, 5, 14, 14, 2, 2);
      break;
    case ButtonPicture::kFinish:
      painter.setPen(QPen(QColor(0x2E, 0x8B, 0x57), 3));
      painter.drawPolyline(QPolygon({QPoint(4, 13), QPoint(10, 19), QPoint(20, 5)}));
      break;
  }
  return QIcon(pixmap);
}

QPushButton* PageButton(const QString& caption, ButtonPicture picture, QWidget* parent) {
  auto* button = new QPushButton(ButtonIcon(picture), caption, parent);
  button->setIconSize(QSize(24, 24));
  return button;
}

}  // namespace rescuva::app
