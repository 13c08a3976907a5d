#include "controls/colour_picker.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include "msgbox/draw_kit.h"
#include "msgbox/system_colours.h"

namespace rescuva::controls {
namespace {

constexpr int kEdge = 2;  // SM_CXEDGE and SM_CYEDGE
constexpr int kButtonFace = 15, kButtonShadow = 16, kButtonText = 18, kButtonHighlight = 20;

QColor System(int index) {
  return msgbox::ToQColor(msgbox::SystemColour(index));
}

}  // namespace

// --- the pop-up -----------------------------------------------------------

ColourPopup::ColourPopup(CColourPicker* picker, ColourRef initial,
                         const std::string& automatic_text, const std::string& more_text)
    : QWidget(nullptr, Qt::Popup),
      picker_(picker),
      model_(initial, !automatic_text.empty(), !more_text.empty()),
      automatic_text_(QString::fromStdString(automatic_text)),
      more_text_(QString::fromStdString(more_text)),
      margin_(kEdge),
      box_(std::max(18, 2 * kEdge + 7)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setMouseTracking(true);
  const QFontMetrics metrics(font());
  int width = 2 * margin_ + kPopupColumns * box_;
  int height = 2 * margin_ + kPopupRows * box_;
  const int text_box = metrics.height() + 4 * margin_ + 2;
  int grid_top = margin_;
  if (model_.HasAutomatic()) {
    width = std::max(width, metrics.horizontalAdvance(automatic_text_) + 2 * margin_);
    automatic_rect_ = QRect(margin_, margin_, width - 2 * margin_, text_box);
    height += text_box + margin_;
    grid_top += text_box + margin_;
  }
  if (model_.HasMore()) {
    width = std::max(width, metrics.horizontalAdvance(more_text_) + 2 * margin_);
    more_rect_ = QRect(margin_, height - margin_, width - 2 * margin_, text_box);
    height += text_box + margin_;
  }
  resize(width, height);
  // Under the button, kept on the screen; above the button when there is no room below.
  const QPoint corner = picker ? picker->mapToGlobal(QPoint(0, picker->height())) : QPoint(0, 0);
  const QRect screen = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->geometry()
                           : QRect(0, 0, 1024, 768);
  int x = std::clamp(corner.x(), screen.left(), std::max(screen.left(), screen.right() - width));
  int y = corner.y();
  if (y + height > screen.bottom() && picker) y = picker->mapToGlobal(QPoint(0, 0)).y() - height;
  move(x, y);
}

QRect ColourPopup::BoxRect(int selection) const {
  if (selection == kSelectAutomatic) return automatic_rect_;
  if (selection == kSelectMore) return more_rect_;
  const int top = margin_ + (model_.HasAutomatic() ? automatic_rect_.height() + margin_ : 0);
  return QRect((selection % kPopupColumns) * box_ + margin_,
               (selection / kPopupColumns) * box_ + top, box_, box_);
}

int ColourPopup::SelectionAt(const QPoint& point) const {
  if (model_.HasAutomatic() && automatic_rect_.contains(point)) return kSelectAutomatic;
  if (model_.HasMore() && more_rect_.contains(point)) return kSelectMore;
  for (int i = 0; i < kPopupColourCount; ++i) {
    if (BoxRect(i).contains(point)) return i;
  }
  return kSelectNone;
}

void ColourPopup::ChangeSelection(int selection) {
  if (!model_.Select(selection)) return;
  update();
  if (selection >= 0) {
    QToolTip::showText(mapToGlobal(BoxRect(selection).bottomRight()), kPopupColours[selection].name,
                       this);
  }
  if (picker_) picker_->OnPopup(kColourSelChange, model_.ColourOf(selection));
}

void ColourPopup::mouseMoveEvent(QMouseEvent* event) {
  const int selection = SelectionAt(event->position().toPoint());
  if (selection != kSelectNone) ChangeSelection(selection);
}

void ColourPopup::mouseReleaseEvent(QMouseEvent* event) {
  End(rect().contains(event->position().toPoint()));
}

void ColourPopup::keyPressEvent(QKeyEvent* event) {
  ColourPopupModel moved = model_;
  switch (event->key()) {
    case Qt::Key_Right:
      moved.MoveRight();
      break;
    case Qt::Key_Left:
      moved.MoveLeft();
      break;
    case Qt::Key_Up:
      moved.MoveUp();
      break;
    case Qt::Key_Down:
      moved.MoveDown();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      End(true);
      return;
    case Qt::Key_Escape:
      End(false);
      return;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  ChangeSelection(moved.Selection());
}

bool ColourPopup::event(QEvent* event) {
  // losing the application's activation (a click elsewhere) cancels
  if (event->type() == QEvent::Hide && !ended_) End(false);
  return QWidget::event(event);
}

void ColourPopup::End(bool accept) {
  if (ended_) return;
  ended_ = true;
  ColourRef chosen = model_.Initial();
  if (accept && model_.Selection() == kSelectMore) {
    const QColor initial = msgbox::ToQColor(model_.Initial());
    const QColor picked =
        QColorDialog::getColor(initial, nullptr, QString(), QColorDialog::ColorDialogOptions());
    accept = picked.isValid();
    if (accept)
      chosen = msgbox::Rgb(static_cast<uint8_t>(picked.red()), static_cast<uint8_t>(picked.green()),
                           static_cast<uint8_t>(picked.blue()));
  } else if (accept) {
    chosen = model_.ColourOf(model_.Selection());
  }
  if (picker_) picker_->OnPopup(accept ? kColourSelEnd : kColourSelCancel, chosen);
  close();
}

void ColourPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), System(kButtonFace));
  const int current = model_.Selection();
  const int initial = model_.InitialIndex();
  auto frame_box = [&](int selection, const QRect& box) {
    if (selection == current) {
      qDrawShadePanel(&painter, box.adjusted(1, 1, -1, -1), palette(), false, 1);
    } else if (selection == initial) {
      painter.fillRect(box, System(kButtonHighlight));
      qDrawShadePanel(&painter, box, palette(), true, 1);
    }
  };
  for (int i = 0; i < kPopupColourCount; ++i) {
    const QRect box = BoxRect(i);
    frame_box(i, box);
    const QRect swatch = box.adjusted(margin_ + 1, margin_ + 1, -margin_ - 1, -margin_ - 1);
    painter.fillRect(swatch, msgbox::ToQColor(kPopupColours[i].colour));
    painter.setPen(System(kButtonShadow));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  }
  painter.setPen(System(kButtonText));
  if (model_.HasAutomatic()) {
    frame_box(kSelectAutomatic, automatic_rect_);
    painter.setPen(System(kButtonShadow));
    painter.drawRect(
        automatic_rect_.adjusted(2 * margin_, 2 * margin_, -2 * margin_ - 1, -2 * margin_ - 1));
    painter.setPen(System(kButtonText));
    painter.drawText(automatic_rect_, Qt::AlignCenter, automatic_text_);
  }
  if (model_.HasMore()) {
    const int y = more_rect_.top() - margin_ / 2 - 1;
    painter.setPen(System(kButtonShadow));
    painter.drawLine(margin_, y, width() - margin_, y);
    painter.setPen(System(kButtonHighlight));
    painter.drawLine(margin_, y + 1, width() - margin_, y + 1);
    frame_box(kSelectMore, more_rect_);
    painter.setPen(System(kButtonText));
    painter.drawText(more_rect_, Qt::AlignCenter, more_text_);
  }
  qDrawShadePanel(&painter, rect(), palette(), false, 1);
}

