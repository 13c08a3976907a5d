// CDispImfoView, the item list pane: holds the message list, which fills it. The
// lists of the other item kinds (contacts, tasks, calendar, journal, notes) are not
// built: nothing fills them, so emptying and hiding "every list" concerns this one.
#pragma once

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

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  CMailListCtrl* list_;
};

}  // namespace rescuva::views
