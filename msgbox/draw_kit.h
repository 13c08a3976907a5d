// DrawKit: paints background effects, lines and borders onto a QPainter with the
// arithmetic of the background effects.
#pragma once

#include <QPainter>
#include <QRect>

#include "msgbox/background_effects.h"
#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

QColor ToQColor(ColourRef colour);

class DrawKit {
 public:
  // Fills `rect` with an effect (-1 paints nothing; numbers without an effect fill
  // solid with colour 1). Noise is an amplitude 0-255, tint a percentage.
  void FillEffect(QPainter& painter, int effect, const QRect& rect, ColourRef colour1,
                  ColourRef colour2, ColourRef colour3, int noise = 0, int tint = 0);
  // A line in one of the border styles; nothing for style 0 or a width below 1.
  void Line(QPainter& painter, int x1, int y1, int x2, int y2, ColourRef colour, int style,
            int width);
  // Light left and top edges, dark right and bottom ones.
  void Border(QPainter& painter, const QRect& rect, ColourRef light, ColourRef dark, int style,
              int width);

 private:
  TextureRandom random_;
};

}  // namespace rescuva::msgbox
