#include "msgbox/message_box_geometry.h"

#include <algorithm>

namespace rescuva::msgbox {
namespace {

constexpr int kGap = 11;
constexpr int kCheckBoxSize = 13;
constexpr int kCheckBoxLeft = 10;
constexpr int kMinButtonWidth = 80;
constexpr int kMinButtonHeight = 23;

}  // namespace

MessageBoxGeometry ComputeMessageBoxGeometry(const MessageBoxMeasures& m) {
  MessageBoxGeometry g;
  int widest = 0;
  auto compete = [&](int width) { widest = std::max(widest, width); };
  if (m.header_height_field > 0) {
    compete(m.header_text.width + 2 * kTextMargin);
    g.header_height = std::max(m.header_height_field, m.header_text.height + 2 * kTextMargin);
    if (m.header_separator_caption >= 0) compete(m.header_separator_caption + 10);
  }
  g.message_height = m.message_text.height + 2 * kTextMargin;
  compete(m.message_text.width + 2 * kTextMargin);
  if (m.has_details) {
    g.details_height = m.details_text.height + 2 * kTextMargin;
    compete(m.details_text.width + 2 * kTextMargin);
  }
  int extra = m.control_background ? 2 * kGap : kGap;
  if (m.control_separator_caption >= 0) compete(m.control_separator_caption + 10);
  if (m.check_box) {
    extra += kCheckBoxSize + kGap;
    compete(m.check_box_label.width + 10 * 2 + 20);
  }
  g.button_width = kMinButtonWidth;
  g.button_height = kMinButtonHeight;
  for (const MarkupSize& label : m.button_labels) {
    g.button_width = std::max(g.button_width, label.width * 80 / 45);
    g.button_height = std::max(g.button_height, label.height * 23 / 13);
  }
  const int n = static_cast<int>(m.button_labels.size());
  compete(kGap + n * (g.button_width + kGap));
  compete(m.caption_width);  // a title is never cut
  g.width = widest;
  g.control_height = g.button_height + extra;

  const int bottom = g.Height();
  const int row_y = bottom - kGap -
                    (m.check_box && m.check_box_at_bottom ? kCheckBoxSize + kGap : 0) -
                    g.button_height;
  const int row_width = n * (g.button_width + kGap) - kGap;
  int x = m.button_alignment == 0   ? kGap
          : m.button_alignment == 1 ? g.width - kGap - row_width
                                    : (g.width - row_width) / 2;
  for (int i = 0; i < n; ++i, x += g.button_width + kGap) {
    g.buttons.push_back({x, row_y, x + g.button_width, row_y + g.button_height});
  }
  if (m.check_box) {
    const int check_bottom =
        m.check_box_at_bottom ? bottom - kGap : bottom - 2 * kGap - g.button_height;
    g.check_box = {kCheckBoxLeft, check_bottom - kCheckBoxSize, kCheckBoxLeft + kCheckBoxSize,
                   check_bottom};
    const int label_left = kCheckBoxLeft + kCheckBoxSize + 6;
    g.check_box_label = {label_left, g.check_box.top, label_left + m.check_box_label.width,
                         g.check_box.top + m.check_box_label.height};
  }
  return g;
}

MarkupRect CentreOn(const MarkupRect& area, int width, int height) {
  const int x = area.left + (area.right - width - area.left) / 2;
  const int y = area.top + (area.bottom - height - area.top) / 2;
  return {x, y, x + width, y + height};
}

}  // namespace rescuva::msgbox
