// The Outlook Express stores on a disk image as one tree: a branch per volume, in it
// one per place a store lay (the user and identity, or the folder's path), deleted
// stores in a "Deleted" branch of their volume. Each mail file is copied through its
// extents into the session's scratch folder and read there as a store folder is.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "disk/disk_map.h"
#include "platform/byte_source.h"
#include "store/mail_store.h"

namespace rescuva::disk {

// A mail file of the image and its copy.
struct ImageFile {
  std::string copy;
  DiskFile file;
  std::string volume;  // the name of its volume's branch
};

struct ImageStores {
  store::MailStore store;
  std::vector<ImageFile> files;
};

ImageStores ReadImageStores(const platform::ByteSource& image, const DiskMap& map,
                            const std::string& scratch, const std::atomic<bool>& stop);

}  // namespace rescuva::disk
