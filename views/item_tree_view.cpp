#include "views/item_tree_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>

namespace rescuva::views {

CItemTreeView::CItemTreeView(QWidget* parent)
    : QWidget(parent),
      caption_(new toolkit::CaptionBar("Recoverd Folder", this)),
      tree_(new QTreeWidget(this)) {
  tree_->header()->hide();
  tree_->setRootIsDecorated(true);
  ApplySystemColours();
}

void CItemTreeView::ApplySystemColours() {
  const QPalette p = palette();
  caption_->SetColours(p.color(QPalette::Button), p.color(QPalette::Button),
                       p.color(QPalette::ButtonText));
}

void CItemTreeView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) ApplySystemColours();
  QWidget::changeEvent(event);
}

// The client area lies one pixel inside the border; the caption and the tree are
// placed from its corner, so the tree's last pixels are clipped.
void CItemTreeView::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  caption_->setGeometry(1, 1, std::max(0, w - 2), std::min(19, std::max(0, h - 2)));
  tree_->setGeometry(1, 20, std::max(0, w - 2), std::max(0, std::min(h - 19, h - 21)));
}

void CItemTreeView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette p = palette();
  painter.setPen(p.color(QPalette::Mid));
  painter.drawLine(0, 0, width() - 1, 0);
  painter.drawLine(0, 0, 0, height() - 1);
  painter.setPen(p.color(QPalette::Light));
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
  painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
}

}  // namespace rescuva::views
