// Pictures for the drawing kit: colour filters, the transparency of a key colour,
// drop shadows (hard, or soft and blurred) and drawing a picture with all of them.
#pragma once

#include <QImage>
#include <QPainter>
#include <optional>

#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

// Image style flags.
constexpr int kImageGrey = 0x1;
constexpr int kImageDarker = 0x2;
constexpr int kImageLighter = 0x4;
constexpr int kImageSilhouette = 0x8;
constexpr int kImageHardShadow = 0x100;
constexpr int kImageSoftShadow = 0x200;
constexpr int kImageInvert = 0x8000;

struct ShadowSettings {
  bool enabled = true;
  int offset_x = 4;
  int offset_y = 4;
  int blur_width = 7;
  int blur_height = 7;
  ColourRef colour = 0x7F7F7F;
};

// The picture with the filters of `flags` applied to every pixel but those of the
// transparent colour; the result is 32-bit with the transparent pixels clear.
QImage FilterImage(const QImage& image, int flags, std::optional<ColourRef> transparent,
                   ColourRef silhouette = 0);

// The shadow of a picture: the shadow colour where the picture is, white elsewhere;
// a soft shadow shrinks the shape by half the blur on each side and averages it over
// the blur box, leaving that margin white.
QImage ShadowImage(const QImage& image, bool soft, std::optional<ColourRef> transparent,
                   const ShadowSettings& shadow);

// Draws the picture at `target` with its filters and shadow. When shadows are on and
// this drawing has none but the picture's other style (hover or normal) has one, the
// picture moves by the shadow offset instead, like a pressed button.
void DrawStyledImage(QPainter& painter, const QRect& target, const QImage& image, int flags,
                     int other_flags, std::optional<ColourRef> transparent,
                     const ShadowSettings& shadow);

}  // namespace rescuva::msgbox
