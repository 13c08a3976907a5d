// What the markup layout measures and draws with: fonts, text, lines, backgrounds,
// borders and images. The desktop draws through QPainter (QtMarkupSurface); tests
// use a surface with fixed-width letters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "msgbox/colour_table.h"
#include "msgbox/style_record.h"

namespace rescuva::msgbox {

struct MarkupRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

struct MarkupSize {
  int width = 0;
  int height = 0;
};

struct FontMetricsInfo {
  int height = 0;  // the font's cell height
  int ascent = 0;
};

// An image the markup names: a file, a program resource number or a registered handle,
// and how it is drawn: one frame of a strip, filters and shadow (image style flags),
// a transparent colour.
struct ImageSource {
  std::string file;
  int resource = 0;
  uint64_t handle = 0;
  bool icon = false;
  MarkupRect frame;     // a strip's frame; empty: the whole picture
  int flags = 0;        // the style drawn now
  int other_flags = 0;  // the other of style and hover style
  std::optional<ColourRef> transparent;
  int shadow_space = 0;  // what the object's size holds beyond the picture for its shadow
};

class MarkupSurface {
 public:
  virtual ~MarkupSurface() = default;

  // Selects the font of the style (face, height, weight, italic, underline, strike-out).
  virtual FontMetricsInfo SelectFont(const StyleRecord& style) = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int XHeight() = 0;
  virtual int PixelsPerInch() = 0;
  // The text with its top-left corner at (x, y) in the style's colours and background;
  // `extra` pixels are spread over its blanks (justified lines).
  virtual void DrawText(int x, int y, const std::string& text, const StyleRecord& style,
                        int extra) = 0;
  virtual void DrawLine(int x1, int y1, int x2, int y2, ColourRef colour, int style, int width) = 0;
  virtual void FillEffect(const MarkupRect& rect, int effect, ColourRef colour1, ColourRef colour2,
                          ColourRef colour3, int noise) = 0;
  virtual void DrawBorder(const MarkupRect& rect, ColourRef light, ColourRef dark, int style,
                          int width) = 0;
  // The natural size of an image; nothing when it cannot be had.
  virtual std::optional<MarkupSize> ImageSize(const ImageSource& image) = 0;
  virtual void DrawImage(const ImageSource& image, const MarkupRect& rect) = 0;
  virtual void TileImage(const ImageSource& image, const MarkupRect& rect) = 0;
};

}  // namespace rescuva::msgbox
