// A column of panes whose heights come from their ideal heights: each row but the
// last gets its ideal height as far as room is left, the last gets what remains.
// The user cannot drag its bars (the toolkit's fixed splitter style).
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

namespace rescuva::toolkit {

// Rows laid out top to bottom: each row but the last gets its ideal height as far as
// room is left, a row of ideal height 0 gets none, the last row gets what remains.
std::vector<int> StackRows(const std::vector<int>& ideal_heights, int total);

class RowStack : public QWidget {
 public:
  explicit RowStack(QWidget* parent = nullptr) : QWidget(parent) {}

  // Appends a row; the stack owns the pane.
  void AddRow(QWidget* pane, int ideal_height = 0);
  void SetRowHeight(int row, int ideal_height);
  int IdealHeight(int row) const { return ideal_[static_cast<size_t>(row)]; }
  QWidget* Row(int row) const { return panes_[static_cast<size_t>(row)]; }
  int RowCount() const { return static_cast<int>(panes_.size()); }
  // Places the rows in the current size.
  void LayoutRows();
  // Called with the new height whenever the stack is resized, before its rows are
  // placed: the owner sets the ideal heights for that height.
  void SetOnResize(std::function<void(int height)> on_resize) { on_resize_ = std::move(on_resize); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<QWidget*> panes_;
  std::vector<int> ideal_;
  std::function<void(int)> on_resize_;
};

}  // namespace rescuva::toolkit
