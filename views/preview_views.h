// The browser view of the preview stack, and the stack's rows.
#pragma once

#include <QString>
#include <QWidget>

namespace rescuva::views {

// The browser view. It keeps the file it was asked to show; rendering it is still to
// come, so it is always idle.
class CHtm : public QWidget {
 public:
  using QWidget::QWidget;
  void Navigate(const QString& file) { file_ = file; }
  const QString& File() const { return file_; }
  bool Idle() const { return true; }
  void Stop() {}

 private:
  QString file_;
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
