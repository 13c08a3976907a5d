// CColourPicker, a button showing a colour swatch with a drop-down arrow, and
// ColourPopup, the grid of 40 named colours with "Automatic" and "More Colours..."
// it opens. The picker tells its parent of each step through one callback.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "controls/colour_popup_model.h"

namespace rescuva::controls {

class CColourPicker;

class ColourPopup : public QWidget {
 public:
  ColourPopup(CColourPicker* picker, ColourRef initial, const std::string& automatic_text,
              const std::string& more_text);

  const ColourPopupModel& Model() const { return model_; }
  // The rectangle of a colour box or entry, in the pop-up's coordinates.
  QRect BoxRect(int selection) const;
  // Ends the pop-up: accepted with the current selection, or cancelled.
  void End(bool accept);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ChangeSelection(int selection);
  int SelectionAt(const QPoint& point) const;

  CColourPicker* picker_;
  ColourPopupModel model_;
  QString automatic_text_, more_text_;
  int margin_, box_;
  QRect automatic_rect_, more_rect_;
  bool ended_ = false;
};

class CColourPicker : public QPushButton {
 public:
  enum class Mode { kText = 1, kBackground = 2 };
  using Notify = std::function<void(int message, ColourRef colour)>;

  explicit CColourPicker(QWidget* parent = nullptr);

  void SetNotify(Notify notify) { notify_ = std::move(notify); }
  ColourRef Colour() const { return mode_ == Mode::kText ? text_colour_ : background_colour_; }
  void SetColour(ColourRef colour);
  void SetBackgroundColour(ColourRef colour);
  void SetTextColour(ColourRef colour);
  void SetMode(Mode mode) { mode_ = mode; }
  void SetTrackSelection(bool on) { track_selection_ = on; }
  void SetTexts(std::string automatic, std::string more);
  bool Dropped() const { return popup_ != nullptr; }
  ColourPopup* Popup() const { return popup_; }
  QRect ArrowRect() const;
  // At least two arrows and two edges wide, an arrow and two edges high.
  QSize minimumSizeHint() const override;

  // Opens the pop-up under the button (what a press does).
  void DropDown();
  // What the pop-up reports: a highlighted colour, the end, or the cancellation.
  void OnPopup(int message, ColourRef colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int ArrowSize() const;
  void Tell(int message, ColourRef colour);

  ColourRef background_colour_;
  ColourRef text_colour_;
  Mode mode_ = Mode::kBackground;
  bool track_selection_ = false;
  std::string automatic_text_ = "Automatic";
  std::string more_text_ = "More Colours...";
  ColourPopup* popup_ = nullptr;
  Notify notify_;
};

}  // namespace rescuva::controls
