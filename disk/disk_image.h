// A disk image or device chosen as a whole: the stores its file systems hold, and a
// "Carved" branch last, whose mail file is the image itself, scanned whole for the
// messages no file gave.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "disk/image_stores.h"

namespace rescuva::disk {

// Its name in the tree.
inline constexpr const char* kCarvedName = "Carved";

// Nothing when `path` holds no file system The Sleuth Kit reads (a folder file, an
// image of a bare partition it does not know, random bytes): it is then read as one
// source, as before. Mail files are copied into `scratch` (ending in '/'); the stores
// come with the carved branch and the notes of what could not be read.
std::optional<ImageStores> ReadDiskImage(const std::string& path, const std::string& scratch,
                                         const std::atomic<bool>& stop);

}  // namespace rescuva::disk
