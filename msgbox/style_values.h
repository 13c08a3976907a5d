// The value rules of the markup's style sheet and attributes: lengths, colours and
// C-style integers. Each rule gives the current value back for a value it cannot read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

// What the value rules need to know of the drawer and its surface.
struct ValueContext {
  const ColourTable* colours = nullptr;
  bool enabled = true;
  ColourRef disabled_colour = 0x808080;
  int pixels_per_inch = 96;
  int font_height = 16;  // of the current font, for "em"
  int x_height = 8;      // of the letter "x" in the current font, for "ex"
};

// A C-style integer with automatic base (decimal, "0x" hexadecimal, leading "0"
// octal); nothing when the text does not start with a number.
std::optional<long long> ParseCInteger(const std::string& text);
// The integer at the start of the text (atoi); 0 when there is none.
int32_t LeadingInteger(const std::string& text);

int32_t ParseLength(const std::string& value, int32_t current, bool font_size,
                    const ValueContext& context);
ColourRef ParseColour(const std::string& value, ColourRef current, const ValueContext& context);

}  // namespace rescuva::msgbox
