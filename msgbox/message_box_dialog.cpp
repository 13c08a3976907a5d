#include "msgbox/message_box_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <cstdio>

#include "msgbox/button_sets.h"
#include "msgbox/message_box_texts.h"
#include "msgbox/message_call.h"
#include "msgbox/qt_markup_surface.h"
#include "msgbox/remembered_answers.h"
#include "msgbox/system_colours.h"
#include "session/qt_crossing.h"

namespace rescuva::msgbox {
namespace {

// What a title bar takes beside its caption: the icon, three buttons, margins.
constexpr int kTitleBarExtra = 140;

constexpr int kSystemIconSize = 32;
constexpr uint64_t kIconHandle = 0x1;
constexpr int kResultChecked = 0x2000000;

QImage IconFor(uint32_t style) {
  QStyle::StandardPixmap pixmap;
  switch (style & kIconMask) {
    case MB_ICONSTOP:
      pixmap = QStyle::SP_MessageBoxCritical;
      break;
    case MB_ICONQUESTION:
      pixmap = QStyle::SP_MessageBoxQuestion;
      break;
    case MB_ICONEXCLAMATION:
      pixmap = QStyle::SP_MessageBoxWarning;
      break;
    case MB_ICONINFORMATION:
      pixmap = QStyle::SP_MessageBoxInformation;
      break;
    default:
      return {};
  }
  return QApplication::style()->standardIcon(pixmap).pixmap(kSystemIconSize).toImage();
}

QRect ToQRect(const MarkupRect& r) {
  return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(const MessageBoxOptions& options, QWidget* owner)
    : QDialog(owner),
      options_(options),
      header_(SystemColour),
      message_(SystemColour),
      details_(SystemColour) {
  if (options_.delay > 0) remaining_ = options_.delay;
  if (options_.timeout > 0) remaining_ = options_.timeout;
  for (MarkupDrawer* drawer : {&header_, &message_, &details_}) {
    drawer->Attach([this](int) { update(); });
    drawer->SetLinkActions(
        [](const std::string& target) {
          if (IsOwnAddress(target)) QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
        },
        nullptr);
  }
  caption_ = ResolveText(options_.caption, options_);
  countdown_format_ = LookupLabel(kLabelCaptionCountdown, options_);
  icon_ = IconFor(options_.style);

  std::vector<std::string> labels;
  const auto codes = ButtonsFor(options_);
  const auto custom = CustomButtonLabels(ResolveText(options_.custom_buttons, options_));
  for (int code : codes) {
    labels.push_back(code >= IDCUSTOM1 && code < IDCUSTOM1 + 4 && !custom.empty()
                         ? custom[static_cast<size_t>(code - IDCUSTOM1)]
                         : LookupLabel(static_cast<uint32_t>(code), options_));
    buttons_.push_back({code, labels.back(), nullptr});
  }
  cancellable_ = IsCancellable(options_);
  default_index_ = DefaultButtonIndex(options_.style, buttons_.size());

  MessageBoxMeasures measures;
  MeasureTexts(measures);
  const QFontMetrics metrics(font());
  for (const std::string& label : labels) {
    QString text = QString::fromStdString(label);
    if (&label != &labels.back() || buttons_.back().code != IDMORE) {
      measures.button_labels.push_back({metrics.horizontalAdvance(text), metrics.height()});
      continue;
    }
    const QString shown = QString::fromStdString(LookupLabel(kLabelMoreShown, options_));
    measures.button_labels.push_back(
        {std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(shown)),
         metrics.height()});
  }
  geometry_ = ComputeMessageBoxGeometry(measures);
  setFixedSize(geometry_.width, geometry_.Height());
  CreateControls(labels);

  const bool caption_countdown = options_.delay > 0 && options_.countdown_in_caption;
  setWindowTitle(QString::fromStdString(
      caption_countdown ? CountdownCaption(countdown_format_, caption_, remaining_) : caption_));
  const bool default_is_cancel = !buttons_.empty() && Default()->code == IDCANCEL;
  if (!cancellable_ || (options_.delay > 0 && (caption_countdown || default_is_cancel))) {
    setWindowFlag(Qt::WindowCloseButtonHint, false);
  }
  if (options_.style & MB_TOPMOST) setWindowFlag(Qt::WindowStaysOnTopHint, true);

  const QRect area =
      owner ? owner->frameGeometry()
            : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                : QRect(0, 0, 1024, 768));
  const MarkupRect centred =
      CentreOn({area.left(), area.top(), area.left() + area.width(), area.top() + area.height()},
               width(), height());
  move(centred.left, centred.top);
  setMouseTracking(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  if (remaining_ > 0) timer_.start(1000);
}

MessageBoxDialog::~MessageBoxDialog() = default;

void MessageBoxDialog::MeasureTexts(MessageBoxMeasures& m) {
  std::string text = ResolveText(options_.message_text, options_);
  if (options_.style & MB_RIGHT) text = "<right>" + text + "</right>";
  if (!icon_.isNull()) {
    char table[160];
    std::snprintf(table, sizeof table,
                  "<table cellpadding=%d><tr><td width=%d><icon handle=0x%X></td><td>", 5,
                  kSystemIconSize, static_cast<unsigned>(kIconHandle));
    text = table + text + "</td></tr></table>";
  }
  QImage scratch(1, 1, QImage::Format_ARGB32);
  QPainter painter(&scratch);
  QtMarkupSurface surface(painter);
  surface.RegisterImage(kIconHandle, icon_);
  m.header_height_field = options_.header_height;
  if (options_.header_height > 0) {
    m.header_text = header_.Measure(surface, ResolveText(options_.header_text, options_));
  }
  m.message_text = message_.Measure(surface, text);
  const std::string details = ResolveText(options_.details_text, options_);
  m.has_details = !details.empty();
  if (m.has_details) m.details_text = details_.Measure(surface, details);
  const QFontMetrics metrics(font());
  auto caption_width = [&](const MessageBoxArea& area) {
    return area.separator_style != 0 ? metrics.horizontalAdvance(QString::fromStdString(
                                           ResolveText(area.caption, options_)))
                                     : -1;
  };
  m.header_separator_caption = caption_width(options_.header_area);
  m.control_separator_caption = caption_width(options_.control_area);
  m.control_background =
      options_.control_area.background_effect >= 0 || options_.control_area.separator_style != 0;
  m.check_box = options_.style & PPMB_DONT_SHOW_AGAIN;
  m.check_box_at_bottom = options_.style & PPMB_CHECKBOX_AT_BOTTOM;
  if (m.check_box) {
    const QString label = QString::fromStdString(
        LookupLabel(kLabelCheckBox, options_, ResolveText(options_.check_box_label, options_)));
    m.check_box_label = {metrics.horizontalAdvance(label), metrics.height()};
    check_label_ = new QLabel(label, this);
    check_label_->setAttribute(Qt::WA_TranslucentBackground);
  }
  m.button_alignment = options_.button_alignment;
  // the caption with the title bar's icon and its close button beside it
  // window managers draw titles in bold
  QFont title_font = QApplication::font("QMdiSubWindowTitleBar");
  title_font.setBold(true);
  m.caption_width =
      QFontMetrics(title_font).horizontalAdvance(QString::fromStdString(caption_)) + kTitleBarExtra;
}

void MessageBoxDialog::CreateControls(const std::vector<std::string>& labels) {
  const bool delay = options_.delay > 0;
  const bool caption_countdown = delay && options_.countdown_in_caption;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    Entry& entry = buttons_[i];
    entry.button = new QPushButton(QString::fromStdString(labels[i]), this);
    entry.button->setGeometry(ToQRect(geometry_.buttons[i]));
    entry.button->setAutoDefault(false);
    const bool is_default = i == default_index_;
    const bool help = entry.code == IDHELP;
    if (caption_countdown && !help) entry.button->setEnabled(false);
    if (is_default) {
      if (remaining_ > 0 && !caption_countdown) {
        entry.button->setText(QString::fromStdString(CountdownLabel(entry.label, remaining_)));
      }
      if (delay && !caption_countdown && !help) entry.button->setEnabled(false);
      if (!delay || help) entry.button->setDefault(true);
      entry.button->setFocus();
    }
    const int code = entry.code;
    connect(entry.button, &QPushButton::clicked, this, [this, code] { Press(code); });
  }
  if (options_.style & PPMB_DONT_SHOW_AGAIN) {
    check_box_ = new QCheckBox(this);
    check_box_->setGeometry(ToQRect(geometry_.check_box));
    check_box_->setChecked(options_.style & PPMB_DONT_SHOW_AGAIN_CHECKED);
    check_label_->setGeometry(ToQRect(geometry_.check_box_label));
  }
}

MessageBoxDialog::Entry* MessageBoxDialog::Default() {
  return &buttons_[default_index_];
}

QPushButton* MessageBoxDialog::Button(int code) const {
  for (const Entry& entry : buttons_) {
    if (entry.code == code) return entry.button;
  }
  return nullptr;
}

void MessageBoxDialog::Tick() {
  if (remaining_ <= 0) return;
  --remaining_;
  const bool delay = options_.delay > 0;
  const bool caption_countdown = delay && options_.countdown_in_caption;
  Entry* entry = Default();
  if (remaining_ > 0) {
    if (caption_countdown) {
      setWindowTitle(
          QString::fromStdString(CountdownCaption(countdown_format_, caption_, remaining_)));
    } else {
      entry->button->setText(QString::fromStdString(CountdownLabel(entry->label, remaining_)));
    }
    return;
  }
  timer_.stop();
  if (delay) {
    if (cancellable_) {
      setWindowFlag(Qt::WindowCloseButtonHint, true);
      if (isVisible()) show();
    }
    if (caption_countdown) {
      setWindowTitle(QString::fromStdString(caption_));
      for (Entry& other : buttons_) {
        if (&other != entry) other.button->setEnabled(true);
      }
    }
    entry->button->setText(QString::fromStdString(entry->label));
    entry->button->setEnabled(true);
    entry->button->setDefault(true);
    return;
  }
  entry->button->setText(QString::fromStdString(entry->label));
  Press(entry->code);
}

void MessageBoxDialog::Press(int code) {
  if (code == 0) return;
  if (code == IDCANCEL && !cancellable_) return;
  if (code == IDHELP) {
    const QString program = QCoreApplication::applicationFilePath();
    const QString help =
        program.left(program.lastIndexOf('.') > 0 ? program.lastIndexOf('.') : program.size());
    QDesktopServices::openUrl(QUrl::fromLocalFile(help + ".hlp"));
    return;
  }
  if (code == IDREPORT) {
    if (auto* owner = static_cast<QWidget*>(options_.owner)) {
      QCoreApplication::postEvent(owner,
                                  new QEvent(static_cast<QEvent::Type>(options_.report_message)));
    }
    return;
  }
  if (code == IDMORE) {
    expanded_ = !expanded_;
    const int height = geometry_.Height() + (expanded_ ? geometry_.details_height : 0);
    setFixedSize(geometry_.width, height);
    Button(IDMORE)->setText(QString::fromStdString(
        LookupLabel(expanded_ ? kLabelMoreShown : static_cast<uint32_t>(IDMORE), options_)));
    update();
    return;
  }
  timer_.stop();
  int result = code;
  if (check_box_ && check_box_->isChecked()) {
    if (options_.style & PPMB_DONT_SHOW_AGAIN_CHECKED) result |= kResultChecked;
    RememberAnswer(options_, result);
  }
  done(result);
}

void MessageBoxDialog::reject() {
  Press(IDCANCEL);
}

void MessageBoxDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  Press(IDCANCEL);
}

