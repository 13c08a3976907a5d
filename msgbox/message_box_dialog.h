// MessageBoxDialog: the modal box PPMessageBox shows in the desktop application:
// markup header, message and details, painted backgrounds and separators, the
// buttons of the style, "Do not show again", countdowns and the details area.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <vector>

#include "msgbox/markup_drawer.h"
#include "msgbox/message_box_geometry.h"
#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {

class MessageBoxDialog : public QDialog {
 public:
  MessageBoxDialog(const MessageBoxOptions& options, QWidget* owner);
  ~MessageBoxDialog() override;

  const MessageBoxGeometry& Geometry() const { return geometry_; }
  // The button of a result code; null when the box has none.
  QPushButton* Button(int code) const;
  QCheckBox* CheckBox() const { return check_box_; }
  bool Cancellable() const { return cancellable_; }
  int Remaining() const { return remaining_; }
  // Presses a button as a click does (also what the countdown does).
  void Press(int code);
  // One second of the countdown.
  void Tick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Entry {
    int code;
    std::string label;
    QPushButton* button;
  };
  void CreateControls(const std::vector<std::string>& labels);
  void MeasureTexts(MessageBoxMeasures& measures);
  QPixmap Background();
  void DrawSeparator(QPainter& painter, int y, const MessageBoxArea& area);
  std::vector<MarkupDrawer*> VisibleDrawers();
  Entry* Default();

  MessageBoxOptions options_;
  std::string caption_;
  std::string countdown_format_;
  MarkupDrawer header_, message_, details_;
  QImage icon_;
  MessageBoxGeometry geometry_;
  std::vector<Entry> buttons_;
  size_t default_index_ = 0;
  QCheckBox* check_box_ = nullptr;
  QLabel* check_label_ = nullptr;
  bool cancellable_ = true;
  bool expanded_ = false;
  int remaining_ = 0;
  QTimer timer_;
  QPixmap background_;
};

// Installs the box as what PPMessageBox shows; call once the application exists.
void InstallMessageBoxDialog();
// The box of a completed record: the owner, caption and remembered-answer rules, then
// the modal box; the result code.
int ShowMessageBox(MessageBoxOptions options);

}  // namespace rescuva::msgbox
