// A caption bar: a strip with an icon and a text in its own colours and font, as the
// toolkit's caption control draws it.
#pragma once

#include <QIcon>
#include <QWidget>

namespace rescuva::toolkit {

class CaptionBar : public QWidget {
 public:
  explicit CaptionBar(const QString& text = {}, QWidget* parent = nullptr);

  void SetText(const QString& text);
  void SetIcon(const QIcon& icon);
  void SetColours(const QColor& border, const QColor& face, const QColor& text);
  // 0 plain, 2 the Office 2003 look (a gradient face).
  void SetStyle(int style);
  QString Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QIcon icon_;
  QColor border_, face_, text_colour_;
  int style_ = 0;
};

}  // namespace rescuva::toolkit