std::vector<MarkupDrawer*> MessageBoxDialog::VisibleDrawers() {
  std::vector<MarkupDrawer*> drawers;
  if (options_.header_height > 0) drawers.push_back(&header_);
  drawers.push_back(&message_);
  if (expanded_) drawers.push_back(&details_);
  return drawers;
}

void MessageBoxDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  bool link = false;
  for (MarkupDrawer* drawer : VisibleDrawers()) {
    if ((link = drawer->HitTest(at.x(), at.y()))) break;
  }
  if (link) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

void MessageBoxDialog::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    for (MarkupDrawer* drawer : VisibleDrawers()) drawer->Click(at.x(), at.y());
  }
  QDialog::mousePressEvent(event);
}

// A line along an area's top edge, with its caption embossed on it.
void MessageBoxDialog::DrawSeparator(QPainter& painter, int y, const MessageBoxArea& area) {
  if (area.separator_style == 0) return;
  const int start = 5, end = geometry_.width - 5;
  const QString caption = QString::fromStdString(ResolveText(area.caption, options_));
  const QFontMetrics metrics(font());
  const int cx = caption.isEmpty() ? 0 : metrics.horizontalAdvance(caption);
  DrawKit kit;
  auto line = [&](int from, int to) {
    if (to <= from) return;
    if (area.separator_style == 1) {
      kit.Line(painter, from, y, to, y, SystemColour(16), kBorderSolid, 1);
      kit.Line(painter, from, y + 1, to, y + 1, SystemColour(20), kBorderSolid, 1);
    } else {
      kit.Line(painter, from, y, to, y, area.separator_style == 2 ? 0x000000 : 0xFFFFFF,
               kBorderSolid, 1);
    }
  };
  if (caption.isEmpty()) {
    line(start, end);
    return;
  }
  int x = start;
  if (area.caption_alignment == 1) x = end - cx;
  if (area.caption_alignment == 2) x = start + (end - start - cx) / 2;
  const int top = y - metrics.height() / 2;
  painter.setFont(font());
  painter.setPen(ToQColor(SystemColour(20)));
  painter.drawText(x + 1, top + 1 + metrics.ascent(), caption);
  painter.setPen(ToQColor(SystemColour(16)));
  painter.drawText(x, top + metrics.ascent(), caption);
  line(start, x - 5);
  line(x + cx + 5, end);
}

