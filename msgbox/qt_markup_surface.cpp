#include "msgbox/qt_markup_surface.h"

#include "msgbox/draw_kit_images.h"

#include <QFontMetrics>
#include <QPaintDevice>

namespace rescuva::msgbox {

FontMetricsInfo QtMarkupSurface::SelectFont(const StyleRecord& style) {
  QFont font(QString::fromStdString(style.font_face));
  font.setPixelSize(std::max(1, style.font_height));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(style.font_weight, 100, 900)));
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  font.setStrikeOut(style.strike_out);
  painter_.setFont(font);
  const QFontMetrics metrics(font, painter_.device());
  return {metrics.height(), metrics.ascent()};
}

int QtMarkupSurface::TextWidth(const std::string& text) {
  return QFontMetrics(painter_.font(), painter_.device())
      .horizontalAdvance(QString::fromUtf8(text));
}

int QtMarkupSurface::XHeight() {
  return QFontMetrics(painter_.font(), painter_.device()).xHeight();
}

int QtMarkupSurface::PixelsPerInch() {
  return painter_.device() ? painter_.device()->logicalDpiY() : 96;
}

void QtMarkupSurface::DrawText(int x, int y, const std::string& text, const StyleRecord& style,
                               int extra) {
  const QString line = QString::fromUtf8(text);
  QFont font = painter_.font();
  const int spaces = static_cast<int>(line.count(' '));
  font.setWordSpacing(spaces > 0 ? static_cast<qreal>(extra) / spaces : 0);
  painter_.setFont(font);
  const QFontMetrics metrics(font, painter_.device());
  if (style.background_mode == BackgroundMode::kOpaque) {
    painter_.fillRect(x, y, metrics.horizontalAdvance(line), metrics.height(),
                      ToQColor(style.background_colour));
  }
  painter_.setPen(ToQColor(style.text_colour));
  painter_.drawText(x, y + metrics.ascent(), line);
}

void QtMarkupSurface::DrawLine(int x1, int y1, int x2, int y2, ColourRef colour, int style,
                               int width) {
  kit_.Line(painter_, x1, y1, x2, y2, colour, style, width);
}

void QtMarkupSurface::FillEffect(const MarkupRect& rect, int effect, ColourRef colour1,
                                 ColourRef colour2, ColourRef colour3, int noise) {
  kit_.FillEffect(painter_, effect, QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                  colour1, colour2, colour3, noise);
}

void QtMarkupSurface::DrawBorder(const MarkupRect& rect, ColourRef light, ColourRef dark, int style,
                                 int width) {
  kit_.Border(painter_, QRect(rect.left, rect.top, rect.Width(), rect.Height()), light, dark, style,
              width);
}

QImage QtMarkupSurface::Load(const ImageSource& image) const {
  if (image.handle != 0) {
    auto it = images_.find(image.handle);
    return it == images_.end() ? QImage() : it->second;
  }
  if (!image.file.empty()) return QImage(QString::fromStdString(image.file));
  if (image.resource != 0) return QImage(QStringLiteral(":/markup/%1.png").arg(image.resource));
  return QImage();
}

std::optional<MarkupSize> QtMarkupSurface::ImageSize(const ImageSource& image) {
  const QImage loaded = Load(image);
  if (loaded.isNull()) return std::nullopt;
  return MarkupSize{loaded.width(), loaded.height()};
}

void QtMarkupSurface::DrawImage(const ImageSource& image, const MarkupRect& rect) {
  const QImage loaded = Load(image);
  if (!loaded.isNull())
    painter_.drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), loaded);
}

void QtMarkupSurface::TileImage(const ImageSource& image, const MarkupRect& rect) {
  const QImage loaded = Load(image);
  if (!loaded.isNull()) {
    painter_.drawTiledPixmap(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                             QPixmap::fromImage(loaded));
  }
}

}  // namespace rescuva::msgbox
