// System colours (COLOR_BTNFACE and the others, by index) from the application's
// palette, and COLORREF fields that name a system colour resolved to its value.
#pragma once

#include <QColor>

#include "msgbox/colour_table.h"

namespace rescuva::msgbox {

ColourRef SystemColour(int index);
// The colour itself, or the system colour a field names (kSystemColourFlag | index).
ColourRef ResolveColour(ColourRef colour);

}  // namespace rescuva::msgbox
