// CAttachView1, the attachment strip: an attachment mark and the names of a message's
// named attachments with their file-type icons, the latest added first.
#pragma once

#include <QListWidget>
#include <QToolButton>
#include <QWidget>

namespace rescuva::views {

class CAttachView1 : public QWidget {
 public:
  explicit CAttachView1(QWidget* parent = nullptr);

  void Clear() { list_->clear(); }
  // Inserts the name before all others, with the icon of its file type.
  void Add(const QString& name);
  QStringList Names() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* mark_;
  QListWidget* list_;
};

}  // namespace rescuva::views
