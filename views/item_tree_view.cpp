#include "views/item_tree_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

namespace rescuva::views {
namespace {

constexpr int kMaxShownDepth = 64;

}  // namespace

CItemTreeView::CItemTreeView(QWidget* parent)
    : QWidget(parent),
      caption_(new toolkit::CaptionBar("Recoverd Folder", this)),
      tree_(new QTreeWidget(this)) {
  tree_->header()->hide();
  tree_->setRootIsDecorated(true);
  tree_->setColumnCount(2);
  tree_->header()->setStretchLastSection(true);
  // names are never cut: a narrow pane scrolls, and the user may widen it
  tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
    if (chosen_) chosen_(ChosenFolder());
  });
  ApplySystemColours();
}

void CItemTreeView::Clear() {
  items_.clear();
  names_.clear();
  tally_ = catalogue::FolderTally();
  tree_->clear();
}

void CItemTreeView::ShowStore(const store::MailStore& store) {
  Clear();
  tally_ = catalogue::FolderTally(store.folders.size());
  auto* root = new QTreeWidgetItem(tree_);
  root->setData(0, Qt::UserRole, -1);
  // the tree nests no deeper than the view can lay out: deeper folders show beside
  // their parent
  std::vector<int> depth(store.folders.size(), 1);
  for (size_t f = 0; f < store.folders.size(); ++f) {
    // parents come before their children
    const int parent = store.folders[f].parent;
    QTreeWidgetItem* above = parent >= 0 ? items_[static_cast<size_t>(parent)] : root;
    if (parent >= 0) {
      depth[f] = depth[static_cast<size_t>(parent)] + 1;
      if (depth[f] > kMaxShownDepth) {
        above = above->parent();
        depth[f] = kMaxShownDepth;
      }
    }
    auto* item = new QTreeWidgetItem(above);
    item->setData(0, Qt::UserRole, static_cast<int>(f));
    items_.push_back(item);
    names_.push_back(store.folders[f].name);
    ShowCounts(*item, static_cast<int>(f), names_.back());
  }
  items_.push_back(root);
  names_.push_back("Outlook Express");
  ShowCounts(*root, -1, names_.back());
  tree_->expandAll();
  tree_->setCurrentItem(root);
}

void CItemTreeView::Count(const std::vector<catalogue::CatalogueRow>& rows) {
  if (items_.empty()) return;
  for (const auto& row : rows) tally_.Count(row);
  for (size_t i = 0; i < items_.size(); ++i) {
    const int folder = i + 1 == items_.size() ? -1 : static_cast<int>(i);
    ShowCounts(*items_[i], folder, names_[i]);
  }
}

// The count beside the name; the deleted ones in red in a column of their own.
void CItemTreeView::ShowCounts(QTreeWidgetItem& item, int folder, const std::string& name) {
  item.setText(
      0, QString::fromStdString(catalogue::FolderTally::CountText(name, tally_.Listed(folder))));
  item.setText(1,
               QString::fromStdString(catalogue::FolderTally::DeletedText(tally_.Deleted(folder))));
  item.setForeground(1, QColor(Qt::red));
}

int CItemTreeView::WidthForNames() const {
  // the counts column, and the counts beside the names, as they grow
  const int counts = tree_->fontMetrics().horizontalAdvance("(00000) 00000 deleted");
  tree_->resizeColumnToContents(0);
  return tree_->columnWidth(0) + counts + 2 * tree_->frameWidth() +
         tree_->verticalScrollBar()->sizeHint().width() + 4;
}

int CItemTreeView::ChosenFolder() const {
  const QTreeWidgetItem* current = tree_->currentItem();
  return current ? current->data(0, Qt::UserRole).toInt() : -1;
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
