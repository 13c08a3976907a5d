#include "msgbox/draw_kit_images.h"

#include <algorithm>

namespace rescuva::msgbox {
namespace {

bool IsKey(QRgb pixel, std::optional<ColourRef> transparent) {
  if (!transparent) return false;
  const ColourRef c = *transparent;
  return (pixel & 0xFFFFFFu) == (qRgb(RedOf(c), GreenOf(c), BlueOf(c)) & 0xFFFFFFu);
}

int Clamp(double value) {
  return std::min(255, static_cast<int>(value));
}

}  // namespace

QImage FilterImage(const QImage& image, int flags, std::optional<ColourRef> transparent,
                   ColourRef silhouette) {
  // pictures with an alpha channel keep it and are blended when drawn
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      QRgb& p = row[x];
      if (IsKey(p, transparent)) {
        p = 0;  // clear: the destination shows through
        continue;
      }
      int r = qRed(p), g = qGreen(p), b = qBlue(p);
      const int a = qAlpha(p);
      if (flags & kImageGrey) r = g = b = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
      if (flags & kImageDarker) {
        r = static_cast<int>(r * 0.75), g = static_cast<int>(g * 0.75),
        b = static_cast<int>(b * 0.75);
      }
      if (flags & kImageLighter) r = Clamp(r * 1.25), g = Clamp(g * 1.25), b = Clamp(b * 1.25);
      if (flags & kImageSilhouette)
        r = RedOf(silhouette), g = GreenOf(silhouette), b = BlueOf(silhouette);
      p = qRgba(r, g, b, a);
    }
  }
  if (flags & kImageInvert) {
    for (int y = 0; y < out.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
      for (int x = 0; x < out.width(); ++x) {
        if (qAlpha(row[x]) != 0)
          row[x] =
              qRgba(255 - qRed(row[x]), 255 - qGreen(row[x]), 255 - qBlue(row[x]), qAlpha(row[x]));
      }
    }
  }
  return out;
}

QImage ShadowImage(const QImage& image, bool soft, std::optional<ColourRef> transparent,
                   const ShadowSettings& shadow) {
  const int w = image.width(), h = image.height();
  const QImage source = image.convertToFormat(QImage::Format_ARGB32);
  // shape: 1 where the picture is
  std::vector<uint8_t> shape(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      shape[static_cast<size_t>(y) * w + x] = !IsKey(row[x], transparent) && qAlpha(row[x]) != 0;
    }
  }
  QImage out(w, h, QImage::Format_RGB32);
  out.fill(Qt::white);
  const int sr = RedOf(shadow.colour), sg = GreenOf(shadow.colour), sb = BlueOf(shadow.colour);
  auto shade = [&](int x, int y, double amount) {
    out.setPixel(x, y,
                 qRgb(static_cast<int>(255 - (255 - sr) * amount),
                      static_cast<int>(255 - (255 - sg) * amount),
                      static_cast<int>(255 - (255 - sb) * amount)));
  };
  if (!soft) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (shape[static_cast<size_t>(y) * w + x]) shade(x, y, 1.0);
      }
    }
    return out;
  }
  const int bw = shadow.blur_width | 1, bh = shadow.blur_height | 1;
  const int hx = bw / 2, hy = bh / 2;
  // the shape shrunk by half the blur on each side
  std::vector<uint8_t> shrunk(shape.size(), 0);
  for (int y = hy; y < h - hy; ++y) {
    for (int x = hx; x < w - hx; ++x) {
      const int sx = (x - hx) * w / std::max(1, w - 2 * hx);
      const int sy = (y - hy) * h / std::max(1, h - 2 * hy);
      shrunk[static_cast<size_t>(y) * w + x] =
          shape[static_cast<size_t>(std::min(sy, h - 1)) * w + std::min(sx, w - 1)];
    }
  }
  for (int y = hy; y < h - hy; ++y) {
    for (int x = hx; x < w - hx; ++x) {
      int sum = 0;
      for (int dy = -hy; dy <= hy; ++dy) {
        for (int dx = -hx; dx <= hx; ++dx)
          sum += shrunk[static_cast<size_t>(y + dy) * w + (x + dx)];
      }
      if (sum > 0) shade(x, y, static_cast<double>(sum) / (bw * bh));
    }
  }
  return out;
}

void DrawStyledImage(QPainter& painter, const QRect& target, const QImage& image, int flags,
                     int other_flags, std::optional<ColourRef> transparent,
                     const ShadowSettings& shadow) {
  if (image.isNull() || target.width() <= 0 || target.height() <= 0) return;
  const QImage sized =
      image.size() == target.size()
          ? image
          : image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
  QRect place = target;
  const bool has_shadow = flags & (kImageHardShadow | kImageSoftShadow);
  if (shadow.enabled && has_shadow) {
    const QImage cast = ShadowImage(sized, flags & kImageSoftShadow, transparent, shadow);
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawImage(target.translated(shadow.offset_x, shadow.offset_y), cast);
    painter.setCompositionMode(mode);
  } else if (shadow.enabled && (other_flags & (kImageHardShadow | kImageSoftShadow))) {
    place.translate(shadow.offset_x, shadow.offset_y);
  }
  painter.drawImage(place, FilterImage(sized, flags, transparent));
}

}  // namespace rescuva::msgbox
