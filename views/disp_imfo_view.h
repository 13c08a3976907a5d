// CDispImfoView, the item list pane: holds the message list, which fills it, and the
// find bar above it when asked for (it filters the list as the user types). The lists
// of the other item kinds (contacts, tasks, calendar, journal, notes) are not built:
// nothing fills them, so emptying and hiding "every list" concerns this one.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

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
  QString FindCount() const { return count_->text(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowCount();

  CMailListCtrl* list_;
  QWidget* find_bar_;
  QLineEdit* find_;
  QLabel* count_;
};

}  // namespace rescuva::views
