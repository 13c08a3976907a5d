// CMailListCtrl, the message list: whole-row multi-selection with grid lines and
// check boxes over a MessageListModel; a caption click sorts by that column (a second
// click reverses it); a click or key release asks for the preview of the row at the
// selection mark.
#pragma once

#include <QTableView>
#include <functional>

#include "views/message_list_model.h"

namespace rescuva::views {

class CMailListCtrl : public QTableView {
 public:
  explicit CMailListCtrl(QWidget* parent = nullptr);

  MessageListModel& Model() { return model_; }
  // The row last selected by click or keyboard; -1 when there is none.
  int SelectionMark() const;
  // The rows highlighted now, top to bottom.
  std::vector<int> SelectedRows() const;
  int SortedColumn() const { return sorted_column_; }
  Qt::SortOrder SortOrder() const { return sort_order_; }
  void SortByCaption(int column);
  // What a left click or a key release starts: the preview of the selection mark's row;
  // a click also tells the row under it (-1 for none).
  void SetPreviewRequest(std::function<void(bool by_click, int clicked_row)> request) {
    preview_ = std::move(request);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  MessageListModel model_;
  int sorted_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
  std::function<void(bool, int)> preview_;
};

}  // namespace rescuva::views
