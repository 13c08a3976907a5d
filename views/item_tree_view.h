// CItemTreeView, the folder tree pane: a caption "Recoverd Folder" over a tree that
// the scan never fills, inside a one-pixel sunken border.
#pragma once

#include <QTreeWidget>
#include <QWidget>

#include "toolkit/caption_bar.h"

namespace rescuva::views {

class CItemTreeView : public QWidget {
 public:
  explicit CItemTreeView(QWidget* parent = nullptr);

  QTreeWidget& Tree() { return *tree_; }
  toolkit::CaptionBar& Caption() { return *caption_; }
  void Clear() { tree_->clear(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplySystemColours();

  toolkit::CaptionBar* caption_;
  QTreeWidget* tree_;
};

}  // namespace rescuva::views
