// CAttachView1, the attachment strip: an attachment mark and the names of a message's
// named attachments with their file-type icons, the latest added first. A left click
// does nothing; a right click offers to save the attachment under it, or all of them.
#pragma once

#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>

namespace rescuva::views {

class CAttachView1 : public QWidget {
 public:
  explicit CAttachView1(QWidget* parent = nullptr);

  void Clear() { list_->clear(); }
  // Inserts the name before all others, with the icon of its file type; `index` is the
  // attachment's place among the message's attachments.
  void Add(const QString& name, int index = -1);
  QStringList Names() const;
  // What "Save attachment as..." (given the attachment's index) and "Save all
  // attachments..." do.
  void SetOnSave(std::function<void(int index)> one, std::function<void()> all) {
    save_one_ = std::move(one);
    save_all_ = std::move(all);
  }
  // The right-click menu for the point `at` of the list.
  std::unique_ptr<QMenu> MenuAt(const QPoint& at);
  QListWidget& List() { return *list_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* mark_;
  QListWidget* list_;
  std::function<void(int index)> save_one_;
  std::function<void()> save_all_;
};

}  // namespace rescuva::views
