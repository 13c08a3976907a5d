// The markup drawer's current style: what the text, cells and tables are drawn with.
// Tags and style-sheet rules change it; tags save and restore whole copies of it.
#pragma once

#include <cstdint>
#include <string>

#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

enum class HorizontalAlignment { kLeft = 0, kCentre = 1, kRight = 2, kJustify = 3 };
enum class VerticalAlignment { kTop = 0, kMiddle = 1, kBottom = 2, kBaseline = 3 };
enum class TextTransform { kNone = 0, kUpper = 1, kLower = 2, kCapitalise = 3 };
enum class BackgroundMode { kTransparent = 1, kOpaque = 2 };
enum class LinkKind { kNone = 0, kOpenTarget = 1, kSendMessage = 2 };

// Line and border styles.
enum BorderStyle : int {
  kBorderNone = 0,
  kBorderSolid = 1,
  kBorderDashed = 2,
  kBorderDotted = 3,
  kBorderDashDot = 4,
  kBorderDashDotDot = 5,
  kBorderDouble = 6,
};

struct StyleRecord {
  std::string pairing_key;
  int32_t font_height = 16;
  int32_t font_weight = 400;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  bool overline = false;
  std::string font_face = "Verdana";
  ColourRef text_colour = 0x000000;
  ColourRef background_colour = 0xFFFFFF;
  ColourRef border_light = 0x000000;
  ColourRef border_dark = 0x000000;
  ColourRef background_middle = 0xFFFFFF;
  ColourRef background_end = 0xFFFFFF;
  BackgroundMode background_mode = BackgroundMode::kTransparent;
  int32_t background_effect = -1;
  std::string background_image;
  HorizontalAlignment horizontal_alignment = HorizontalAlignment::kLeft;
  VerticalAlignment vertical_alignment = VerticalAlignment::kBaseline;
  int border_style = kBorderNone;
  int32_t border_width = 0;
  int32_t width = 0;
  int32_t height = 0;
  TextTransform text_transform = TextTransform::kNone;
  int32_t cell_padding = 2;
  int32_t cell_spacing = 0;
  LinkKind link_kind = LinkKind::kNone;
  std::string link_target;
};

}  // namespace rescuva::msgbox
