#include "views/disp_imfo_view.h"

namespace rescuva::views {

CDispImfoView::CDispImfoView(QWidget* parent) : QWidget(parent), list_(new CMailListCtrl(this)) {}

void CDispImfoView::EmptyAllLists() {
  list_->Model().Clear();
}

void CDispImfoView::HideAllLists() {
  list_->hide();
}

void CDispImfoView::ShowMessageList() {
  list_->show();
}

void CDispImfoView::resizeEvent(QResizeEvent*) {
  list_->setGeometry(rect());
}

}  // namespace rescuva::views
