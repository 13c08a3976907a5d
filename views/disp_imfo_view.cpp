#include "views/disp_imfo_view.h"

#include <QKeyEvent>

namespace rescuva::views {
namespace {

constexpr int kFindBarHeight = 28;

}  // namespace

CDispImfoView::CDispImfoView(QWidget* parent)
    : QWidget(parent),
      list_(new CMailListCtrl(this)),
      find_bar_(new QWidget(this)),
      find_(new QLineEdit(find_bar_)),
      count_(new QLabel(find_bar_)) {
  find_->setPlaceholderText("Find in From, To, Subject or Date");
  find_->setClearButtonEnabled(true);
  find_->installEventFilter(this);
  count_->setTextFormat(Qt::PlainText);
  find_bar_->hide();
  MessageListModel& model = list_->Model();
  connect(find_, &QLineEdit::textChanged, this, [this, &model](const QString& text) {
    model.SetFilter(text);
    ShowCount();
  });
  for (auto signal : {&MessageListModel::rowsInserted, &MessageListModel::rowsRemoved}) {
    connect(&model, signal, this, [this] { ShowCount(); });
  }
  connect(&model, &MessageListModel::modelReset, this, [this] { ShowCount(); });
}

// A new scan or the way back to the file choice also ends a search: a filter typed for
// one file never hides the rows of the next.
void CDispImfoView::EmptyAllLists() {
  HideFindBar();
  list_->Model().Clear();
}

void CDispImfoView::HideFindBar() {
  find_->clear();
  find_bar_->hide();
  resizeEvent(nullptr);
}

void CDispImfoView::HideAllLists() {
  list_->hide();
}

void CDispImfoView::ShowMessageList() {
  list_->show();
}

void CDispImfoView::ShowFindBar() {
  find_bar_->show();
  resizeEvent(nullptr);
  find_->setFocus();
  find_->selectAll();
  ShowCount();
}

// "12 of 80000 emails"; every row while nothing is typed.
void CDispImfoView::ShowCount() {
  const MessageListModel& model = list_->Model();
  count_->setText(QString("%1 of %2 emails").arg(model.rowCount()).arg(model.AllRowCount()));
}

// Escape in the find box clears it and hides the bar: the whole list shows again.
bool CDispImfoView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == find_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    HideFindBar();
    list_->setFocus();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CDispImfoView::resizeEvent(QResizeEvent*) {
  // the bar keeps its room while the whole pane is hidden (the results area collapsed)
  const int bar = find_bar_->isVisibleTo(this) ? kFindBarHeight : 0;
  find_bar_->setGeometry(0, 0, width(), bar);
  find_->setGeometry(2, 2, std::max(0, width() - 184), bar - 4);
  count_->setGeometry(width() - 176, 2, 174, bar - 4);
  list_->setGeometry(0, bar, width(), height() - bar);
}

}  // namespace rescuva::views
