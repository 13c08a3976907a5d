// CPreviewUpperView, the header pane over a preview: From and To on the first line,
// Subject across the second, as the list row shows them.
#pragma once

#include <QLabel>
#include <QWidget>

namespace rescuva::views {

class CPreviewUpperView : public QWidget {
 public:
  explicit CPreviewUpperView(QWidget* parent = nullptr);

  void SetFrom(const QString& text) { values_[0]->setText(text); }
  void SetTo(const QString& text) { values_[1]->setText(text); }
  void SetSubject(const QString& text) { values_[2]->setText(text); }
  QString From() const { return values_[0]->text(); }
  QString To() const { return values_[1]->text(); }
  QString Subject() const { return values_[2]->text(); }
  // A line under the header that says what the reader must know of the message (that
  // it was cut); empty hides it.
  void SetNotice(const QString& text);
  QString Notice() const { return notice_->text(); }
  QRect NoticeRect() const { return notice_->isHidden() ? QRect() : notice_->geometry(); }
  QRect ValueRect(int field) const { return values_[field]->geometry(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();

  QLabel* labels_[3];
  QLabel* values_[3];
  QLabel* notice_;
};

}  // namespace rescuva::views