// --- the button -----------------------------------------------------------

CColourPicker::CColourPicker(QWidget* parent)
    : QPushButton(parent),
      background_colour_(msgbox::SystemColour(kButtonFace)),
      text_colour_(msgbox::SystemColour(kButtonText)) {
  connect(this, &QPushButton::clicked, this, [this] { DropDown(); });
  setMinimumSize(minimumSizeHint());
}

int CColourPicker::ArrowSize() const {
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  return std::max(std::max(5 * kEdge, extent), std::max(5 * kEdge, extent));
}

QSize CColourPicker::minimumSizeHint() const {
  const int arrow = ArrowSize();
  return QSize(2 * (kEdge + arrow), arrow + 2 * kEdge);
}

QRect CColourPicker::ArrowRect() const {
  const int arrow = ArrowSize();
  return QRect(QPoint(width() - arrow - kEdge, kEdge),
               QPoint(width() - kEdge - 1, height() - kEdge - 1));
}

void CColourPicker::SetColour(ColourRef colour) {
  (mode_ == Mode::kText ? text_colour_ : background_colour_) = colour;
  update();
}

void CColourPicker::SetBackgroundColour(ColourRef colour) {
  background_colour_ = colour;
  repaint();
}

void CColourPicker::SetTextColour(ColourRef colour) {
  text_colour_ = colour;
  repaint();
}

void CColourPicker::SetTexts(std::string automatic, std::string more) {
  automatic_text_ = std::move(automatic);
  more_text_ = std::move(more);
}

void CColourPicker::Tell(int message, ColourRef colour) {
  if (notify_) notify_(message, colour);
}

void CColourPicker::DropDown() {
  if (popup_) return;
  Tell(kColourDropDown, Colour());
  popup_ = new ColourPopup(this, Colour(), automatic_text_, more_text_);
  popup_->show();
  update();
}

void CColourPicker::OnPopup(int message, ColourRef colour) {
  if (message == kColourSelChange) {
    if (track_selection_) SetColour(colour);
    Tell(kColourSelChange, colour);
    return;
  }
  popup_ = nullptr;
  SetColour(colour);  // the chosen colour, or the initial one restored
  Tell(kColourCloseUp, colour);
  Tell(message, colour);
}

void CColourPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool automatic = Colour() == kAutomaticColour;
  const QRect whole = rect();
  painter.fillRect(whole, System(kButtonFace));
  const QRect swatch(kEdge, kEdge, ArrowRect().left() - kEdge, height() - 2 * kEdge);
  painter.fillRect(swatch, !isEnabled() || automatic ? System(kButtonFace)
                                                     : msgbox::ToQColor(background_colour_));
  QStyleOption arrow;
  arrow.initFrom(this);
  arrow.rect = ArrowRect();
  arrow.state = (isEnabled() ? QStyle::State_Enabled : QStyle::State_None) |
                (popup_ || isDown() ? QStyle::State_Sunken : QStyle::State_Raised);
  style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &arrow, &painter, this);
  style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
  if (!text().isEmpty()) {
    if (isEnabled()) {
      painter.setPen(automatic ? QColor(Qt::black) : msgbox::ToQColor(text_colour_));
      painter.drawText(swatch, Qt::AlignCenter | Qt::TextSingleLine, text());
    } else {
      painter.setPen(System(kButtonHighlight));
      painter.drawText(swatch.translated(1, 1), Qt::AlignCenter | Qt::TextSingleLine, text());
      painter.setPen(System(kButtonShadow));
      painter.drawText(swatch, Qt::AlignCenter | Qt::TextSingleLine, text());
    }
  }
  qDrawShadePanel(&painter, whole, palette(), true, 1);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = whole.adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

}  // namespace rescuva::controls
