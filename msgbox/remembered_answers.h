// Answers remembered by "Do not show again": stored in the settings store under
// <company>/<program file name>/PPMessageBox (or <program file name>/PPMessageBox),
// value <prefix><number>.
#pragma once

#include <string>

#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {

// The stored answer of a box; 0 when none was stored (or the record names no prefix).
int RememberedAnswer(const MessageBoxOptions& options);
void RememberAnswer(const MessageBoxOptions& options, int answer);

}  // namespace rescuva::msgbox
