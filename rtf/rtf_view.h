// CRtfView, the rich-text view that shows a plain-text body: Times New Roman 10 point,
// tab stops every 640 twips; the text can be edited and is never saved.
#pragma once

#include <QTextEdit>
#include <QWidget>

namespace rescuva::rtf {

class CRtfView : public QWidget {
 public:
  explicit CRtfView(QWidget* parent = nullptr);

  // Replaces the whole text.
  void SetText(const QString& text) { edit_->setPlainText(text); }
  QString Text() const { return edit_->toPlainText(); }
  QTextEdit& Edit() { return *edit_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTextEdit* edit_;
};

}  // namespace rescuva::rtf
