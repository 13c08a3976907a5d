// The markup surface over a QPainter: fonts from the style, text in its colours,
// and backgrounds, borders and lines through the drawing kit. Images come from files,
// the program's resources (":/markup/<number>.png") or pictures registered by handle.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <map>

#include "msgbox/draw_kit.h"
#include "msgbox/markup_surface.h"

namespace rescuva::msgbox {

class QtMarkupSurface : public MarkupSurface {
 public:
  explicit QtMarkupSurface(QPainter& painter) : painter_(painter) {}

  // Pictures the markup names by handle (the message box's icon).
  void RegisterImage(uint64_t handle, QImage image) { images_[handle] = std::move(image); }

  FontMetricsInfo SelectFont(const StyleRecord& style) override;
  int TextWidth(const std::string& text) override;
  int XHeight() override;
  int PixelsPerInch() override;
  void DrawText(int x, int y, const std::string& text, const StyleRecord& style,
                int extra) override;
  void DrawLine(int x1, int y1, int x2, int y2, ColourRef colour, int style, int width) override;
  void FillEffect(const MarkupRect& rect, int effect, ColourRef colour1, ColourRef colour2,
                  ColourRef colour3, int noise) override;
  void DrawBorder(const MarkupRect& rect, ColourRef light, ColourRef dark, int style,
                  int width) override;
  std::optional<MarkupSize> ImageSize(const ImageSource& image) override;
  void DrawImage(const ImageSource& image, const MarkupRect& rect) override;
  void TileImage(const ImageSource& image, const MarkupRect& rect) override;

 private:
  QImage Load(const ImageSource& image) const;

  QPainter& painter_;
  DrawKit kit_;
  std::map<uint64_t, QImage> images_;
};

}  // namespace rescuva::msgbox
