#include "views/attach_view.h"

#include "views/pictures.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace rescuva::views {
namespace {

// The icon of a file type by the name alone; the generic file icon when unknown.
QIcon TypeIcon(const QString& name) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
  QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_FileIcon) : icon;
}

}  // namespace

CAttachView1::CAttachView1(QWidget* parent)
    : QWidget(parent), mark_(new QToolButton(this)), list_(new QListWidget(this)) {
  mark_->setIcon(QIcon(AttachmentMarkPicture(16, 16)));
  mark_->setAutoRaise(true);
  list_->setViewMode(QListView::ListMode);
  list_->setFlow(QListView::TopToBottom);
  list_->setWrapping(true);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { MenuAt(at)->exec(list_->viewport()->mapToGlobal(at)); });
}

void CAttachView1::Add(const QString& name, int index) {
  auto* item = new QListWidgetItem(TypeIcon(name), name);
  item->setData(Qt::UserRole, index);
  list_->insertItem(0, item);
}

std::unique_ptr<QMenu> CAttachView1::MenuAt(const QPoint& at) {
  auto menu = std::make_unique<QMenu>(this);
  const QListWidgetItem* item = list_->itemAt(at);
  const int index = item ? item->data(Qt::UserRole).toInt() : -1;
  QAction* one = menu->addAction("Save attachment as...");
  one->setEnabled(index >= 0 && save_one_);
  connect(one, &QAction::triggered, this, [this, index] { save_one_(index); });
  QAction* all = menu->addAction("Save all attachments...");
  all->setEnabled(list_->count() > 0 && save_all_);
  connect(all, &QAction::triggered, this, [this] { save_all_(); });
  return menu;
}

QStringList CAttachView1::Names() const {
  QStringList names;
  for (int i = 0; i < list_->count(); ++i) names << list_->item(i)->text();
  return names;
}

void CAttachView1::resizeEvent(QResizeEvent*) {
  mark_->setGeometry(0, 0, 16, 16);
  list_->setGeometry(20, 0, width() - 20, height());
}

}  // namespace rescuva::views
