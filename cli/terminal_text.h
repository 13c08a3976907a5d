// Recovered text made safe for a terminal: nothing in it can move the cursor, change
// colours or send the terminal a command.
#pragma once

#include <string>

namespace rescuva::cli {

// Control characters (C0, DEL and the C1 range) and bytes that are not UTF-8 as
// \xNN escapes; everything else as it is.
std::string EscapeControls(const std::string& text);

}  // namespace rescuva::cli
