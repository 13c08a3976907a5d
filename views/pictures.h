// The list's and the strip's small pictures, drawn here: the project's own artwork.
#pragma once

#include <QPixmap>

namespace rescuva::views {

// A closed envelope, 14 x 13.
QPixmap EnvelopePicture();
// The attachment mark (an upright blue glyph) in a picture of the given size.
QPixmap AttachmentMarkPicture(int width, int height);
// The mark of a message whose chain was cut: a line that breaks off in a zigzag.
QPixmap CutMarkPicture(int width, int height);

}  // namespace rescuva::views
