// The program's icon (the same picture as packaging/rescuva.svg), drawn at any size:
// for the window, the caption bar and the installed icon files.
#pragma once

#include <QIcon>
#include <QImage>

namespace rescuva::app {

QImage ProgramIconImage(int size);
// The icon at the usual sizes.
QIcon ProgramIcon();

}  // namespace rescuva::app
