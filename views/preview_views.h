// The views of the preview stack: the header pane, the attachment strip, the browser
// view and the rich-text view. They show nothing yet; the preview fills them.
#pragma once

#include <QString>
#include <QWidget>

namespace rescuva::views {

class CPreviewUpperView : public QWidget {
 public:
  using QWidget::QWidget;
};

class CAttachView1 : public QWidget {
 public:
  using QWidget::QWidget;
};

// The browser view. It keeps the file it was asked to show; drawing it comes with the
// preview.
class CHtm : public QWidget {
 public:
  using QWidget::QWidget;
  void Navigate(const QString& file) { file_ = file; }
  const QString& File() const { return file_; }

 private:
  QString file_;
};

class CRtfView : public QWidget {
 public:
  using QWidget::QWidget;
};

// The rows of the preview stack and its layouts.
enum PreviewRow {
  kHeaderRow = 0,
  kAttachmentRow = 1,
  kBrowserRow = 2,
  kTextRow = 3,
  kPreviewRows = 9
};

}  // namespace rescuva::views
