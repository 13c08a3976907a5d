// Which buttons a box shows, in order, with their result codes; which one is the
// default; whether Escape and the close command may cancel it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {

// The labels of the custom buttons: carriage returns removed, one button per
// non-empty line, at most four.
std::vector<std::string> CustomButtonLabels(const std::string& text);

// The result codes of the final button row: the button set (or the custom buttons,
// codes 23-26), then Help, Report and More >> when the record asks for them.
std::vector<int> ButtonsFor(const MessageBoxOptions& options);

// Index of the default button: bits 8-11 of the style; past the last button, the first.
size_t DefaultButtonIndex(uint32_t style, size_t button_count);

// Whether Escape and the close command may end the box with Cancel (2).
bool IsCancellable(const MessageBoxOptions& options);

}  // namespace rescuva::msgbox
