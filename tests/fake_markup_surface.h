// A markup surface for tests: every byte is 7 pixels wide, fonts are as high as the
// style says with three quarters above the baseline, and what is drawn is recorded.
#pragma once

#include <string>
#include <vector>

#include "msgbox/markup_surface.h"

namespace rescuva::testing {

struct DrawnText {
  int x, y;
  std::string text;
  msgbox::StyleRecord style;
  int extra;
};

class FakeMarkupSurface : public msgbox::MarkupSurface {
 public:
  msgbox::FontMetricsInfo SelectFont(const msgbox::StyleRecord& style) override {
    return {style.font_height, style.font_height * 3 / 4};
  }
  int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
  int XHeight() override { return 8; }
  int PixelsPerInch() override { return 96; }
  void DrawText(int x, int y, const std::string& text, const msgbox::StyleRecord& style,
                int extra) override {
    texts.push_back({x, y, text, style, extra});
  }
  void DrawLine(int x1, int y1, int x2, int, msgbox::ColourRef, int, int width) override {
    lines.push_back({x1, y1, x2, width});
  }
  void FillEffect(const msgbox::MarkupRect& rect, int effect, msgbox::ColourRef, msgbox::ColourRef,
                  msgbox::ColourRef, int) override {
    fills.push_back({rect, effect});
  }
  void DrawBorder(const msgbox::MarkupRect& rect, msgbox::ColourRef, msgbox::ColourRef, int style,
                  int) override {
    if (style != 0) borders.push_back(rect);
  }
  std::optional<msgbox::MarkupSize> ImageSize(const msgbox::ImageSource& image) override {
    if (image.handle == 0x1234) return msgbox::MarkupSize{32, 32};
    return std::nullopt;
  }
  void DrawImage(const msgbox::ImageSource&, const msgbox::MarkupRect& rect) override {
    images.push_back(rect);
  }
  void TileImage(const msgbox::ImageSource&, const msgbox::MarkupRect&) override {}

  std::vector<DrawnText> texts;
  std::vector<std::vector<int>> lines;
  std::vector<std::pair<msgbox::MarkupRect, int>> fills;
  std::vector<msgbox::MarkupRect> borders;
  std::vector<msgbox::MarkupRect> images;
};

}  // namespace rescuva::testing
