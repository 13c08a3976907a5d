#include "views/preview_upper_view.h"

#include <algorithm>

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
  notice_ = new QLabel(this);
  notice_->setTextFormat(Qt::PlainText);
  notice_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QPalette warning = notice_->palette();
  warning.setColor(QPalette::WindowText, QColor(180, 70, 0));
  notice_->setPalette(warning);
  notice_->hide();
}

void CPreviewUpperView::SetNotice(const QString& text) {
  notice_->setText(text);
  notice_->setToolTip(text);
  notice_->setVisible(!text.isEmpty());
  Layout();
}

void CPreviewUpperView::resizeEvent(QResizeEvent*) {
  Layout();
}

void CPreviewUpperView::Layout() {
  const int w = width(), h = height(), a = h / 2, b = w / 2;
  labels_[0]->setGeometry(0, 0, 80, a);
  values_[0]->setGeometry(80, 0, b - 80, a);
  labels_[1]->setGeometry(b, 0, 80, a);
  values_[1]->setGeometry(b + 50, 0, w - b - 50, a);
  labels_[2]->setGeometry(0, a, 80, h - a);
  // the notice takes the right of the Subject line; the subject keeps at least half
  const int notice = !notice_->isHidden() ? std::min(notice_->sizeHint().width() + 8, w / 2) : 0;
  values_[2]->setGeometry(80, a, w - 80 - notice, h - a);
  notice_->setGeometry(w - notice, a, notice - 4, h - a);
}

}  // namespace rescuva::views
