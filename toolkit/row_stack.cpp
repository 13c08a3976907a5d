#include "toolkit/row_stack.h"

#include <algorithm>

namespace rescuva::toolkit {

std::vector<int> StackRows(const std::vector<int>& ideal_heights, int total) {
  std::vector<int> heights(ideal_heights.size(), 0);
  int left = std::max(0, total);
  for (size_t i = 0; i + 1 < ideal_heights.size(); ++i) {
    heights[i] = std::clamp(ideal_heights[i], 0, left);
    left -= heights[i];
  }
  if (!heights.empty()) heights.back() = left;
  return heights;
}

void RowStack::AddRow(QWidget* pane, int ideal_height) {
  pane->setParent(this);
  panes_.push_back(pane);
  ideal_.push_back(ideal_height);
}

void RowStack::SetRowHeight(int row, int ideal_height) {
  if (row >= 0 && row < RowCount()) ideal_[static_cast<size_t>(row)] = ideal_height;
}

void RowStack::LayoutRows() {
  const std::vector<int> heights = StackRows(ideal_, height());
  int top = 0;
  for (size_t i = 0; i < panes_.size(); ++i) {
    panes_[i]->setGeometry(0, top, width(), heights[i]);
    panes_[i]->setVisible(heights[i] > 0);
    top += heights[i];
  }
}

void RowStack::resizeEvent(QResizeEvent*) {
  if (on_resize_) on_resize_(height());
  LayoutRows();
}

}  // namespace rescuva::toolkit
