// The message box's size and the places of its buttons and check box, computed from
// the measured texts: the box's layout arithmetic without any window.
#pragma once

#include <vector>

#include "msgbox/markup_surface.h"

namespace rescuva::msgbox {

// The distance of the header, message and details texts from their area's edges.
constexpr int kTextMargin = 14;

struct MessageBoxMeasures {
  int header_height_field = 0;  // 0: no header
  MarkupSize header_text;
  int header_separator_caption = -1;  // caption width when the header has a separator
  MarkupSize message_text;
  bool has_details = false;
  MarkupSize details_text;
  bool control_background = false;     // an effect or a separator on the control area
  int control_separator_caption = -1;  // caption width when it has a separator
  bool check_box = false;
  bool check_box_at_bottom = false;
  MarkupSize check_box_label;
  std::vector<MarkupSize> button_labels;
  int button_alignment = 2;  // 0 left, 1 right, 2 centre
  int caption_width = 0;     // what the title bar needs to show the whole caption
};

struct MessageBoxGeometry {
  int width = 0;  // of the client area
  int header_height = 0;
  int message_height = 0;
  int control_height = 0;  // button height plus the control area's extra height
  int details_height = 0;
  int button_width = 0;
  int button_height = 0;
  std::vector<MarkupRect> buttons;
  MarkupRect check_box;
  MarkupRect check_box_label;
  // The client height with the details area hidden.
  int Height() const { return header_height + message_height + control_height; }
};

MessageBoxGeometry ComputeMessageBoxGeometry(const MessageBoxMeasures& m);

// The top-left corner that centres a box of this size on `area`.
MarkupRect CentreOn(const MarkupRect& area, int width, int height);

}  // namespace rescuva::msgbox
