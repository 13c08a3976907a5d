#include "toolkit/caption_bar.h"

#include <QLinearGradient>
#include <QPainter>

namespace rescuva::toolkit {

CaptionBar::CaptionBar(const QString& text, QWidget* parent)
    : QWidget(parent),
      text_(text),
      border_(palette().color(QPalette::Button)),
      face_(palette().color(QPalette::Mid)),
      text_colour_(palette().color(QPalette::Base)) {}

void CaptionBar::SetText(const QString& text) {
  text_ = text;
  update();
}

void CaptionBar::SetIcon(const QIcon& icon) {
  icon_ = icon;
  update();
}

void CaptionBar::SetColours(const QColor& border, const QColor& face, const QColor& text) {
  border_ = border;
  face_ = face;
  text_colour_ = text;
  update();
}

void CaptionBar::SetStyle(int style) {
  style_ = style;
  update();
}

void CaptionBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (style_ == 2) {
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, face_.lighter(130));
    gradient.setColorAt(1, face_);
    painter.fillRect(rect(), gradient);
  } else {
    painter.fillRect(rect(), face_);
  }
  painter.setPen(border_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  int x = 4;
  if (!icon_.isNull()) {
    const int side = std::max(0, height() - 4);
    icon_.paint(&painter, QRect(x, 2, side, side));
    x += side + 4;
  }
  painter.setPen(text_colour_);
  painter.setFont(font());
  painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace rescuva::toolkit
