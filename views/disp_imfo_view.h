// CDispImfoView, the item list pane: holds the message list, which fills it, and the
// find bar above it when asked for (it filters the list as the user types; beside the
// box, whether the messages' own text is searched too, and a date range). The lists
// of the other item kinds (contacts, tasks, calendar, journal, notes) are not built:
// nothing fills them, so emptying and hiding "every list" concerns this one.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "views/mail_list_ctrl.h"

namespace rescuva::views {

class CDispImfoView : public QWidget {
 public:
  explicit CDispImfoView(QWidget* parent = nullptr);

  CMailListCtrl& List() { return *list_; }
  void EmptyAllLists();
  void HideAllLists();
  void ShowMessageList();
  // Shows the find bar and puts the cursor in it.
  void ShowFindBar();
  // Clears the find box and hides the bar: every row shows again.
  void HideFindBar();
  bool FindBarShown() const { return find_bar_->isVisibleTo(this); }
  QLineEdit& FindBox() { return *find_; }
  QCheckBox& InTextBox() { return *in_text_; }
  QLineEdit& SinceBox() { return *since_; }
  QLineEdit& UntilBox() { return *until_; }
  QString FindCount() const { return count_->text(); }
  // What searches the messages' own text for the find box's text; its owner hands the
  // answer to the list's model.
  void SetTextSearch(std::function<void(const QString& text)> search) {
    text_search_ = std::move(search);
  }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowCount();
  void SearchText();
  void ApplyDates();

  CMailListCtrl* list_;
  QWidget* find_bar_;
  QLineEdit* find_;
  QCheckBox* in_text_;
  QLineEdit* since_;
  QLineEdit* until_;
  QLabel* count_;
  std::function<void(const QString& text)> text_search_;
};

}  // namespace rescuva::views
