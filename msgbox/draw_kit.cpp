#include "msgbox/draw_kit.h"

#include <QImage>
#include <QPen>

#include "msgbox/style_record.h"

namespace rescuva::msgbox {
namespace {

void FillBands(QPainter& painter, const QRect& rect, bool horizontal, int start, int length,
               ColourRef a, ColourRef b) {
  for (const GradientBand& band : GradientBands(start, length, a, b)) {
    const QRect area = horizontal
                           ? QRect(band.from, rect.top(), band.to - band.from, rect.height())
                           : QRect(rect.left(), band.from, rect.width(), band.to - band.from);
    painter.fillRect(area, ToQColor(band.colour));
  }
}

// Two gradients meeting in the middle of the rectangle.
void FillSplit(QPainter& painter, const QRect& rect, bool horizontal, ColourRef a, ColourRef b,
               ColourRef c, ColourRef d) {
  const int start = horizontal ? rect.left() : rect.top();
  const int length = horizontal ? rect.width() : rect.height();
  FillBands(painter, rect, horizontal, start, length / 2, a, b);
  FillBands(painter, rect, horizontal, start + length / 2, length - length / 2, c, d);
}

Qt::PenStyle PenStyleOf(int style) {
  switch (style) {
    case kBorderDashed:
      return Qt::DashLine;
    case kBorderDotted:
      return Qt::DotLine;
    case kBorderDashDot:
      return Qt::DashDotLine;
    case kBorderDashDotDot:
      return Qt::DashDotDotLine;
    default:
      return Qt::SolidLine;
  }
}

}  // namespace

QColor ToQColor(ColourRef colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

void DrawKit::FillEffect(QPainter& painter, int effect, const QRect& rect, ColourRef colour1,
                         ColourRef colour2, ColourRef colour3, int noise, int tint) {
  if (effect == kEffectTransparent || rect.width() <= 0 || rect.height() <= 0) return;
  switch (effect) {
    case kEffectHGradient:
      FillBands(painter, rect, true, rect.left(), rect.width(), colour1, colour3);
      return;
    case kEffectVGradient:
      FillBands(painter, rect, false, rect.top(), rect.height(), colour1, colour3);
      return;
    case kEffectHCGradient:
      FillSplit(painter, rect, true, colour1, colour3, colour3, colour1);
      return;
    case kEffectVCGradient:
      FillSplit(painter, rect, false, colour1, colour3, colour3, colour1);
      return;
    case kEffect3HGradient:
      FillSplit(painter, rect, true, colour1, colour2, colour2, colour3);
      return;
    case kEffect3VGradient:
      FillSplit(painter, rect, false, colour1, colour2, colour2, colour3);
      return;
    default:
      break;
  }
  const auto texture = MakeTexture(effect, rect.width(), rect.height(), colour1, colour2, colour3,
                                   noise, tint, random_);
  if (!texture) {
    painter.fillRect(rect, ToQColor(colour1));
    return;
  }
  QImage image(texture->width, texture->height, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (ColourRef entry : texture->palette) table.push_back(ToQColor(entry).rgb());
  image.setColorTable(table);
  for (int y = 0; y < texture->height; ++y) {
    const uint8_t* row =
        &texture->pixels[static_cast<size_t>(texture->height - 1 - y) * texture->width];
    std::copy(row, row + texture->width, image.scanLine(y));
  }
  painter.drawImage(rect.topLeft(), image);
}

void DrawKit::Line(QPainter& painter, int x1, int y1, int x2, int y2, ColourRef colour, int style,
                   int width) {
  if (style == kBorderNone || width < 1) return;
  QPen pen(ToQColor(colour), width, PenStyleOf(style), Qt::FlatCap);
  painter.setPen(pen);
  painter.drawLine(x1, y1, x2, y2);
  if (style != kBorderDouble) return;
  // the second line of a double one lies twice the width below or to the right
  const int dx = y1 == y2 ? 0 : 2 * width;
  const int dy = x1 == x2 ? 0 : 2 * width;
  painter.drawLine(x1 + dx, y1 + dy, x2 + dx, y2 + dy);
}

void DrawKit::Border(QPainter& painter, const QRect& rect, ColourRef light, ColourRef dark,
                     int style, int width) {
  if (style == kBorderNone || width < 1) return;
  const int simple = style == kBorderDouble ? kBorderSolid : style;
  auto frame = [&](int inset) {
    const int b = width / 2 + inset;
    const int left = rect.left() + b, top = rect.top() + b;
    const int right = rect.left() + rect.width() - b, bottom = rect.top() + rect.height() - b;
    Line(painter, left, bottom, left, top, light, simple, width);
    Line(painter, left, top, right, top, light, simple, width);
    Line(painter, right, top, right, bottom, dark, simple, width);
    Line(painter, right, bottom, left, bottom, dark, simple, width);
  };
  frame(0);
  if (style == kBorderDouble) frame(2 * width);
}

}  // namespace rescuva::msgbox