// Built once as if the details were shown: body, header, control and details areas.
QPixmap MessageBoxDialog::Background() {
  const int w = geometry_.width;
  const int full = geometry_.Height() + geometry_.details_height;
  QPixmap pixmap(w, std::max(full, 1));
  QPainter painter(&pixmap);
  DrawKit kit;
  auto fill = [&](const MessageBoxArea& area, const QRect& rect) {
    if (area.background_effect < 0) return;
    kit.FillEffect(painter, area.background_effect, rect, ResolveColour(area.colour1),
                   ResolveColour(area.colour2), ResolveColour(area.colour3));
  };
  painter.fillRect(pixmap.rect(), ToQColor(SystemColour(15)));
  fill(options_.body_area, pixmap.rect());
  if (options_.header_height > 0) {
    fill(options_.header_area, QRect(0, 0, w, geometry_.header_height));
    DrawSeparator(painter, geometry_.header_height, options_.header_area);
  }
  const int control_top = geometry_.header_height + geometry_.message_height;
  fill(options_.control_area, QRect(0, control_top, w, geometry_.control_height));
  DrawSeparator(painter, control_top, options_.control_area);
  if (geometry_.details_height > 0) {
    fill(options_.details_area, QRect(0, geometry_.Height(), w, geometry_.details_height));
    DrawSeparator(painter, geometry_.Height(), options_.details_area);
  }
  return pixmap;
}

