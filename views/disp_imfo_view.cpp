#include "views/disp_imfo_view.h"

#include <QKeyEvent>

#include "catalogue/message_filter.h"

namespace rescuva::views {
namespace {

constexpr int kFindBarHeight = 28;

}  // namespace

CDispImfoView::CDispImfoView(QWidget* parent)
    : QWidget(parent),
      list_(new CMailListCtrl(this)),
      find_bar_(new QWidget(this)),
      find_(new QLineEdit(find_bar_)),
      in_text_(new QCheckBox("in message text", find_bar_)),
      since_(new QLineEdit(find_bar_)),
      until_(new QLineEdit(find_bar_)),
      count_(new QLabel(find_bar_)) {
  since_->setPlaceholderText("since 2004-02-10");
  until_->setPlaceholderText("until 2004-02-10");
  find_->setPlaceholderText("Find in From, To, Subject or Date");
  find_->setClearButtonEnabled(true);
  find_->installEventFilter(this);
  count_->setTextFormat(Qt::PlainText);
  find_bar_->hide();
  MessageListModel& model = list_->Model();
  connect(find_, &QLineEdit::textChanged, this, [this, &model](const QString& text) {
    model.SetFilter(text);
    SearchText();
    ShowCount();
  });
  connect(in_text_, &QCheckBox::toggled, this, [this] { SearchText(); });
  for (QLineEdit* day : {since_, until_}) {
    connect(day, &QLineEdit::textChanged, this, [this] { ApplyDates(); });
  }
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
  in_text_->setChecked(false);
  since_->clear();
  until_->clear();
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

// With "in message text", the messages' own text is searched for the find box's text:
// the rows found join the shown ones when the search has gone through every message.
void CDispImfoView::SearchText() {
  list_->Model().SetTextMatches(std::nullopt);
  if (!in_text_->isChecked() || find_->text().isEmpty() || !text_search_) return;
  text_search_(find_->text());
  count_->setText("searching the text...");
}

// A day as 2004-02-10 (or 2004-02-10T19:26:59Z) in either box bounds the dates shown;
// a box whose text is no day shows so and bounds nothing.
void CDispImfoView::ApplyDates() {
  std::optional<int64_t> bounds[2];
  QLineEdit* boxes[2] = {since_, until_};
  for (int i = 0; i < 2; ++i) {
    const std::string text = boxes[i]->text().trimmed().toStdString();
    bounds[i] = text.empty() ? std::nullopt : catalogue::ParseDay(text, i == 1);
    const bool bad = !text.empty() && !bounds[i];
    boxes[i]->setStyleSheet(bad ? "color: #C00000" : "");
  }
  list_->Model().SetDateRange(bounds[0], bounds[1]);
  ShowCount();
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
  const int box = std::max(0, width() - 184 - 390);
  find_->setGeometry(2, 2, box, bar - 4);
  in_text_->setGeometry(box + 8, 2, 130, bar - 4);
  since_->setGeometry(box + 142, 2, 120, bar - 4);
  until_->setGeometry(box + 266, 2, 120, bar - 4);
  count_->setGeometry(width() - 176, 2, 174, bar - 4);
  list_->setGeometry(0, bar, width(), height() - bar);
}

}  // namespace rescuva::views
