#include "views/preview_upper_view.h"

namespace rescuva::views {

CPreviewUpperView::CPreviewUpperView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette window = palette();
  window.setColor(QPalette::Window, palette().color(QPalette::Base));
  setPalette(window);
  const char* captions[3] = {"From", "To", "Subject"};
  QFont value_font("Arial");
  value_font.setPixelSize(16);
  for (int i = 0; i < 3; ++i) {
    labels_[i] = new QLabel(captions[i], this);
    values_[i] = new QLabel(this);
    values_[i]->setFont(value_font);
    for (QLabel* label : {labels_[i], values_[i]}) {
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      label->setTextInteractionFlags(Qt::NoTextInteraction);
      label->setTextFormat(Qt::PlainText);  // recovered text is never markup
    }
  }
}

void CPreviewUpperView::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height(), a = h / 2, b = w / 2;
  labels_[0]->setGeometry(0, 0, 80, a);
  values_[0]->setGeometry(80, 0, b - 80, a);
  labels_[1]->setGeometry(b, 0, 80, a);
  values_[1]->setGeometry(b + 50, 0, w - b - 50, a);
  labels_[2]->setGeometry(0, a, 80, h - a);
  values_[2]->setGeometry(80, a, w - 80, h - a);
}

}  // namespace rescuva::views