void MessageBoxDialog::paintEvent(QPaintEvent*) {
  if (background_.isNull()) background_ = Background();
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
  QtMarkupSurface surface(painter);
  surface.RegisterImage(kIconHandle, icon_);
  const int w = geometry_.width;
  const int header = geometry_.header_height;
  if (options_.header_height > 0)
    header_.Draw(surface, {kTextMargin, kTextMargin, w - kTextMargin, header - kTextMargin});
  message_.Draw(surface, {kTextMargin, header + kTextMargin, w - kTextMargin,
                          header + geometry_.message_height - kTextMargin});
  if (expanded_) {
    const int bottom = height();
    details_.Draw(surface, {kTextMargin, bottom - geometry_.details_height + kTextMargin,
                            w - kTextMargin, bottom});
  }
}

int ShowMessageBox(MessageBoxOptions options) {
  auto* owner = static_cast<QWidget*>(options.owner);
  if (!owner)
    owner = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                              : QApplication::activeWindow();
  options.owner = owner;
  if (ResolveText(options.caption, options).empty()) {
    const std::string title = owner ? owner->windowTitle().left(260).toStdString() : std::string();
    options.caption = title.empty() ? std::string("Error") : title;
  }
  if (options.style & PPMB_DONT_SHOW_AGAIN) {
    if (const int remembered = RememberedAnswer(options)) return remembered;
  }
  if (!(options.style & PPMB_SILENT)) QApplication::beep();
  MessageBoxDialog box(options, owner);
  if (options.style & MB_SETFOREGROUND) box.activateWindow();
  return box.exec();
}

// A box asked for on another thread is shown on the user-interface thread; the
// caller waits for the answer.
void InstallMessageBoxDialog() {
  static session::QtCrossing crossing(QCoreApplication::instance());
  SetMessageBoxPresenter([](const MessageBoxOptions& options) {
    return crossing.Ask<int>([options] { return ShowMessageBox(options); });
  });
}

}  // namespace rescuva::msgbox
