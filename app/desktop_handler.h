// Whether the desktop has a program for a file's type. Opening a file through the
// desktop's opener says yes as soon as the opener starts, whatever follows, so the
// question is asked before the file is opened.
#pragma once

#include <QString>

namespace rescuva::app {

// True when the desktop names a default program for the type of `file` (by its name
// and content); false when it names none or cannot be asked.
bool DesktopHasHandler(const QString& file);

}  // namespace rescuva::app
