#include "views/mail_list_ctrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace rescuva::views {

CMailListCtrl::CMailListCtrl(QWidget* parent) : QTableView(parent) {
  setModel(&model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(true);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setSortIndicatorShown(false);
  horizontalHeader()->setHighlightSections(false);
  for (int c = 0; c < MessageListModel::kColumnCount; ++c) {
    setColumnWidth(c, MessageListModel::kColumnWidths[c]);
  }
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int c) { SortByCaption(c); });
}

void CMailListCtrl::SortByCaption(int column) {
  sort_order_ = column == sorted_column_ && sort_order_ == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
  sorted_column_ = column;
  horizontalHeader()->setSortIndicatorShown(true);
  horizontalHeader()->setSortIndicator(column, sort_order_);
  model_.sort(column, sort_order_);
}

int CMailListCtrl::SelectionMark() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

std::vector<int> CMailListCtrl::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CMailListCtrl::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && preview_) {
    preview_(true, indexAt(event->position().toPoint()).row());
  }
}

// Home and End go to the first and last row, as in a list of rows.
QModelIndex CMailListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if ((action == MoveHome || action == MoveEnd) && model_.rowCount() > 0) {
    const int column = std::max(0, currentIndex().column());
    return model_.index(action == MoveHome ? 0 : model_.rowCount() - 1, column);
  }
  return QTableView::moveCursor(action, modifiers);
}

// A move with Ctrl would take the current row away from the highlight; the list's
// moves always keep the two together, so the row read is the row saved.
void CMailListCtrl::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (event->modifiers() & Qt::ControlModifier) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ControlModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QTableView::keyPressEvent(&plain);
        return;
      }
      break;
    default:
      break;
  }
  QTableView::keyPressEvent(event);
}

void CMailListCtrl::keyReleaseEvent(QKeyEvent* event) {
  QTableView::keyReleaseEvent(event);
  if (preview_) preview_(false, -1);
}

}  // namespace rescuva::views
