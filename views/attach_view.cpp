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
}

void CAttachView1::Add(const QString& name) {
  list_->insertItem(0, new QListWidgetItem(TypeIcon(name), name));
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
